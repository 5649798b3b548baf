#include "win/RegistryKey.h"

#include "win/Utf.h"
#include "win/WinError.h"

namespace quillon::win {

namespace {
std::string describe(std::string_view action, std::wstring_view name) {
    return std::string(action) + " '" + toUtf8(name) + "'";
}

void check(LSTATUS status, std::string_view action, std::wstring_view name) {
    if (status != ERROR_SUCCESS) throw WinError::fromWin32(static_cast<DWORD>(status), describe(action, name));
}

// Registry names are at most 16383 characters; one buffer of that size serves every enumeration.
constexpr DWORD maxNameLength = 16384;
}  // namespace

RegistryKey RegistryKey::open(HKEY parent, std::wstring_view path, REGSAM access) {
    HKEY key = nullptr;
    check(RegOpenKeyExW(parent, std::wstring(path).c_str(), 0, access, &key), "Opening registry key", path);
    return RegistryKey(key);
}

std::optional<RegistryKey> RegistryKey::tryOpen(HKEY parent, std::wstring_view path, REGSAM access) {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(parent, std::wstring(path).c_str(), 0, access, &key);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return std::nullopt;
    check(status, "Opening registry key", path);
    return RegistryKey(key);
}

RegistryKey RegistryKey::create(HKEY parent, std::wstring_view path, REGSAM access) {
    HKEY key = nullptr;
    check(RegCreateKeyExW(parent, std::wstring(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                          &key, nullptr),
          "Creating registry key", path);
    return RegistryKey(key);
}

void RegistryKey::deleteTree(HKEY parent, std::wstring_view path) {
    LSTATUS status = RegDeleteTreeW(parent, std::wstring(path).c_str());
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return;
    check(status, "Deleting registry key", path);
}

std::optional<std::wstring> RegistryKey::readString(std::wstring_view name) const {
    std::wstring valueName(name);
    std::wstring buffer(64, L'\0');
    for (;;) {
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        LSTATUS status =
            RegGetValueW(key_.get(), nullptr, valueName.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                         nullptr, buffer.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            buffer.resize(bytes / sizeof(wchar_t) + 1);
            continue;
        }
        if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
        check(status, "Reading registry value", name);
        // The size includes the terminating null that RegGetValue guarantees.
        buffer.resize(bytes / sizeof(wchar_t));
        if (!buffer.empty() && buffer.back() == L'\0') buffer.pop_back();
        return buffer;
    }
}

void RegistryKey::writeString(std::wstring_view name, std::wstring_view value) {
    std::wstring text(value);
    check(RegSetValueExW(key_.get(), std::wstring(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
          "Writing registry value", name);
}

std::optional<DWORD> RegistryKey::readDword(std::wstring_view name) const {
    DWORD value = 0;
    DWORD bytes = sizeof value;
    LSTATUS status =
        RegGetValueW(key_.get(), nullptr, std::wstring(name).c_str(), RRF_RT_REG_DWORD, nullptr, &value, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    check(status, "Reading registry value", name);
    return value;
}

void RegistryKey::writeDword(std::wstring_view name, DWORD value) {
    check(RegSetValueExW(key_.get(), std::wstring(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                         sizeof value),
          "Writing registry value", name);
}

void RegistryKey::deleteValue(std::wstring_view name) {
    LSTATUS status = RegDeleteValueW(key_.get(), std::wstring(name).c_str());
    if (status == ERROR_FILE_NOT_FOUND) return;
    check(status, "Deleting registry value", name);
}

std::vector<std::wstring> RegistryKey::subKeyNames() const {
    std::vector<std::wstring> names;
    std::wstring buffer(maxNameLength, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = maxNameLength;
        LSTATUS status = RegEnumKeyExW(key_.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return names;
        check(status, "Listing registry key", L"");
        names.emplace_back(buffer.data(), length);
    }
}

std::vector<std::wstring> RegistryKey::valueNames() const {
    std::vector<std::wstring> names;
    std::wstring buffer(maxNameLength, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = maxNameLength;
        LSTATUS status = RegEnumValueW(key_.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return names;
        check(status, "Listing registry values", L"");
        names.emplace_back(buffer.data(), length);
    }
}

}  // namespace quillon::win
