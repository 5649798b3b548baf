#include "app/win/RegistrySettingsStore.h"

#include "win/RegistryKey.h"
#include "win/Utf.h"
#include "win/WinError.h"

namespace quillon::app {

namespace {
std::wstring keyPath(std::string_view application, std::string_view section) {
    return L"Software\\" + win::toWide(application) + L"\\" + win::toWide(section);
}
}  // namespace

std::optional<std::string> RegistrySettingsStore::read(std::string_view application, std::string_view section,
                                                       std::string_view key) const {
    try {
        auto opened = win::RegistryKey::tryOpen(HKEY_CURRENT_USER, keyPath(application, section));
        if (!opened) return std::nullopt;
        auto value = opened->readString(win::toWide(key));
        if (!value) return std::nullopt;
        return win::toUtf8(*value);
    } catch (const win::WinError&) {
        // A value of the wrong type or an unreadable key is treated like a missing one: the default applies.
        return std::nullopt;
    }
}

void RegistrySettingsStore::write(std::string_view application, std::string_view section, std::string_view key,
                                  std::string_view value) {
    auto opened = win::RegistryKey::create(HKEY_CURRENT_USER, keyPath(application, section));
    opened.writeString(win::toWide(key), win::toWide(value));
}

}  // namespace quillon::app
