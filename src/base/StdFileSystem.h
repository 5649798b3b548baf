#pragma once

#include "base/FileSystem.h"

namespace quillon::base {

// FileSystem over std::filesystem: the native build's real file system.
// Paths are joined with whatever separator they carry.
class StdFileSystem : public FileSystem {
public:
    std::optional<std::vector<DirEntry>> list(const std::string& folder) override;
    std::optional<FolderIdentity> identity(const std::string& folder) override;
    bool fileExists(const std::string& path) override;
    bool removeFile(const std::string& path) override;
    std::optional<std::uint64_t> fileSize(const std::string& path) override;
    MoveResult moveFile(const std::string& from, const std::string& to, bool replace) override;
    bool makeHiddenFolder(const std::string& folder) override;
    bool canWriteIn(const std::string& folder) override;
    std::string fileStart(const std::string& path, std::size_t count) override;
    std::optional<FileStamp> stamp(const std::string& path) override;
    bool readPieces(const std::string& path, const std::function<void(std::string_view)>& piece) override;
    bool appendToFile(const std::string& path, std::string_view text) override;
};

}  // namespace quillon::base
