#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/FileSystem.h"
#include "plotting/PlotRules.h"

namespace quillon::plotting {

// The choices that shape a plot file, each by the name a reason gives it ("device") with its value as
// the run has it: the device, paper and plot style table, where the sheets' settings come from (with the
// template drawing's content, so an edited page setup counts), which layouts are sheets, and how the
// files are named. Copies do not change a file; where the files go is which record is read.
std::vector<std::pair<std::string, std::string>> sheetChoices(const PlotSetup& setup, base::FileSystem& files);

}  // namespace quillon::plotting
