#include "base/StdFileSystem.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <system_error>

namespace quillon::base {

namespace fs = std::filesystem;

namespace {

fs::path fromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string toUtf8(const fs::path& path) {
    auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::int64_t ticksSince1601(fs::file_time_type time) {
    // FILETIME counts 100 ns ticks from 1601; the system clock counts from 1970.
    constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000LL;
    auto system = fs::file_time_type::clock::to_sys(time);
    auto ticks = std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>>(
        system.time_since_epoch());
    return ticks.count() + kTicksFrom1601To1970;
}

}  // namespace

std::optional<std::vector<DirEntry>> StdFileSystem::list(const std::string& folder) {
    std::error_code error;
    fs::directory_iterator it(fromUtf8(folder), error);
    if (error) return std::nullopt;
    std::vector<DirEntry> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) break;
        DirEntry entry;
        entry.name = toUtf8(it->path().filename());
        entry.isReparsePoint = it->is_symlink(error);
        entry.isDirectory = it->is_directory(error);
        entry.hidden = !entry.name.empty() && entry.name[0] == '.';
        if (!entry.isDirectory) entry.size = it->file_size(error);
        auto written = it->last_write_time(error);
        if (!error) entry.lastWriteTime = ticksSince1601(written);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<FolderIdentity> StdFileSystem::identity(const std::string& folder) {
    std::error_code error;
    auto canonical = fs::canonical(fromUtf8(folder), error);
    if (error) return std::nullopt;
    // Portable code has no inode number; the resolved path identifies the folder well enough for tests.
    return FolderIdentity{0, std::hash<std::string>{}(toUtf8(canonical))};
}

std::string StdFileSystem::fileStart(const std::string& path, std::size_t count) {
    std::ifstream in(fromUtf8(path), std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

bool StdFileSystem::fileExists(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(fromUtf8(path), error);
}

bool StdFileSystem::removeFile(const std::string& path) {
    std::error_code error;
    const auto status = fs::symlink_status(fromUtf8(path), error);
    if (status.type() == fs::file_type::not_found) return true;
    if (error || status.type() == fs::file_type::directory) return false;
    return fs::remove(fromUtf8(path), error) && !error;
}

std::optional<std::uint64_t> StdFileSystem::fileSize(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(fromUtf8(path), error)) return std::nullopt;
    const auto size = fs::file_size(fromUtf8(path), error);
    if (error) return std::nullopt;
    return size;
}

MoveResult StdFileSystem::moveFile(const std::string& from, const std::string& to, bool replace) {
    using Outcome = MoveResult::Outcome;
    std::error_code error;
    const auto target = fs::symlink_status(fromUtf8(to), error);
    if (target.type() == fs::file_type::directory) return {Outcome::Refused, to + " is a folder"};
    // Portable code cannot refuse atomically; the native build is where tests run, one at a time.
    if (!replace && target.type() != fs::file_type::not_found) return {Outcome::Refused, to + " exists"};
    fs::rename(fromUtf8(from), fromUtf8(to), error);
    if (!error) return {Outcome::Moved, {}};
    // No sharing violations here: a file open elsewhere still moves.
    return {Outcome::Refused, error.message()};
}

bool StdFileSystem::makeHiddenFolder(const std::string& folder) {
    // A leading dot is what hides a name here.
    std::error_code error;
    fs::create_directory(fromUtf8(folder), error);
    return fs::is_directory(fromUtf8(folder), error);
}

bool StdFileSystem::canWriteIn(const std::string& folder) {
    std::error_code error;
    if (!fs::is_directory(fromUtf8(folder), error)) return false;
    const fs::path probe = fromUtf8(folder) / ".quillon-write-check";
    std::ofstream out(probe, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.close();
    fs::remove(probe, error);
    return true;
}

std::optional<FileStamp> StdFileSystem::stamp(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(fromUtf8(path), error)) return std::nullopt;
    const auto size = fs::file_size(fromUtf8(path), error);
    if (error) return std::nullopt;
    const auto written = fs::last_write_time(fromUtf8(path), error);
    if (error) return std::nullopt;
    return FileStamp{size, ticksSince1601(written)};
}

bool StdFileSystem::readPieces(const std::string& path, const std::function<void(std::string_view)>& piece) {
    std::ifstream in(fromUtf8(path), std::ios::binary);
    if (!in) return false;
    std::string buffer(1 << 20, '\0');
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = in.gcount();
        if (got > 0) piece(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    }
    return in.eof() && !in.bad();
}

bool StdFileSystem::appendToFile(const std::string& path, std::string_view text) {
    std::ofstream out(fromUtf8(path), std::ios::binary | std::ios::app);
    if (!out) return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace quillon::base
