#include "autocad/CadPlot.h"

namespace quillon::autocad {

using automation::Value;

void CadPlot::setQuietErrorMode(bool quiet) { plot_->put("QuietErrorMode", quiet); }

void CadPlot::setNumberOfCopies(std::int16_t copies) { plot_->put("NumberOfCopies", copies); }

bool CadPlot::plotToFile(const std::string& fileName, const std::string& deviceName) {
    return plot_->call("PlotToFile", {Value(fileName), Value(deviceName)}).toBool();
}

void CadPlot::plotToDevice() { plot_->call("PlotToDevice"); }

}  // namespace quillon::autocad
