#pragma once

#include <string>
#include <vector>

#include "autocad/CadConnection.h"

namespace quillon::plotting {

// One named page setup of a template drawing.
struct PageSetupName {
    std::string name;
    // For model space; else for layouts.
    bool modelType = false;

    bool operator==(const PageSetupName&) const = default;
};

// The named page setups (PlotConfigurations) of a template drawing, in the
// drawing's order: it is opened read-only for the purpose and closed unsaved.
// Fails with an AutomationError when it cannot be opened or read.
std::vector<PageSetupName> pageSetupsOf(autocad::CadConnection& connection, const std::string& file);

// "A1 Issue", or "Model A3 (model space)": as the page setup list shows it.
std::string pageSetupListText(const PageSetupName& setup);

}  // namespace quillon::plotting
