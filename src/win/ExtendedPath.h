#pragma once

#include <string>
#include <string_view>

namespace quillon::win {

// The extended-length form of a path ("\\?\C:\..." or "\\?\UNC\server\..."),
// which the file functions accept beyond the classic 260-character limit.
// Relative paths and paths with "." or ".." parts are made full first, since
// the extended form takes names literally. Paths already in that form, and
// device paths, are returned unchanged.
std::wstring extendedLengthPath(std::wstring_view path);
std::wstring extendedLengthPath(std::string_view utf8Path);

}  // namespace quillon::win
