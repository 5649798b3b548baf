#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// The root object: visibility, the documents and the active one, Quit.
class ApplicationObject : public ModelObject {
public:
    explicit ApplicationObject(std::shared_ptr<EngineState> state);

    std::string label() const override { return "Application"; }
    std::string_view objectKind() const override { return "Application"; }

protected:
    MemberTable members() const override;
    automation::Value read(std::string_view member) override;
    void write(std::string_view member, const automation::Value& value) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;
};

}  // namespace quillon::standin
