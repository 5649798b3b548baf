#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "plotting/PlotJobFile.h"
#include "plotting/ReportReader.h"

namespace quillon::plotting {

// What a resumed run plots: the drawings of a report not plotted in full, with
// the choices the report's run plotted with, and the counts a console tells.
struct ResumePlan {
    // drawings: in the order of their first row, spelled as that row spells them;
    // empty when the report's run plotted everything.
    PlotJobSpec job;
    std::size_t drawingsInReport = 0;
    std::size_t plottedInFull = 0;
    // Every drawing of the report, for the names that tell same-named drawings apart, and the plot file each
    // sheet the report's run wrote was recorded under (by recordedSheetKey): a resume names them alike.
    std::vector<std::string> listing;
    std::map<std::string, std::string> recorded;

    std::size_t toPlotAgain() const { return job.drawings.size(); }
};

// A drawing is plotted again when any of its rows failed, was skipped, stopped
// or not started; one whose every row was plotted never is. One path in two
// spellings is one drawing. Refused with a ReportError naming the line: a report
// without rows, a check's report (it plotted nothing), the report of a run that
// ended before it started (its row names the job, not a drawing), and rows whose
// choices differ (a resume plots with one set of choices, and guessing which
// would plot with the wrong one).
ResumePlan resumePlan(const std::vector<ReportRecord>& records);

}  // namespace quillon::plotting
