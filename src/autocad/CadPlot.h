#pragma once

#include <cstdint>
#include <string>

#include "automation/AutoObject.h"

namespace quillon::autocad {

// A document's plot object: sends the active layout to a device or a file.
class CadPlot {
public:
    explicit CadPlot(automation::ObjectPtr plot) : plot_(std::move(plot)) {}
    const automation::ObjectPtr& raw() const { return plot_; }

    void setQuietErrorMode(bool quiet);
    void setNumberOfCopies(std::int16_t copies);
    // True when the device accepted the job.
    bool plotToFile(const std::string& fileName, const std::string& deviceName);
    // Plots with the layout's own configuration.
    void plotToDevice();

private:
    automation::ObjectPtr plot_;
};

}  // namespace quillon::autocad
