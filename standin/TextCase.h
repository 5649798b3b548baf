#pragma once

#include <string>
#include <string_view>

namespace quillon::standin {

// Member names, layout names, device names and file names are matched the way
// the real application matches them: ignoring ASCII letter case.
char lowerAscii(char c);
std::string toLowerAscii(std::string_view text);
std::string toUpperAscii(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool endsWithNoCase(std::string_view text, std::string_view suffix);

}  // namespace quillon::standin
