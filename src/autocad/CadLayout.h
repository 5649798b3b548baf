#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "automation/AutoObject.h"

namespace quillon::autocad {

// Values of the layout's plot enumerations that Quillon sets.
namespace plot_type {
inline constexpr std::int32_t Extents = 1;
}
namespace standard_scale {
inline constexpr std::int32_t ScaleToFit = 0;
}
namespace plot_rotation {
inline constexpr std::int32_t Degrees90 = 1;
}

// A layout and its plot configuration.
class CadLayout {
public:
    explicit CadLayout(automation::ObjectPtr layout) : layout_(std::move(layout)) {}
    const automation::ObjectPtr& raw() const { return layout_; }

    std::string name();
    // The model layout is the one whose ModelType is true, whatever the names.
    bool modelType();
    // The tab's position: 0 for the model layout, 1 on for paper ones.
    std::int32_t tabOrder();
    // The entities of the layout's block: 0 for a layout never made active.
    std::int32_t blockCount();
    std::string configName();
    void setConfigName(const std::string& deviceName);
    void refreshPlotDeviceInfo();

    std::vector<std::string> plotDeviceNames();
    std::vector<std::string> canonicalMediaNames();
    std::vector<std::string> plotStyleTableNames();

    void setCanonicalMediaName(const std::string& mediaName);
    std::string plotStyleTable();
    void setPlotStyleTable(const std::string& tableName);

    void setPlotWithPlotStyles(bool on);
    void setUseStandardScale(bool on);
    void setCenterPlot(bool on);
    void setPlotType(std::int32_t type);
    void setStandardScale(std::int32_t scale);
    void setPlotRotation(std::int32_t rotation);

private:
    automation::ObjectPtr layout_;
};

}  // namespace quillon::autocad
