#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// A drawing's layouts in tab order, "Model" first.
class LayoutsObject : public ModelObject {
public:
    LayoutsObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc);

    std::string label() const override { return "Layouts(" + doc_->displayName() + ")"; }
    std::string_view objectKind() const override { return "Layouts"; }

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;
    std::vector<automation::ObjectPtr> items() override;

private:
    std::shared_ptr<DrawingModel> doc_;
};

}  // namespace quillon::standin
