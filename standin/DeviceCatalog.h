#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "standin/Scenario.h"

namespace quillon::standin {

// The plot devices and plot style tables the scenario's system offers.
class DeviceCatalog {
public:
    explicit DeviceCatalog(const Scenario& scenario);

    const DeviceDef* find(std::string_view name) const;
    std::vector<std::string> deviceNames() const;
    const std::vector<std::string>& styleTables() const { return styleTables_; }
    // The table's own spelling, or nullptr when there is no such table.
    const std::string* findStyleTable(std::string_view name) const;

private:
    std::vector<DeviceDef> devices_;
    std::vector<std::string> styleTables_;
};

}  // namespace quillon::standin
