#pragma once

#include <string>
#include <vector>

#include "plotting/DrawingOutcome.h"
#include "plotting/PlotRules.h"
#include "plotting/RunReport.h"

namespace quillon::plotting {

// The run report's rows for one drawing: one per sheet sent to the CAD
// application, or one for a drawing that plotted nothing (skipped, failed,
// stopped). A drawing that failed after some sheets gets a last row saying
// why. Every row carries the drawing's start and seconds.
std::vector<ReportRow> reportRows(const DrawingOutcome& outcome, const PlotSetup& setup,
                                  const std::string& startedIso);

}  // namespace quillon::plotting
