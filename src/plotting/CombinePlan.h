#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plotting/CombineChoice.h"
#include "plotting/PdfCombiner.h"
#include "plotting/RunReport.h"

namespace quillon::plotting {

// What the run's names are made of.
struct CombineNaming {
    std::string runFolder;  // where the run's combined file goes: the plot folder, else the job's folder
    std::string folderName; // {folder}: the last folder of the job's folder, or the job file's name
    std::string jobName;    // {job}: the job file's name without extension; "Quillon" in the window
    std::string date;       // {date}: YYYY-MM-DD
    std::string part;       // "part 2 of 4" for one part of a job, said in the name
};

// One combined file to write: its path, what it is called in the report, its sheets in order.
// A sheet the record says was not plotted is not tried: it is named among the missing at once.
struct CombineTarget {
    std::string file;
    std::string subject;  // the drawing's path, or the run's folder or job
    std::vector<CombinedSheet> sheets;
    std::vector<LeftOutSheet> notPlotted;
};

// The combined files of a run from its report's rows, in the report's order: per drawing, each
// drawing's sheets beside its sheet files; for the run, every sheet in one file in runFolder.
std::vector<CombineTarget> combineTargets(const CombineChoice& choice, const std::vector<ReportRow>& rows,
                                          const CombineNaming& naming);

// The report's row for a combined file (outcome "combined", "combined with warnings" or "failed").
ReportRow combinedRow(const CombineTarget& target, const CombineResult& result, const ReportRow& choices);

}  // namespace quillon::plotting
