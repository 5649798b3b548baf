#include "win/ExtendedPath.h"

#include <windows.h>

#include <algorithm>

#include "win/Utf.h"

namespace quillon::win {

namespace {

bool isDriveAbsolute(std::wstring_view path) {
    return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && path[2] == L'\\';
}

bool isUnc(std::wstring_view path) { return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\'; }

bool hasDotParts(std::wstring_view path) {
    for (std::wstring_view part : {L"\\.\\", L"\\..\\"})
        if (path.find(part) != std::wstring_view::npos) return true;
    return path.ends_with(L"\\.") || path.ends_with(L"\\..");
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return path;
    full.resize(written);
    return full;
}

}  // namespace

std::wstring extendedLengthPath(std::wstring_view path) {
    if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) return std::wstring(path);
    std::wstring full(path);
    std::replace(full.begin(), full.end(), L'/', L'\\');
    if (!(isDriveAbsolute(full) || isUnc(full)) || hasDotParts(full)) full = fullPath(full);
    if (isUnc(full)) return L"\\\\?\\UNC\\" + full.substr(2);
    if (isDriveAbsolute(full)) return L"\\\\?\\" + full;
    return full;
}

std::wstring extendedLengthPath(std::string_view utf8Path) { return extendedLengthPath(win::toWide(utf8Path)); }

}  // namespace quillon::win
