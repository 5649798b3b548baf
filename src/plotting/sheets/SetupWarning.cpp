#include "plotting/sheets/SetupWarning.h"

namespace quillon::plotting {

std::string SetupWarning::text() const {
    std::string out = layout + ": " + setting;
    if (!value.empty()) out += " \"" + value + "\"";
    out += " not set";
    if (!reason.empty()) out += " (" + reason + ")";
    return out;
}

std::string joinedText(const std::vector<SetupWarning>& warnings) {
    std::string text;
    for (const auto& warning : warnings) text += (text.empty() ? "" : "; ") + warning.text();
    return text;
}

}  // namespace quillon::plotting
