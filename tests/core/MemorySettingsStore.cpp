#include "MemorySettingsStore.h"

namespace quillon::app {

std::string MemorySettingsStore::path(std::string_view application, std::string_view section, std::string_view key) {
    std::string out(application);
    out += '\\';
    out += section;
    out += '\\';
    out += key;
    return out;
}

std::optional<std::string> MemorySettingsStore::read(std::string_view application, std::string_view section,
                                                     std::string_view key) const {
    auto found = values_.find(path(application, section, key));
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

void MemorySettingsStore::write(std::string_view application, std::string_view section, std::string_view key,
                                std::string_view value) {
    values_[path(application, section, key)] = std::string(value);
    ++writeCount_;
}

}  // namespace quillon::app
