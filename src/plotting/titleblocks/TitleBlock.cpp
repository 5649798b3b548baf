#include "plotting/titleblocks/TitleBlock.h"

#include <algorithm>

#include "plotting/PlotRules.h"

namespace quillon::plotting {

std::optional<std::string> TitleBlock::value(const std::string& tag) const {
    for (const auto& [held, text] : attributes)
        if (equalsIgnoreCase(held, tag)) return text;
    return std::nullopt;
}

std::string SheetTitle::description() const {
    if (!used) return "none found";
    if (found.size() == 1) return found.front().name;
    return found[*used].name + " (" + std::to_string(*used + 1) + " of " + std::to_string(found.size()) + " found)";
}

SheetTitle chooseTitleBlock(std::vector<TitleBlock> found, const std::vector<std::string>& neededTags) {
    SheetTitle title;
    title.found = std::move(found);
    for (std::size_t i = 0; i < title.found.size() && !title.used; ++i)
        if (std::all_of(neededTags.begin(), neededTags.end(),
                        [&](const std::string& tag) { return title.found[i].value(tag).has_value(); }))
            title.used = i;
    if (!title.used && !title.found.empty()) title.used = 0;
    return title;
}

}  // namespace quillon::plotting
