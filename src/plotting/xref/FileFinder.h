#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <utility>

#include "base/FileSystem.h"

namespace quillon::plotting {

// FindFile: looks for a referenced drawing by its name (compared as Windows
// compares names) in a folder and every folder below it, a folder's own files
// before its sub-folders. Once one is found the rest of the folder's tree is
// still listed (at most ListingLimit entries in all), and of the files of that
// name the one whose folders end as the stored path's do (Refs2\x for
// D:\Old\Refs2\x\site.dwg) is taken, else the first found: a file of the
// name in another project's folder is not taken for the right one.
// XrefGet and FoundFile are kept between calls the way the reference repair
// reads them. The search never follows a junction or symbolic link and never
// lists a folder twice, so a link back to an ancestor cannot loop it, and it
// gives up as soon as Stop is pressed.
class FileFinder {
public:
    static constexpr const char* NotFound = "not Found";

    FileFinder(base::FileSystem& files, const std::atomic<bool>& stopRequested)
        : files_(files), stopRequested_(stopRequested) {}

    static constexpr std::size_t ListingLimit = 10000;

    // The full path found, "not Found", or empty at once when XrefGet is already set.
    std::string findFile(const std::string& folder, const std::string& fileName);
    // The stored path whose trailing folders a found file should have; empty: the first found.
    void preferFoldersOf(std::string storedPath) { storedPath_ = std::move(storedPath); }

    bool xrefGet() const { return xrefGet_; }
    const std::string& foundFile() const { return foundFile_; }
    void clearXrefGet() { xrefGet_ = false; }
    void clearFoundFile() { foundFile_.clear(); }

private:
    base::FileSystem& files_;
    const std::atomic<bool>& stopRequested_;
    bool xrefGet_ = false;
    std::string foundFile_;
    std::string storedPath_;
};

}  // namespace quillon::plotting
