#include "discovery/win/WinFileSystem.h"

#include <windows.h>

#include "discovery/win/ExtendedPath.h"
#include "win/UniqueResource.h"
#include "win/Utf.h"

namespace quillon::discovery {

namespace {

std::int64_t ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

bool isLink(const WIN32_FIND_DATAW& data) {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    // Junctions and symbolic links are name surrogates; cloud placeholders and
    // deduplicated files are reparse points too but hold their own contents.
    // An unreported tag is taken for a link, the safe side for a search.
    return data.dwReserved0 == 0 || IsReparseTagNameSurrogate(data.dwReserved0);
}

base::DirEntry entryFrom(const WIN32_FIND_DATAW& data) {
    base::DirEntry entry;
    entry.name = win::toUtf8(data.cFileName);
    entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isReparsePoint = isLink(data);
    entry.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    entry.system = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.lastWriteTime = ticks(data.ftLastWriteTime);
    return entry;
}

// A drive root keeps its backslash ("\\?\C:\" is the root, "\\?\C:" is not a folder).
std::wstring withoutTrailingBackslash(std::wstring path) {
    if (path.size() > 1 && path.back() == L'\\' && path[path.size() - 2] != L':') path.pop_back();
    return path;
}

}  // namespace

std::optional<std::vector<base::DirEntry>> WinFileSystem::list(const std::string& folder) {
    std::wstring pattern = extendedLengthPath(folder);
    if (!pattern.ends_with(L'\\')) pattern += L'\\';
    pattern += L'*';

    WIN32_FIND_DATAW data{};
    // Basic information leaves out the 8.3 names, which nothing here looks at.
    win::UniqueFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                                FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        // A drive root has no "." entry, so an empty one reports no match at all.
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<base::DirEntry>{};
        return std::nullopt;
    }
    std::vector<base::DirEntry> entries;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        entries.push_back(entryFrom(data));
    } while (FindNextFileW(find.get(), &data));
    // A listing cut short (a share going away mid-way) still yields what it found.
    return entries;
}

std::optional<base::FolderIdentity> WinFileSystem::identity(const std::string& folder) {
    const std::wstring path = withoutTrailingBackslash(extendedLengthPath(folder));
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

bool WinFileSystem::fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(extendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace quillon::discovery
