#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "app/SettingsStore.h"

namespace quillon::app {

// Settings held in memory, counting writes so a test can tell that none happened.
class MemorySettingsStore : public SettingsStore {
public:
    std::optional<std::string> read(std::string_view application, std::string_view section,
                                    std::string_view key) const override;
    void write(std::string_view application, std::string_view section, std::string_view key,
               std::string_view value) override;

    std::size_t writeCount() const { return writeCount_; }

private:
    static std::string path(std::string_view application, std::string_view section, std::string_view key);

    std::map<std::string, std::string> values_;
    std::size_t writeCount_ = 0;
};

}  // namespace quillon::app
