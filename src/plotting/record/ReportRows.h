#pragma once

#include <string>
#include <vector>

#include "plotting/DrawingOutcome.h"
#include "plotting/PlotRules.h"
#include "plotting/record/RunReport.h"

namespace quillon::plotting {

// The run report's rows for one drawing: one per sheet sent to the CAD
// application, or one for a drawing that plotted nothing (skipped, failed,
// stopped). A drawing that failed after some sheets gets a last row saying
// why, unless its sheets' rows say it already. Every row carries the
// drawing's start and seconds, and the name qualifier its files take.
std::vector<ReportRow> reportRows(const DrawingOutcome& outcome, const PlotSetup& setup,
                                  const std::string& startedIso);

// What every row of a run says: its choices.
ReportRow choicesRow(const PlotSetup& setup);

}  // namespace quillon::plotting
