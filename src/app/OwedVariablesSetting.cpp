#include "app/OwedVariablesSetting.h"

#include "app/MainSettings.h"

namespace quillon::app {

std::string OwedVariablesSetting::read() const {
    return store_.read(settings_names::Application, settings_names::Section, settings_names::CadVariablesOwed)
        .value_or(std::string());
}

void OwedVariablesSetting::write(const std::string& text) {
    store_.write(settings_names::Application, settings_names::Section, settings_names::CadVariablesOwed, text);
}

}  // namespace quillon::app
