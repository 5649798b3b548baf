#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/UniqueResource.h"

namespace quillon::win {

// An open registry key. Failures throw WinError; a value or key that is
// simply absent is an empty optional, since callers treat that as "not set".
class RegistryKey {
public:
    static RegistryKey open(HKEY parent, std::wstring_view path, REGSAM access = KEY_READ);
    static std::optional<RegistryKey> tryOpen(HKEY parent, std::wstring_view path, REGSAM access = KEY_READ);
    static RegistryKey create(HKEY parent, std::wstring_view path, REGSAM access = KEY_READ | KEY_WRITE);
    // Removes path and everything below it; an absent key is not an error.
    static void deleteTree(HKEY parent, std::wstring_view path);

    HKEY get() const noexcept { return key_.get(); }

    // An empty name is the key's default value.
    std::optional<std::wstring> readString(std::wstring_view name) const;
    void writeString(std::wstring_view name, std::wstring_view value);
    std::optional<DWORD> readDword(std::wstring_view name) const;
    void writeDword(std::wstring_view name, DWORD value);
    void deleteValue(std::wstring_view name);

    std::vector<std::wstring> subKeyNames() const;
    std::vector<std::wstring> valueNames() const;

private:
    explicit RegistryKey(HKEY key) noexcept : key_(key) {}
    UniqueHkey key_;
};

}  // namespace quillon::win
