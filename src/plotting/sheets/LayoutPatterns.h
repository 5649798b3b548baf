#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon::plotting {

// Which paper layouts of each drawing a run plots: those whose names match
// the include patterns and none of the exclude patterns. A pattern takes '*'
// for any run of characters and '?' for one; several are separated by ';';
// letter case is ignored. An empty include text means every layout.
struct LayoutPatterns {
    std::string include = "*";
    std::string exclude{};

    bool selects(std::string_view layoutName) const;
    // "Elev*" or "Elev* less *Old*": how a row names what matched nothing.
    std::string shown() const;
};

// Whether name matches one of the ';'-separated patterns.
bool matchesAnyPattern(std::string_view name, std::string_view patterns);

}  // namespace quillon::plotting
