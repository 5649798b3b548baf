#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon::app {

// Per-user text values grouped by application and section. The registry
// keeps them on Windows; tests use MemorySettingsStore.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Nothing when the value is missing or cannot be read.
    virtual std::optional<std::string> read(std::string_view application, std::string_view section,
                                            std::string_view key) const = 0;
    virtual void write(std::string_view application, std::string_view section, std::string_view key,
                       std::string_view value) = 0;
};

}  // namespace quillon::app
