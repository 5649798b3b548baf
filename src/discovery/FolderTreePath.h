#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::discovery {

// Path rules of the folder tree: which text a tree item stands for, and how a
// start folder is reached from the drives. Paths are UTF-8 Windows paths.

// A folder written the way the tree reports it: backslashes only, no doubled
// or trailing separators, an upper-case drive letter, and a drive root with
// its backslash ("c:" and "c:/" both become "C:\"), since "C:" alone would
// mean the drive's current folder. UNC shares keep their leading "\\".
// Empty stays empty.
std::string normalizeFolder(std::string_view folder);

// "C:\" (after normalizing): a root that the tree lists at its top level.
bool isDriveRoot(std::string_view folder);

// The path of a sub-folder item: the parent's path, one backslash, the name.
std::string childPath(std::string_view parent, std::string_view name);

// The folders to open one after another to reach folder from its root:
// "c:\Jobs\2024" gives "C:\", "C:\Jobs", "C:\Jobs\2024"; a share gives
// "\\server\share" first. Empty for an empty or relative path.
std::vector<std::string> pathSteps(std::string_view folder);

// What a selection in the shell's tree means for the search: the item's
// file-system path, or nothing for an item that has none (the desktop's
// virtual folders, which the shell reports with an empty path).
std::optional<std::string> folderFromShellPath(std::string_view shellPath);

// The label of a drive in the own tree: "System (C:)" with a volume label,
// else the root itself ("C:\").
std::string driveItemText(std::string_view root, std::string_view volumeLabel);

// Whether a directory entry is shown in the own tree: real sub-folders only,
// without "." and "..", and without hidden or system folders, which the
// search passes over too.
bool showsInTree(std::string_view name, bool hidden, bool system);

}  // namespace quillon::discovery
