#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillon::base {

// The path unchanged when it ends in a backslash, else with one appended.
std::string addBackslash(std::string_view path);

// The path spelt as Windows reads it before it opens anything: '/' as '\', a "\\?\" lead dropped
// ("\\?\UNC\srv\share" is "\\srv\share"), separators in a row as one (a UNC path's leading two kept),
// "." parts dropped and ".." parts taking the part before them away (never the root), each part
// without the dots and spaces Windows drops from its end ("j.qjob." and "j.qjob " are "j.qjob"), and no
// separator at the end but a drive root's ("C:\"). Letters keep their case.
std::string normalPath(std::string_view path);

// Windows takes "C:\Jobs\Übersicht.dwg" and "c:/jobs/übersicht.DWG" for one
// file: it compares names by each character's simple upper case
// (upperCaseOf), and reads '/' as '\'. foldedName gives the text that
// compares so, UTF-8 in and out: '\' for either separator, ASCII letters in
// lower case (so an ASCII path folds as it always has, and the shard hashes
// of such paths stay), every other character as its upper case. Bytes that
// are not well-formed UTF-8 pass through unchanged. foldedPath is the fold of
// the normalPath: every comparison of paths goes through it (the job's folder,
// its drawings, the report and its copy, every plot file), so all of them
// agree with the file system.
std::string foldedName(std::string_view name);
std::string foldedPath(std::string_view path);
bool samePath(std::string_view a, std::string_view b);

// Where the file name's extension starts (its last dot), else the path's end: what goes before
// the extension of a name goes there.
std::size_t extensionStart(std::string_view path);
// The path with the extension another file has ("C:\Out\A.pdf", "B.png": "C:\Out\A.png").
std::string withExtensionOf(std::string_view path, std::string_view other);

// The folder part of a Windows path without its trailing backslash, except at
// a drive root ("C:\"), which keeps it.
std::string folderOf(std::string_view path);

// A path's UTF-8 text, and the path of a UTF-8 text: the same on every system (a narrow path means the ANSI
// code page on Windows, which cannot name every file).
std::string utf8Of(const std::filesystem::path& path);
std::filesystem::path pathOfUtf8(std::string_view text);

}  // namespace quillon::base
