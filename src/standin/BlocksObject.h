#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// A drawing's block table: *Model_Space, the *Paper_Space blocks, ordinary
// blocks, then external references.
class BlocksObject : public ModelObject {
public:
    BlocksObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc);

    std::string label() const override { return "Blocks(" + doc_->displayName() + ")"; }
    std::string_view objectKind() const override { return "Blocks"; }

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
