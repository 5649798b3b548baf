#pragma once

#include <string>
#include <string_view>

namespace quillon::win {

// The portable code keeps text in UTF-8; Windows wants UTF-16. Invalid input
// is replaced with U+FFFD rather than refused, as the system calls do.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view utf16);

}  // namespace quillon::win
