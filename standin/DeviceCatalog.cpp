#include "standin/DeviceCatalog.h"

#include "standin/TextCase.h"

namespace quillon::standin {

DeviceCatalog::DeviceCatalog(const Scenario& scenario) : devices_(scenario.devices), styleTables_(scenario.styleTables) {}

const DeviceDef* DeviceCatalog::find(std::string_view name) const {
    for (const auto& device : devices_) {
        if (equalsNoCase(device.name, name)) return &device;
    }
    return nullptr;
}

std::vector<std::string> DeviceCatalog::deviceNames() const {
    std::vector<std::string> names;
    for (const auto& device : devices_) names.push_back(device.name);
    return names;
}

const std::string* DeviceCatalog::findStyleTable(std::string_view name) const {
    for (const auto& table : styleTables_) {
        if (equalsNoCase(table, name)) return &table;
    }
    return nullptr;
}

}  // namespace quillon::standin
