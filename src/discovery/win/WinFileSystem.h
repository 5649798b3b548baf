#pragma once

#include "base/FileSystem.h"

namespace quillon::discovery {

// The Windows file system for the search: Unicode names throughout,
// extended-length paths, and folder identity by volume and file index.
// Holds no state, so any number of threads may use one instance.
class WinFileSystem : public base::FileSystem {
public:
    std::optional<std::vector<base::DirEntry>> list(const std::string& folder) override;
    std::optional<base::FolderIdentity> identity(const std::string& folder) override;
    bool fileExists(const std::string& path) override;
    bool removeFile(const std::string& path) override;
    std::optional<std::uint64_t> fileSize(const std::string& path) override;
    base::MoveResult moveFile(const std::string& from, const std::string& to, bool replace) override;
    bool makeHiddenFolder(const std::string& folder) override;
    bool canWriteIn(const std::string& folder) override;
    std::string fileStart(const std::string& path, std::size_t count) override;
    std::optional<base::FileStamp> stamp(const std::string& path) override;
    bool readPieces(const std::string& path, const std::function<void(std::string_view)>& piece) override;
    bool appendToFile(const std::string& path, std::string_view text) override;
};

}  // namespace quillon::discovery
