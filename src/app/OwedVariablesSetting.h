#pragma once

#include "app/SettingsStore.h"
#include "autocad/OwedVariables.h"

namespace quillon::app {

// The CAD application's variables Quillon owes the user's profile, kept as
// the setting CadVariablesOwed (empty when nothing is owed), so that a
// Quillon that died before giving them back does so at its next connection.
class OwedVariablesSetting : public autocad::OwedVariables::Store {
public:
    explicit OwedVariablesSetting(SettingsStore& store) : store_(store) {}
    std::string read() const override;
    void write(const std::string& text) override;

private:
    SettingsStore& store_;
};

}  // namespace quillon::app
