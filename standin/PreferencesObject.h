#pragma once

#include "standin/ModelObject.h"

namespace quillon::standin {

// Application.Preferences: of the options the application keeps in the registry, only the Output tab's.
class PreferencesObject : public ModelObject {
public:
    explicit PreferencesObject(std::shared_ptr<EngineState> state) : ModelObject(std::move(state)) {}

    std::string label() const override { return "Preferences"; }
    std::string_view objectKind() const override { return "Preferences"; }

protected:
    MemberTable members() const override;
    automation::Value read(std::string_view member) override;
};

}  // namespace quillon::standin
