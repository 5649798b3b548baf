#include "discovery/win/WinFileSystem.h"

#include <windows.h>

#include <algorithm>
#include <span>

#include "base/BufferPool.h"
#include "discovery/win/WinFileByteSource.h"
#include "win/ExtendedPath.h"
#include "win/UniqueResource.h"
#include "win/Utf.h"
#include "win/WinError.h"

namespace quillon::discovery {

namespace {

// Never destroyed: a thread may still be reading while the program ends.
base::BufferPool& listingBuffers() {
    // A large buffer fetches a folder's entries in few calls, as a large fetch does.
    static auto* pool = new base::BufferPool(64 * 1024);
    return *pool;
}
base::BufferPool& readBuffers() {
    static auto* pool = new base::BufferPool(1 << 20);
    return *pool;
}

bool isLink(const FILE_ID_BOTH_DIR_INFO& info) {
    if (!(info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    // Junctions and symbolic links are name surrogates; cloud placeholders and
    // deduplicated files are reparse points too but hold their own contents.
    // A reparse point's listing carries its tag where other entries have their
    // extended attributes' size; an unreported tag is taken for a link, the
    // safe side for a search.
    return info.EaSize == 0 || IsReparseTagNameSurrogate(info.EaSize);
}

base::DirEntry entryFrom(const FILE_ID_BOTH_DIR_INFO& info, std::wstring_view name) {
    base::DirEntry entry;
    entry.name = win::toUtf8(name);
    entry.isDirectory = (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isReparsePoint = isLink(info);
    entry.hidden = (info.FileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    entry.system = (info.FileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    entry.size = static_cast<std::uint64_t>(info.EndOfFile.QuadPart);
    entry.lastWriteTime = info.LastWriteTime.QuadPart;
    entry.fileId = static_cast<std::uint64_t>(info.FileId.QuadPart);
    return entry;
}

// A drive root keeps its backslash ("\\?\C:\" is the root, "\\?\C:" is not a folder).
std::wstring withoutTrailingBackslash(std::wstring path) {
    if (path.size() > 1 && path.back() == L'\\' && path[path.size() - 2] != L':') path.pop_back();
    return path;
}

}  // namespace

std::optional<std::vector<base::DirEntry>> WinFileSystem::list(const std::string& folder) {
    const std::wstring path = withoutTrailingBackslash(win::extendedLengthPath(folder));
    // Listing through the folder's handle gives each entry's file index too,
    // so the search knows a sub-folder's identity without opening it (asking
    // a folder for its identity costs more than listing it).
    win::UniqueFileHandle handle(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return std::nullopt;
    // A search lists thousands of folders: making and clearing a buffer for each is wasted.
    const auto buffer = listingBuffers().borrow();
    const auto bytes = static_cast<DWORD>(buffer.size());
    std::vector<base::DirEntry> entries;
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    bool first = true;
    while (GetFileInformationByHandleEx(handle.get(), kind, buffer.data(), bytes)) {
        kind = FileIdBothDirectoryInfo;
        first = false;
        const auto* at = reinterpret_cast<const unsigned char*>(buffer.data());
        for (;;) {
            const auto& info = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const std::wstring_view name(info.FileName, info.FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") entries.push_back(entryFrom(info, name));
            if (info.NextEntryOffset == 0) break;
            at += info.NextEntryOffset;
        }
    }
    // An empty folder (a drive root has no "." entry) has nothing to fetch at
    // all; a listing cut short later (a share going away) still yields what it found.
    if (first && GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
    return entries;
}

std::optional<base::FolderIdentity> WinFileSystem::identity(const std::string& folder) {
    const std::wstring path = withoutTrailingBackslash(win::extendedLengthPath(folder));
    // Backup semantics is what lets CreateFileW open a folder; reading
    // attributes needs no more rights than listing did.
    win::UniqueFileHandle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    return base::FolderIdentity{info.dwVolumeSerialNumber,
                                (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::string WinFileSystem::fileStart(const std::string& path, std::size_t count) {
    WinFileByteSource file(path);
    const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), count));
    std::string bytes(length, '\0');
    if (!file.isOpen() || !file.readAt(0, std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), length))) return {};
    return bytes;
}

bool WinFileSystem::fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win::extendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinFileSystem::removeFile(const std::string& path) {
    const std::wstring name = win::extendedLengthPath(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    // A folder is never the earlier plot; a read-only file stays the user's choice.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    return DeleteFileW(name.c_str()) != 0;
}

std::optional<std::uint64_t> WinFileSystem::fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win::extendedLengthPath(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

base::MoveResult WinFileSystem::moveFile(const std::string& from, const std::string& to, bool replace) {
    using Outcome = base::MoveResult::Outcome;
    // One rename on the volume: the target holds the old file or the new one, never neither. A target
    // open in a viewer or read-only refuses it.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(win::extendedLengthPath(from).c_str(), win::extendedLengthPath(to).c_str(), flags))
        return {Outcome::Moved, {}};
    const DWORD error = GetLastError();
    // Held open for a moment (the application closing its file, a virus scanner reading it): worth another try.
    const bool inUse = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    return {inUse ? Outcome::InUse : Outcome::Refused, win::systemMessage(HRESULT_FROM_WIN32(error))};
}

bool WinFileSystem::makeHiddenFolder(const std::string& folder) {
    const std::wstring path = withoutTrailingBackslash(win::extendedLengthPath(folder));
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    // Hidden, Explorer and the tools that collect a plot folder's files pass it by; not hidden is no reason to fail.
    if (!(attributes & FILE_ATTRIBUTE_HIDDEN)) SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
    return true;
}

bool WinFileSystem::canWriteIn(const std::string& folder) {
    const std::wstring path = withoutTrailingBackslash(win::extendedLengthPath(folder));
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    // Only making a file tells: access rules, a read-only share or a full disk all refuse it.
    const std::wstring probe = path + (path.back() == L'\\' ? L"" : L"\\") + L".quillon-write-check-" +
                               std::to_wstring(GetCurrentProcessId());
    win::UniqueFileHandle handle(
        CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(handle);
}

std::optional<base::FileStamp> WinFileSystem::stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win::extendedLengthPath(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const std::int64_t written = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime);
    return base::FileStamp{size, written};
}

bool WinFileSystem::readPieces(const std::string& path, const std::function<void(std::string_view)>& piece) {
    // Shared every way: the drawing may be open in the CAD application, the plot file in a viewer.
    win::UniqueFileHandle handle(CreateFileW(win::extendedLengthPath(path).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) return false;
    // A run hashes every drawing and plot file it meets: making and clearing a megabyte of fresh memory
    // for each costs more than reading a small file. A piece that reads another file borrows another.
    const auto buffer = readBuffers().borrow();
    auto* const bytes = reinterpret_cast<char*>(buffer.data());
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(handle.get(), bytes, static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
        if (got == 0) return true;
        piece(std::string_view(bytes, got));
    }
}

bool WinFileSystem::appendToFile(const std::string& path, std::string_view text) {
    // Appending only: each write lands whole at the end, even with another process appending to the same file.
    win::UniqueFileHandle handle(CreateFileW(win::extendedLengthPath(path).c_str(), FILE_APPEND_DATA,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return false;
    DWORD written = 0;
    return WriteFile(handle.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace quillon::discovery
