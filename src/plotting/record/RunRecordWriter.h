#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/DrawingOutcome.h"
#include "plotting/PlotRules.h"
#include "plotting/files/PlotFileClaims.h"
#include "plotting/pdf/CombinePlan.h"
#include "plotting/pdf/RunCombine.h"
#include "plotting/record/JobNames.h"
#include "plotting/record/RunReport.h"

namespace quillon::plotting {

// The names a run starting now gives its files, decided once: the recorded ones (a resume's), else over the
// whole job's listing (for a part, every part's drawings); the names' date is the first run's.
void decideRunNames(PlotSetup& setup, const JobNames& names, const std::vector<std::string>& runDrawings);

// The run's record, written ahead by whichever session changes it. At the start: every drawing of the run
// "not started" and a resume's carried rows, in the report's order, then each combined file's row "not
// combined yet" under the name decided now (claimed against every sheet name the record already gives; a
// sheet that takes it later moves it on, and its row says so at once). Then each drawing's rows as the ledger
// changes them, and the combined files' rows as the combine makes them. Only what changed is written (see
// RunReport): the record's cost grows linearly with the run.
class RunRecordWriter {
public:
    using LocalTime = std::function<std::string(std::chrono::system_clock::time_point)>;

    // drawings: the run's, in the ledger's order. part: "part 2 of 4" for one part of a job.
    RunRecordWriter(std::shared_ptr<RunReport> report, PlotSetup setup, const JobNames& names,
                    const std::vector<std::string>& drawings, const CombineNaming& naming,
                    std::shared_ptr<PlotFileClaims> claims, std::string part, LocalTime localTime);

    // The ledger's writer (RunLedger::Writer).
    std::optional<std::string> write(const std::vector<DrawingOutcome>& record, std::size_t changed);
    // Every row of the record now, in its order: the whole set the combine takes its sheets from.
    std::vector<ReportRow> rows() const;
    // The combined files as the record names them now: subject and file.
    std::vector<std::pair<std::string, std::string>> combinedFiles() const;
    // Where the sheets of a combined file now in place are: the rows of those whose own files go, and of those
    // taken from an earlier combined file, name it and their pages in it. False when the record could not be
    // written.
    bool recordPlaces(const std::vector<SheetPlace>& places);
    // The files earlier plots left of the job's drawings that are gone: rows of their own, before the combined
    // files'. How many files they name, for the run's count of obsolete files.
    void recordLeftBehind(const std::vector<DrawingOutcome>& gone);
    int leftBehindFiles() const;
    // The combine's rows, by subject; a file with no row had nothing to combine (or, stopped, was never begun).
    std::optional<std::string> recordCombined(const std::vector<std::pair<std::string, ReportRow>>& rows, bool stopped);
    // The run is over: the record's files whole, their journals gone.
    std::optional<std::string> finish();
    // What every row of the run says: its choices, with its part.
    ReportRow choices() const;
    const std::shared_ptr<RunReport>& report() const { return report_; }

private:
    std::vector<ReportRow> rowsOf(const DrawingOutcome& outcome) const;
    std::optional<std::string> setEntries(std::vector<std::pair<std::size_t, std::vector<ReportRow>>> changes);

    mutable std::mutex mutex_;
    std::shared_ptr<RunReport> report_;
    PlotSetup setup_;
    std::shared_ptr<PlotFileClaims> claims_;
    std::string part_;
    LocalTime localTime_;
    // The ledger's drawings' entries; the carried entries with their rows, written at the start.
    std::vector<std::size_t> drawingEntry_;
    std::vector<std::pair<std::size_t, std::vector<ReportRow>>> carried_;
    std::map<std::string, int> positions_;  // folded path -> place in the job
    // The entry of the files left behind by drawings that are gone; entries from combinedBase_ on are the
    // combined files', as claims_ names them.
    std::size_t leftBehindEntry_ = 0;
    int leftBehindFiles_ = 0;
    std::size_t combinedBase_ = 0;
    std::vector<std::pair<std::string, std::string>> combined_;
    std::size_t movesSeen_ = 0;
    std::map<std::string, std::size_t> entryOfDrawing_;  // folded drawing path -> its entry
    bool begun_ = false;
};

}  // namespace quillon::plotting
