#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// A drawing's named selection sets (Document.SelectionSets), in the order they were added.
class SelectionSetsObject : public ModelObject {
public:
    SelectionSetsObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc);

    std::string label() const override { return "SelectionSets(" + doc_->displayName() + ")"; }
    std::string_view objectKind() const override { return "SelectionSets"; }

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;
    std::vector<automation::ObjectPtr> items() override;

private:
    std::shared_ptr<DrawingModel> doc_;

    std::shared_ptr<SelectionSetModel> find(const std::string& name) const;
};

}  // namespace quillon::standin
