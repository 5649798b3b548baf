#pragma once

#include <string>

namespace quillon::plotting {

// An external reference of an open drawing as the repair left it: its name, the path it has now, and
// whether the application loaded it.
struct ReferenceUse {
    std::string name;
    std::string path;
    bool loaded = false;
    bool operator==(const ReferenceUse&) const = default;
};

}  // namespace quillon::plotting
