#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/pdf/CombinePlan.h"
#include "plotting/pdf/PdfFileAccess.h"
#include "plotting/record/RunReport.h"

namespace quillon::plotting {

// Where a sheet is once a combined file holds it.
struct SheetPlace {
    std::string drawing;  // the drawing's path
    std::string layout;
    std::string from;     // the file its pages were taken from
    std::string into;     // the combined file
    std::string pages;    // its pages there ("3", "3-4")
    bool fromCombined = false;  // taken from an earlier combined file, as its row said
    bool moves = false;         // its own file goes, now that the combined file holds it
};

// Takes the place into the sheet's row when it is that sheet's and the row is to name the combined file (its
// own file goes, or it already named the file it was taken from); false when it is not.
bool takePlace(ReportRow& row, const SheetPlace& place);

// What a combine takes: the choice, every row of the record in its order (a resume's carried rows among
// them: the set is the whole job's, or the whole part's), and the combined files as the record names them.
struct RunCombineInput {
    CombineChoice choice;
    std::vector<ReportRow> rows;
    std::vector<std::pair<std::string, std::string>> files;
    // The run's choices, carried on the combined files' rows as on every other.
    ReportRow choices;
    // Told, once each combined file is in place and before any sheet file is removed, where every sheet in it
    // is, so that the record names where each sheet is at every instant; false: the record could not say so,
    // and the sheet files stay.
    std::function<bool(const std::vector<SheetPlace>&)> recordPlaces;
    // Files no step may ever remove (the job, the reports, the drawings), folded.
    std::function<bool(const std::string&)> kept;
    // Pages that go in front of the run's combined file (its register), under their own bookmark; none: none.
    CombineFront front{};
};

struct RunCombineOutput {
    // One per combined file the record names, in its order; a file with nothing to combine has none.
    std::vector<std::pair<std::string, ReportRow>> rows;  // subject, row
    int withWarnings = 0;  // files that miss a sheet or a drawing, or could not be made
    bool stopped = false;
};

// Combines every file the record names, in order; status is told "Combining N sheets into <file>" before
// each. A sheet whose row names a combined file of the record (its own file went into it) is taken from
// under its bookmark there. Without keepSheetFiles a sheet file goes only once a combined file that holds it
// is in place, and only a file the record says a run of this job plotted as a sheet: never a combined file,
// nor a kept one. stop is asked between files and sheets (the program going away, never the run's Stop: a
// combine once begun is the run's last step and takes seconds).
RunCombineOutput combineRun(const RunCombineInput& input, PdfFileAccess& files, const std::function<bool()>& stop,
                            const std::function<void(const std::string&)>& status);

}  // namespace quillon::plotting
