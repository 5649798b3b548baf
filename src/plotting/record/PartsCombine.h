#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/pdf/CombineChoice.h"
#include "plotting/pdf/RunCombine.h"
#include "plotting/record/ReportReader.h"

namespace quillon::plotting {

// A report given to /combine, as read.
struct PartReport {
    std::string path;
    std::vector<ReportRecord> records;
};

// What /combine makes of the reports of a job's parts (and of their resumes): the job's one set.
struct PartsCombine {
    CombineChoice choice;
    // Every drawing's rows in the job's order (by Job position, then as given), each naming the report it
    // came from (Carried from); a drawing in two reports takes the rows of the one that plotted it in full,
    // else of the later given.
    std::vector<ReportRow> rows;
    // The job's combined files as the reports recorded them: subject and file. For the run, the parts'
    // file without " part K of N".
    std::vector<std::pair<std::string, std::string>> files;
    // "part 3 of 4" for each part no report was given for.
    std::vector<std::string> missingParts;
    // Drawings whose combined file no report names (reports from before combined files had rows ahead).
    std::vector<std::string> unnamed;
    // The choices every row of the job's report carries.
    ReportRow choices;
};

// The job's set from its parts' reports, reading recorded names only. Refused (std::runtime_error naming
// the report and line): no report, a check's report, reports of two jobs (their choices or their number of
// parts differ), a job that does not combine, a run's file no report names.
PartsCombine planPartsCombine(const std::vector<PartReport>& reports);

// Makes the job's set: every drawing's rows carried into report, each combined file's row "not combined yet"
// ahead of it, then the files combined (as a run's end combines them, the sheet files going into them when
// the job keeps none), and each file's row as it came out. A file of the run misses the parts not given.
// front: pages that go in front of the job's one combined file (its register); placed: told where each
// combined file's sheets went.
RunCombineOutput combineParts(const PartsCombine& plan, RunReport& report, PdfFileAccess& files,
                              const std::function<void(const std::string&)>& status, const CombineFront& front = {},
                              const std::function<void(const std::vector<SheetPlace>&)>& placed = {});

}  // namespace quillon::plotting
