#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/files/PlotFileNaming.h"
#include "plotting/pdf/CombineChoice.h"
#include "plotting/pdf/PdfCombiner.h"
#include "plotting/record/RunReport.h"

namespace quillon::plotting {

// What the run's names are made of.
struct CombineNaming {
    std::string runFolder;  // where the run's combined file goes: the plot folder, else the job's folder
    std::string folderName; // {folder}: the last folder of the job's folder, or the job file's name
    std::string jobName;    // {job}: the job file's name without extension; "Quillon" in the window
    std::string date;       // {date}: YYYY-MM-DD
    std::string part;       // "part 2 of 4" for one part of a job, said in the name
};

// The combined files of a run, named once at its start: per drawing, each drawing's beside its sheets (in the
// plot folder, else the drawing's), its name taking the drawing's qualifier as its sheets do, so that two
// drawings of one name never share one; for the run, one in runFolder, " part K of N" after a part's. Each is
// a subject (the drawing's path, or runFolder) and a file.
std::vector<std::pair<std::string, std::string>> combinedFileNames(const CombineChoice& choice,
                                                                   const std::vector<std::string>& drawings,
                                                                   const PlotFileOptions& files,
                                                                   const CombineNaming& naming);

// One drawing's combined file, as combinedFileNames names it. A pattern with {prop:Name} takes the drawing's
// properties once it is open (properties given): nothing when one it needs is missing. Before that (none given)
// it is the usual name, "{drawing} sheets".
std::optional<std::string> drawingCombinedFile(const CombineChoice& choice, const std::string& drawing,
                                               const PlotFileOptions& files, const CombineNaming& naming,
                                               const std::optional<NameValues>& properties);

// A sheet's pages in a combined file as the record writes them: "3" or "3-4", counted from 1; and back, first
// page from 0 and count (none when the text is not such pages).
std::string combinedPagesText(std::size_t firstPage, std::size_t pages);
std::optional<std::pair<std::size_t, std::size_t>> combinedPagesFrom(const std::string& text);

// The register's file, named as the run's combined file is: in runFolder, the pattern's {folder}, {date} and
// {job}, " part K of N" after a part's, ".csv".
std::string registerFileName(const std::string& pattern, const CombineNaming& naming);

// A drawing that has no sheet in a combined file although it should: failed, skipped, stopped, not started.
struct MissingDrawing {
    std::string drawing;  // its bookmark: its name
    std::string why;      // its outcome and reason
};

// One combined file to write: its path, what it is called in the report, its sheets in order.
// A sheet the record says was not plotted is not tried: it is named among the missing at once.
struct CombineTarget {
    std::string file;
    std::string subject;  // the drawing's path, or the run's folder
    std::vector<CombinedSheet> sheets;
    std::vector<LeftOutSheet> notPlotted;
    std::vector<MissingDrawing> missingDrawings;
};

// The combined files of a record from its rows, in the rows' order, each under the name the record gives it
// (files: subject and file, as combinedFileNames made them). A drawing with nothing left to plot (its
// layouts all left out or none chosen) misses nothing; one without a plotted sheet misses its whole self.
// A per-drawing file of a drawing with nothing at all to combine is left out.
std::vector<CombineTarget> combineTargets(const CombineChoice& choice, const std::vector<ReportRow>& rows,
                                          const std::vector<std::pair<std::string, std::string>>& files);

// The report's row for a combined file (outcome "combined", "combined with warnings" or "not combined").
ReportRow combinedRow(const CombineTarget& target, const CombineResult& result, const ReportRow& choices);
// The row of a combined file the record names before it is made: "not combined yet".
ReportRow combinedRowAhead(const std::string& subject, const std::string& file, const ReportRow& choices);

}  // namespace quillon::plotting
