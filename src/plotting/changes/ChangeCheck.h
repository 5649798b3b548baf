#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "plotting/DrawingOutcome.h"
#include "plotting/PlotRules.h"
#include "plotting/changes/JobScope.h"
#include "plotting/changes/PlotKey.h"
#include "plotting/changes/PlotKeyStore.h"
#include "plotting/pdf/RunCombine.h"
#include "plotting/xref/ReferenceUse.h"

namespace quillon::plotting {

// Tells, from the files alone and without the CAD application, whether a
// drawing's sheets are still what its last plot made of it, and records
// what each plot was made from beside its plot files. One per run, shared
// by its sessions.
class ChangeCheck {
public:
    using LocalTime = std::function<std::string(std::chrono::system_clock::time_point)>;
    // ownFile: the name of the record file this run writes in each plot folder.
    ChangeCheck(PlotSetup setup, std::string ownFile, LocalTime localTime);

    struct Verdict {
        bool upToDate = false;
        // Why the drawing is plotted ("drawing changed", "reference SITE changed", "device changed",
        // "plot file missing", "never plotted"); empty when it is up to date.
        std::string reason;
        // The record that stands, when up to date.
        std::optional<PlotKey> record;
    };
    Verdict decide(base::FileSystem& files, const std::string& drawing);

    // Records the plot just made of drawing: what it was made from (the drawing as it was before it was
    // opened, its references, the choices) and the files it made. A plot that is not whole (a sheet
    // failed, the run was stopped) leaves a record saying so, so that no earlier one stands for it.
    // False when a record was due and could not be written.
    // The hashes recorded go on the outcome, for the run report.
    bool recordPlot(base::FileSystem& files, const std::string& drawing, const std::optional<FileKey>& before,
                    const std::vector<ReferenceUse>& references, DrawingOutcome& outcome);

    // A combined file now in place and where each of its sheets is in it: recorded with the file, and on the
    // records of the drawings whose sheets it now holds in their own files' stead. False when it could not be
    // written (those drawings then count as changed next time).
    bool recordCombined(base::FileSystem& files, const std::vector<SheetPlace>& places);

    // The job the run plots, and what is told of the drawings it no longer has: set once, before any session
    // takes a drawing up.
    using LeftBehindSink = std::function<void(const std::vector<DrawingOutcome>&)>;
    void setJob(JobScope job, LeftBehindSink sink);
    // Once per run, on whichever session comes first: the plot files earlier plots made of the job's drawings
    // that are gone (deleted or renamed), still as Quillon wrote them, each drawing an outcome of obsolete
    // files, told to the sink (and removed when the run asks; their record is then let go).
    void reportLeftBehind(base::FileSystem& files);

    // The obsolete files a record names that are still as Quillon wrote them, each with its layout.
    static std::vector<std::pair<std::string, std::string>> stillObsolete(base::FileSystem& files, const PlotKey& record);

    // The combined file the drawing's last combine wrote holding its sheets alone (a drawing's own combined
    // file); nothing when the record has none.
    std::optional<std::string> combinedFileOf(base::FileSystem& files, const std::string& drawing);

    // Whether the plot record beside the file names it as another drawing's sheet.
    bool heldByAnother(base::FileSystem& files, const std::string& file, const std::string& drawing);

    // The choices that shape a sheet, each by the name a reason gives it.
    const std::vector<std::pair<std::string, std::string>>& choices(base::FileSystem& files);

private:
    std::optional<std::string> changeIn(base::FileSystem& files, const std::string& drawing, PlotKey& record,
                                        const std::map<std::string, CombinedFileKey>& combined);
    // Whether a sheet held by a combined file is still there as recorded; its pages onto the sheet when it is.
    static std::optional<std::string> pagesIn(base::FileSystem& files, const std::string& drawing, SheetFileKey& sheet,
                                              const std::map<std::string, CombinedFileKey>& combined);
    // The store of the folder the drawing's plot files go to, read at its first use.
    PlotKeyStore& storeFor(base::FileSystem& files, const std::string& drawing);
    PlotKeyStore& storeOfFolder(base::FileSystem& files, const std::string& folder);
    // The files the drawing's last plot made for sheets this one did not, still as Quillon wrote them: put on
    // the outcome, and removed when the run asks.
    void noteObsolete(base::FileSystem& files, const PlotKey& last, PlotKey& now, DrawingOutcome& outcome);
    // A reference file's key: hashed once per run while its stamp stays, however many drawings use it.
    std::optional<FileKey> referenceKey(base::FileSystem& files, const std::string& file);

    PlotSetup setup_;
    std::optional<JobScope> job_;
    LeftBehindSink leftBehindSink_;
    bool leftBehindTold_ = false;
    std::string ownFile_;
    LocalTime localTime_;
    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<PlotKeyStore>> stores_;
    std::optional<std::vector<std::pair<std::string, std::string>>> choices_;
    std::map<std::string, FileKey> references_;
};

// The file a reference with this stored path loads from, as the application looks for it: the path
// itself, the drawing's folder and the path below it, the drawing's folder and its file name. Empty
// when none is there.
std::string referenceFileUsed(base::FileSystem& files, const std::string& drawingFolder, const std::string& path);

// The outcome of a drawing whose sheets are up to date: each sheet as its record has it.
DrawingOutcome upToDateOutcome(const std::string& drawing, const PlotKey& record);

}  // namespace quillon::plotting
