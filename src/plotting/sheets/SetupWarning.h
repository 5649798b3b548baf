#pragma once

#include <string>
#include <utility>
#include <vector>

#include "automation/AutomationError.h"

namespace quillon::plotting {

// A setting that did not take while a paper layout was set up for plotting.
// The layout is still plotted with what it kept; its row, the run's summary
// and the run report say what is not as the user chose.
struct SetupWarning {
    std::string layout;
    std::string setting;  // "device", "paper", "plot style table", ...
    std::string value;
    std::string reason;

    // Sheet2: paper "ISO A3" not set (Invalid input)
    std::string text() const;
};

// The warnings' texts, joined by "; ", as a row or a report gives them.
std::string joinedText(const std::vector<SetupWarning>& warnings);

// Runs the step that applies `setting`; a failure is carried past, as every
// set-up step is, and recorded. A dead application is never carried past.
template <class Step>
bool applySetting(std::vector<SetupWarning>& warnings, const std::string& layout, const char* setting,
                  const std::string& value, Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const automation::AutomationError& error) {
        if (error.serverGone()) throw;
        warnings.push_back({layout, setting, value, error.description().empty() ? error.what() : error.description()});
        return false;
    }
}

}  // namespace quillon::plotting
