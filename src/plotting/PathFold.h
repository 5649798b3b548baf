#pragma once

#include <string>
#include <string_view>

namespace quillon::plotting {

// Windows takes "C:\Jobs\Übersicht.dwg" and "c:/jobs/übersicht.DWG" for one
// file: it compares names by each character's simple upper case
// (base::upperCaseOf), and reads '/' as '\'. foldedPath gives the text that
// compares so, UTF-8 in and out: '\' for either separator, ASCII letters in
// lower case (so an ASCII path folds as it always has, and the shard hashes
// of such paths stay), every other character as its upper case. Bytes that
// are not well-formed UTF-8 pass through unchanged.
std::string foldedPath(std::string_view path);
bool samePath(std::string_view a, std::string_view b);

}  // namespace quillon::plotting
