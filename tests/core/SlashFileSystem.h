#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/StdFileSystem.h"

namespace quillon::testing {

// The files as a Windows path names them, on this system: a job's paths come back with backslashes.
class SlashFileSystem final : public base::FileSystem {
public:
    static std::string slashed(std::string path) {
        for (char& c : path)
            if (c == '\\') c = '/';
        return path;
    }
    std::optional<std::vector<base::DirEntry>> list(const std::string& folder) override { return files_.list(slashed(folder)); }
    std::optional<base::FolderIdentity> identity(const std::string& folder) override {
        return files_.identity(slashed(folder));
    }
    bool fileExists(const std::string& path) override { return files_.fileExists(slashed(path)); }
    bool removeFile(const std::string& path) override { return files_.removeFile(slashed(path)); }
    std::optional<std::uint64_t> fileSize(const std::string& path) override { return files_.fileSize(slashed(path)); }
    base::MoveResult moveFile(const std::string& from, const std::string& to, bool replace) override {
        return files_.moveFile(slashed(from), slashed(to), replace);
    }
    bool makeHiddenFolder(const std::string& folder) override { return files_.makeHiddenFolder(slashed(folder)); }
    bool canWriteIn(const std::string& folder) override { return files_.canWriteIn(slashed(folder)); }
    std::string fileStart(const std::string& path, std::size_t count) override {
        return files_.fileStart(slashed(path), count);
    }
    std::optional<base::FileStamp> stamp(const std::string& path) override { return files_.stamp(slashed(path)); }
    bool readPieces(const std::string& path, const std::function<void(std::string_view)>& piece) override {
        return files_.readPieces(slashed(path), piece);
    }
    bool appendToFile(const std::string& path, std::string_view text) override {
        return files_.appendToFile(slashed(path), text);
    }

private:
    base::StdFileSystem files_;
};

}  // namespace quillon::testing
