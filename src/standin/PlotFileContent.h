#pragma once

#include <string>

#include "standin/JournalEntry.h"

namespace quillon::standin {

// What a plot to a file writes: the plot's facts as text lines, wrapped as a
// PDF when the file is one. Kept in one place so a truer writer can replace it.
std::string plotFileContent(const PlotRecord& record, const std::string& path);

}  // namespace quillon::standin
