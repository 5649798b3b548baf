#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// The open documents, in opening order: Open, Add, Item, Count.
class DocumentsObject : public ModelObject {
public:
    explicit DocumentsObject(std::shared_ptr<EngineState> state);

    std::string label() const override { return "Documents"; }
    std::string_view objectKind() const override { return "Documents"; }

protected:
    MemberTable members() const override;
    automation::Value read(std::string_view member) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;
    std::vector<automation::ObjectPtr> items() override;
};

}  // namespace quillon::standin
