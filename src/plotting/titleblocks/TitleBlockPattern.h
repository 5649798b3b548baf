#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon::plotting {

// Which blocks are title blocks: block name patterns as users write them ("*TITLE*;*TB*": ';' between
// patterns, '*' any run of characters, '?' any one, case ignored). Empty: no block is one, and nothing is read.
class TitleBlockPattern {
public:
    explicit TitleBlockPattern(std::string_view text = {});

    bool empty() const { return patterns_.empty(); }
    bool matches(std::string_view blockName) const;
    // The block name filter of a selection in the application's own wildcard syntax: the patterns with every
    // other character the application reads as a wildcard taken literally, and the anonymous names a dynamic
    // block's references have ("*U12"), whose effective name is then matched here.
    std::string selectionFilter() const;
    // A name (a layout's) taken literally by the application's wildcard matching.
    static std::string literal(std::string_view name);

private:
    std::vector<std::string> patterns_;
};

}  // namespace quillon::plotting
