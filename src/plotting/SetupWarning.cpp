#include "plotting/SetupWarning.h"

namespace quillon::plotting {

std::string SetupWarning::text() const {
    std::string out = layout + ": " + setting;
    if (!value.empty()) out += " \"" + value + "\"";
    out += " not set";
    if (!reason.empty()) out += " (" + reason + ")";
    return out;
}

}  // namespace quillon::plotting
