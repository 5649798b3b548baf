#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// One named selection set: the block references Select put into it. Once deleted, every member fails.
class SelectionSetObject : public ModelObject {
public:
    SelectionSetObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc,
                       std::shared_ptr<SelectionSetModel> set);

    std::string label() const override { return "SelectionSet(" + set_->name + " of " + doc_->displayName() + ")"; }
    std::string_view objectKind() const override { return "SelectionSet"; }

protected:
    MemberTable members() const override;
    const DrawingModel* drawing() const override { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;
    std::vector<automation::ObjectPtr> items() override;

private:
    std::shared_ptr<DrawingModel> doc_;
    std::shared_ptr<SelectionSetModel> set_;

    void requireLive() const;
    void selectAll(std::span<const automation::Value> args);
};

}  // namespace quillon::standin
