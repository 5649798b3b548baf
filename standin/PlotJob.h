#pragma once

#include <string>

#include "standin/DrawingModel.h"
#include "standin/JournalEntry.h"
#include "standin/Scenario.h"

namespace quillon::standin {

// One plot of a layout: its facts for the journal and, when plotted to a
// file, the file standing in for the plotter output (a
// one-page PDF for a PDF device, else a small text file).
class PlotJob {
public:
    PlotJob(const DrawingModel& doc, const LayoutModel& layout, const DeviceDef& device, int backgroundPlot);

    const PlotRecord& record() const { return record_; }

    // A bare file name goes into plotFolder; a path with a folder is used as
    // given; a name without an extension gets the device's, and a device with
    // a forced extension puts it in place of the name's last one. With existing
    // Refuse, a file of that name already there fails the call.
    // A background plot answers whether the job was taken; it comes out at finish().
    // A name whose stem is a device of Windows (CON, NUL, COM1, ...) is
    // taken and goes to that device: no file is written.
    bool plotToFile(const std::string& requested, const std::string& plotFolder, ExistingPlotFiles existing);
    // Fails the plot as one into a folder that cannot be reached.
    [[noreturn]] void folderGone(const std::string& requested, const std::string& plotFolder);
    // A device whose configuration plots to a file (a file port) writes "<drawing>-<layout>" into the
    // folder for plots to a file nobody named.
    bool plotToDevice(const std::string& unnamedPlotFolder);

    // Set by BACKGROUNDPLOT not 0 when the job was made.
    bool background() const { return record_.background; }
    // A background plot taken earlier comes out now, or never.
    void finish();
    void lose();

private:
    const DeviceDef* device_;
    PlotRecord record_;
    bool taken_ = false;
    // Nothing reaches the file: a reserved name, or a device that loses its plots.
    bool writesNothing_ = false;

    std::string pathFor(const std::string& requested, const std::string& plotFolder) const;

    bool writeFile(const std::string& path) const;
};

// Whether a device writes PDF files: its name contains "PDF", in any case.
bool makesPdf(const std::string& device);

}  // namespace quillon::standin
