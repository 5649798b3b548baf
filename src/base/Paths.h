#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon::base {

// The path unchanged when it ends in a backslash, else with one appended.
std::string addBackslash(std::string_view path);

// Windows takes "C:\Jobs\Übersicht.dwg" and "c:/jobs/übersicht.DWG" for one
// file: it compares names by each character's simple upper case
// (upperCaseOf), and reads '/' as '\'. foldedPath gives the text that
// compares so, UTF-8 in and out: '\' for either separator, ASCII letters in
// lower case (so an ASCII path folds as it always has, and the shard hashes
// of such paths stay), every other character as its upper case. Bytes that
// are not well-formed UTF-8 pass through unchanged. Every comparison of
// paths or file names goes through it, so all of them agree with the file system.
std::string foldedPath(std::string_view path);
bool samePath(std::string_view a, std::string_view b);

// Where the file name's extension starts (its last dot), else the path's end: what goes before
// the extension of a name goes there.
std::size_t extensionStart(std::string_view path);

// The folder part of a Windows path without its trailing backslash, except at
// a drive root ("C:\"), which keeps it.
std::string folderOf(std::string_view path);

}  // namespace quillon::base
