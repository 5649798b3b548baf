#pragma once

#include <string>
#include <string_view>

namespace quillon::base {

// The path unchanged when it ends in a backslash, else with one appended.
std::string addBackslash(std::string_view path);

// The folder part of a Windows path without its trailing backslash, except at
// a drive root ("C:\"), which keeps it.
std::string folderOf(std::string_view path);

}  // namespace quillon::base
