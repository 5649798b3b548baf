#pragma once

#include <string>
#include <string_view>

namespace quillon::discovery {

// How the list orders cell texts. The list control sorts case-insensitively
// in the user's locale; Windows implements this with the locale's sort keys
// (LCMapStringEx with LCMAP_SORTKEY and NORM_IGNORECASE, the same order as
// CompareStringEx and lstrcmpiW give). Keys are made once per row and sort
// column, so sorting many rows costs byte comparisons, not locale calls.
class TextCollation {
public:
    virtual ~TextCollation() = default;
    // A key whose byte order (std::string's comparison) is the texts' order.
    virtual std::string sortKey(std::string_view text) const = 0;
};

// Case-insensitive for ASCII letters (folded to lower case, so punctuation
// such as '_' sorts before letters, as in the user's locale), other
// characters in code point order. For tests and as a portable fallback.
class AsciiCaseInsensitiveCollation : public TextCollation {
public:
    std::string sortKey(std::string_view text) const override;
};

}  // namespace quillon::discovery
