#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::base {

// One entry of a folder listing, as the platform's enumeration returns it.
struct DirEntry {
    std::string name;  // UTF-8, exactly as stored
    bool isDirectory = false;
    bool isReparsePoint = false;  // junctions and symbolic links
    bool hidden = false;
    bool system = false;
    std::uint64_t size = 0;
    // Last write time as 100-nanosecond ticks since 1601-01-01 UTC (FILETIME).
    std::int64_t lastWriteTime = 0;
    // The entry's file index on its volume, as FolderIdentity::fileId has it; 0 when the listing does not say.
    std::uint64_t fileId = 0;
};

// What makes a folder the same folder whatever path reached it.
struct FolderIdentity {
    std::uint64_t volume = 0;
    std::uint64_t fileId = 0;
    bool operator==(const FolderIdentity&) const = default;
    bool operator<(const FolderIdentity& other) const {
        return volume != other.volume ? volume < other.volume : fileId < other.fileId;
    }
};

// What tells quickly that a file is the one seen before: its size and last write time (FILETIME ticks).
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t lastWriteTime = 0;
    bool operator==(const FileStamp&) const = default;
};

// What became of a move: made, refused for a moment because another program holds the file (a sharing
// violation: the same move may succeed shortly), or refused. A refusal says why in the system's words.
struct MoveResult {
    enum class Outcome { Moved, InUse, Refused };
    Outcome outcome = Outcome::Refused;
    std::string reason{};
    explicit operator bool() const { return outcome == Outcome::Moved; }
};

// The file-system questions the search and the reference repair ask. Paths
// are UTF-8 with backslashes on Windows; the platform side handles paths
// longer than the classic limit.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Every entry of folder except "." and "..", in the platform's order;
    // nothing when the folder cannot be listed (missing, no access).
    virtual std::optional<std::vector<DirEntry>> list(const std::string& folder) = 0;
    virtual std::optional<FolderIdentity> identity(const std::string& folder) = 0;
    // True for an existing file that is not a folder.
    virtual bool fileExists(const std::string& path) = 0;
    // Deletes the file at path, never a folder. True when nothing is left at
    // path (deleted, or nothing was there); false when something stays, such
    // as a file open in another program, a read-only file or a folder.
    virtual bool removeFile(const std::string& path) { return !fileExists(path) && !identity(path); }
    // The size of the file at path; nothing when there is no file there.
    virtual std::optional<std::uint64_t> fileSize(const std::string& path) {
        return fileExists(path) ? std::optional<std::uint64_t>(1) : std::nullopt;
    }
    // Moves the file from onto to in one step; with replace, over a file
    // already at to (never a folder). Not moved when either is held open,
    // to is read-only or there (without replace), or from is gone.
    virtual MoveResult moveFile(const std::string& from, const std::string& to, bool replace) {
        (void)from;
        (void)to;
        (void)replace;
        return {MoveResult::Outcome::Refused, "files cannot be moved here"};
    }
    // Makes the folder (its parent must be there), hidden from a folder's usual listing; true when it is there now.
    virtual bool makeHiddenFolder(const std::string& folder) { return identity(folder).has_value(); }
    // True when folder exists and a new file can be made in it.
    virtual bool canWriteIn(const std::string& folder) { return identity(folder).has_value(); }
    // The first count bytes of the file at path (fewer when it is shorter), read sharing
    // everything, since the file may be open in the CAD application; empty when it cannot be read.
    virtual std::string fileStart(const std::string& path, std::size_t count) {
        (void)path;
        (void)count;
        return {};
    }
    // The size and last write time of the file at path; nothing when there is no file there.
    virtual std::optional<FileStamp> stamp(const std::string& path) {
        (void)path;
        return std::nullopt;
    }
    // The whole file, handed over piece by piece in order, read sharing everything; false when it could not
    // be read to its end (then what was handed over is no whole file).
    virtual bool readPieces(const std::string& path, const std::function<void(std::string_view)>& piece) {
        (void)path;
        (void)piece;
        return false;
    }
    // Adds text at the end of the file, made when it is not there; false when it was not written whole.
    virtual bool appendToFile(const std::string& path, std::string_view text) {
        (void)path;
        (void)text;
        return false;
    }
};

}  // namespace quillon::base
