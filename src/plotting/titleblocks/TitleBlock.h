#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillon::plotting {

// A title block as a sheet holds it: the block's name (a dynamic block's effective name), and its attributes'
// tags and values in the block's order.
struct TitleBlock {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;

    // The value of a tag, matched as the application matches tags (case ignored); none when the block lacks it.
    std::optional<std::string> value(const std::string& tag) const;
    bool operator==(const TitleBlock&) const = default;
};

// The title blocks found on one sheet, and the one its names and register row take: the first that holds
// every tag the names and the register need (else the first found).
struct SheetTitle {
    std::vector<TitleBlock> found;
    std::optional<std::size_t> used;

    const TitleBlock* block() const { return used ? &found[*used] : nullptr; }
    // "A1-TITLE", "A1-TITLE (1 of 2 found)", "none found": what the sheet's row says of it.
    std::string description() const;
};

// Chooses the block a sheet uses among those found.
SheetTitle chooseTitleBlock(std::vector<TitleBlock> found, const std::vector<std::string>& neededTags);

}  // namespace quillon::plotting
