#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/CombinePlan.h"
#include "plotting/PdfFileAccess.h"
#include "plotting/RunReport.h"

namespace quillon::plotting {

// What a run's end combines: the choice, this run's report rows in the report's order, and for a
// resume the rows of the report it takes up, whose sheets the morning's file holds too.
struct RunCombineInput {
    CombineChoice choice;
    std::vector<ReportRow> rows;
    std::vector<ReportRow> resumed;
    CombineNaming naming;
    // The run's choices, carried on the combined files' rows as on every other.
    ReportRow choices;
    // Without keepSheetFiles: told which sheet files a combined file now holds (each with that file) before they
    // are removed, so the record names where each sheet is at every instant; false: the record could not say so,
    // and the sheet files stay.
    std::function<bool(const std::vector<std::pair<std::string, std::string>>&)> recordMoves;
};

struct RunCombineOutput {
    std::vector<ReportRow> rows;  // one per combined file
    int withWarnings = 0;         // files that miss a sheet, or could not be made
    bool stopped = false;
};

// The sheets of a resumed report and of the resume, in the first report's order: a drawing the
// resume plotted again takes its new rows in place of its old ones.
std::vector<ReportRow> rowsWithResumed(const std::vector<ReportRow>& resumed, const std::vector<ReportRow>& rows);

// Combines every file the choice asks for, in order; status is told "Combining N sheets into <file>" before
// each. Without keepSheetFiles a sheet file goes only once a combined file that holds it is in place. A
// resumed sheet whose report row names an earlier combined file is taken from under its bookmark there.
RunCombineOutput combineRun(const RunCombineInput& input, PdfFileAccess& files, const std::function<bool()>& stop,
                            const std::function<void(const std::string&)>& status);

}  // namespace quillon::plotting
