#pragma once

#include <string>

#include "standin/DrawingModel.h"
#include "standin/JournalEntry.h"
#include "standin/Scenario.h"

namespace quillon::standin {

// One plot of a layout: its facts for the journal and, when plotted to a
// file, the small text file standing in for the plotter output.
class PlotJob {
public:
    PlotJob(const DrawingModel& doc, const LayoutModel& layout, const DeviceDef& device, int backgroundPlot);

    const PlotRecord& record() const { return record_; }

    // A bare file name goes into plotFolder; a path with a folder is used as
    // given; a name without an extension gets the device's. With existing
    // Refuse, a file of that name already there fails the call.
    bool plotToFile(const std::string& requested, const std::string& plotFolder, ExistingPlotFiles existing);
    bool plotToDevice();

private:
    const DeviceDef& device_;
    PlotRecord record_;

    bool writeFile(const std::string& path) const;
};

}  // namespace quillon::standin
