#pragma once

#include <atomic>
#include <string>

#include "base/FileSystem.h"

namespace quillon::plotting {

// FindFile: looks for a referenced drawing by its exact name in a folder and
// every folder below it, a folder's own files before its sub-folders.
// XrefGet and FoundFile are kept between calls the way the reference repair
// reads them. The search never follows a junction or symbolic link and never
// lists a folder twice, so a link back to an ancestor cannot loop it, and it
// gives up as soon as Stop is pressed.
class FileFinder {
public:
    static constexpr const char* NotFound = "not Found";

    FileFinder(base::FileSystem& files, const std::atomic<bool>& stopRequested)
        : files_(files), stopRequested_(stopRequested) {}

    // The full path found, "not Found", or empty at once when XrefGet is
    // already set. The name comparison is case-sensitive.
    std::string findFile(const std::string& folder, const std::string& fileName);

    bool xrefGet() const { return xrefGet_; }
    const std::string& foundFile() const { return foundFile_; }
    void clearXrefGet() { xrefGet_ = false; }
    void clearFoundFile() { foundFile_.clear(); }

private:
    base::FileSystem& files_;
    const std::atomic<bool>& stopRequested_;
    bool xrefGet_ = false;
    std::string foundFile_;
};

}  // namespace quillon::plotting
