#include "plotting/pdf/win/WinPdfFileAccess.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "win/ExtendedPath.h"
#include "win/Utf.h"
#include "win/WinError.h"

namespace quillon::plotting {

namespace {

// The path in the ANSI code page when that page holds every character of it, and the C runtime can open it.
std::optional<std::string> ansiName(const std::wstring& path) {
    if (path.empty() || path.size() >= MAX_PATH) return std::nullopt;
    BOOL lossy = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), static_cast<int>(path.size()),
                                          nullptr, 0, nullptr, &lossy);
    if (bytes <= 0 || lossy) return std::nullopt;
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), static_cast<int>(path.size()), narrow.data(), bytes,
                        nullptr, &lossy);
    // Some code pages map a character to one that converts back differently: only an exact round trip will do.
    const int back = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, narrow.data(), bytes, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(back > 0 ? back : 0), L'\0');
    if (back > 0) MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, narrow.data(), bytes, wide.data(), back);
    if (lossy || wide != path) return std::nullopt;
    return narrow;
}

// A temporary folder the C runtime can open files in: the user's, or its short (8.3) name.
std::optional<std::wstring> plainTemporaryFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return std::nullopt;
    std::wstring folder(buffer, length);
    if (ansiName(folder)) return folder;
    wchar_t shortName[MAX_PATH + 1] = {};
    const DWORD shortLength = GetShortPathNameW(folder.c_str(), shortName, MAX_PATH + 1);
    if (shortLength == 0 || shortLength > MAX_PATH) return std::nullopt;
    std::wstring plain(shortName, shortLength);
    if (ansiName(plain)) return plain;
    return std::nullopt;
}

}  // namespace

std::string WinPdfFileAccess::readableName(const std::string& path, std::size_t serial, std::string& why) {
    const std::wstring wide = win::toWide(path);
    if (auto narrow = ansiName(wide)) return *narrow;
    const auto folder = plainTemporaryFolder();
    if (!folder) {
        why = "its name is outside the system's code page and the temporary folder's is too";
        return {};
    }
    const std::wstring copy = *folder + L"quillon-pdf-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(serial) + L".pdf";
    // A temporary folder within the limit may still leave no room for the copy's name after it.
    const auto readable = ansiName(copy);
    if (!readable) {
        why = "its name is outside the system's code page, and the temporary folder's path leaves no room for a "
              "copy of it (" + win::toUtf8(copy) + " is too long)";
        return {};
    }
    if (!CopyFileW(win::extendedLengthPath(wide).c_str(), copy.c_str(), FALSE)) {
        why = win::WinError::fromLastError().what();
        return {};
    }
    const std::string name = *readable;
    std::lock_guard<std::mutex> hold(mutex_);
    copies_.insert(name);
    return name;
}

void WinPdfFileAccess::doneReading(const std::string&, const std::string& name) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (copies_.erase(name) == 0) return;
    // A copy that cannot be removed now is harmless: its name is never used again, and the folder is the system's.
    DeleteFileW(win::toWide(name).c_str());
}

bool WinPdfFileAccess::replace(const std::string& from, const std::string& to, std::string& why) {
    if (MoveFileExW(win::extendedLengthPath(from).c_str(), win::extendedLengthPath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    why = win::WinError::fromLastError().what();
    return false;
}

bool WinPdfFileAccess::exists(const std::string& path) {
    return GetFileAttributesW(win::extendedLengthPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WinPdfFileAccess::remove(const std::string& path) {
    // A temporary file that cannot be removed is harmless: nothing reads it, and its name is never used again.
    DeleteFileW(win::extendedLengthPath(path).c_str());
}

}  // namespace quillon::plotting
