#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "plotting/job/PlotJobFile.h"
#include "plotting/record/JobNames.h"
#include "plotting/record/ReportReader.h"

namespace quillon::plotting {

// What a resumed run plots: the drawings of a report not plotted in full, with
// the choices the report's run plotted with, and the counts a console tells.
struct ResumePlan {
    // drawings: in the order of their first row, spelled as that row spells them;
    // empty when the report's run plotted everything.
    PlotJobSpec job;
    std::size_t drawingsInReport = 0;
    std::size_t plottedInFull = 0;
    // The names the report recorded (its drawings, their qualifiers, sheets and combined files, the names'
    // date), and every row of it to carry forward: the resume's record is the whole set.
    JobNames names;
    // A combined file of the report is still to make: not combined (failed or stopped, in a report of any
    // version), combined with a sheet or a drawing missing, never begun, or gone from its place. A resume
    // makes the set's combined files again even when every sheet is plotted.
    bool combineLeft = false;

    std::size_t toPlotAgain() const { return job.drawings.size(); }
};

// A drawing is plotted again when any of its rows failed, was skipped, stopped
// or not started; one whose every row was plotted never is. One path in two
// spellings is one drawing. Refused with a ReportError naming the line: a report
// without rows, a check's report (it plotted nothing), the report of a run that
// ended before it started (its row names the job, not a drawing), and rows whose
// choices differ (a resume plots with one set of choices, and guessing which
// would plot with the wrong one).
// report: the report's path, which carried rows name unless they name an earlier one. exists: whether a
// file is there (a combined file the report says it made must still be).
ResumePlan resumePlan(const std::vector<ReportRecord>& records, const std::string& report = "",
                      const std::function<bool(const std::string&)>& exists = nullptr);

}  // namespace quillon::plotting
