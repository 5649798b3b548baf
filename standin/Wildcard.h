#pragma once

#include <string_view>

namespace quillon::standin {

// Whether text matches a wild-card pattern as the application matches names in a selection filter:
// ignoring case; "," separates alternatives, any of which may match; "~" opening an alternative
// negates it; "*" any run of characters, "?" any one, "#" a digit, "@" a letter, "." a character
// that is neither; "[...]" one of the characters enclosed ("[~...]" one not enclosed, "a-z" a range);
// "`" takes the next character literally. Characters count as code points of the UTF-8 text, and
// any beyond ASCII as letters.
bool wildcardMatch(std::string_view text, std::string_view pattern);

}  // namespace quillon::standin
