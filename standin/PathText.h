#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quillon::standin {

// Paths arrive Windows-style under wine (C:\Jobs\a.dwg) and POSIX-style in
// native tests (/tmp/x/a.dwg); both separators are honoured everywhere.
bool isPathSeparator(char c);
bool hasFolderPart(std::string_view path);
std::string fileNameOf(std::string_view path);
// The folder without a trailing separator, except for a root ("C:\", "/").
std::string folderOf(std::string_view path);
bool isAbsolutePath(std::string_view path);
// Joins with the separator style the folder already uses.
std::string joinPath(std::string_view folder, std::string_view name);
// An absolute path unchanged; a relative one joined onto baseDir.
std::string resolveAgainst(std::string_view baseDir, std::string_view path);
// A file name Windows takes for a device: its stem (before the first dot,
// trailing spaces dropped) is CON, PRN, AUX, NUL, COM0-COM9 or LPT0-LPT9 in any case.
bool isReservedDeviceName(std::string_view fileName);
// Key under which two spellings of one path compare equal.
std::string pathKey(std::string_view path);

// File-system access with UTF-8 text: std::filesystem::path(std::string)
// would read the text as ANSI on Windows.
std::filesystem::path toFsPath(std::string_view utf8);
std::string fromFsPath(const std::filesystem::path& path);
bool isReadableFile(std::string_view utf8Path);
bool isExistingFolder(std::string_view utf8Path);
// A file whose owner may not write it (the read-only attribute on Windows).
bool isWriteProtected(std::string_view utf8Path);

}  // namespace quillon::standin
