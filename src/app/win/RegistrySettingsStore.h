#pragma once

#include "app/SettingsStore.h"

namespace quillon::app {

// Settings under HKEY_CURRENT_USER\Software\<application>\<section>, each a
// registry string. A value that cannot be read counts as missing.
class RegistrySettingsStore : public SettingsStore {
public:
    std::optional<std::string> read(std::string_view application, std::string_view section,
                                    std::string_view key) const override;
    void write(std::string_view application, std::string_view section, std::string_view key,
               std::string_view value) override;
};

}  // namespace quillon::app
