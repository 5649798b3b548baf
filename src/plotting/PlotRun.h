#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "autocad/CadConnection.h"
#include "base/FileSystem.h"
#include "plotting/DrawingOutcome.h"
#include "plotting/DrawingPlotter.h"
#include "plotting/PlotRules.h"
#include "plotting/PlotRunDisplay.h"
#include "plotting/PlotRunList.h"
#include "plotting/RunEvents.h"
#include "plotting/RunShare.h"
#include "plotting/SessionRestarts.h"
#include "plotting/changes/FileKey.h"
#include "plotting/xref/XrefReloader.h"

namespace quillon::plotting {

namespace run_text {
inline constexpr const char* Opening = "Opening Drawing ";
inline constexpr const char* PrintingLayouts = "Printing All Layouts of ";
inline constexpr const char* PrintingModel = "Printing Model Space from Drawing ";
inline constexpr const char* CheckingLayouts = "Checking All Layouts of ";
inline constexpr const char* CheckingModel = "Checking Model Space of Drawing ";
inline constexpr const char* Closing = "Closing Drawing ";
inline constexpr const char* Ellipsis = " ...";
inline constexpr const char* FilesFound = "  Files Found  ";
inline constexpr const char* PrintingFolder = "Printing All Drawings in ";
inline constexpr const char* Processing = "Processing ...";
inline constexpr const char* LostTitle = "AutoCAD Not Responding";
inline constexpr const char* TooManyTitle = "Too Many Drawings";
inline constexpr const char* PlotFolderTitle = "Plot Folder";
inline constexpr const char* TooManyText =
    "A plot run can take at most 32767 listed drawings.\r\n"
    "List fewer drawings (a smaller folder, or without sub-folders) and start the run again.";
}  // namespace run_text

// The three plot runs: the "Print All &Drawing" button (PrintAllButton), "Print
// &Selected Drawings" (mnuPrintMultiple) and "&Print All Drawings" (mnuAllPrint).
enum class RunKind { AllListed, Selected, AllDrawings };

// One plot run over the drawing list, from its last entry to its first.
//
// The run is stepped: start() validates the choices, then each step() does
// one piece of automation work (open a drawing, prepare it, plot one layout
// or its model space, close it) and returns whether more remains. It runs on
// the thread that owns the connection, never the window's, so Stop is set
// from the window at any time. The run reads it before each step, before
// each layout and inside the reference search: the call in progress
// finishes, the drawing Quillon opened is closed, and the run ends.
//
// An application error escaping a drawing is reported in Status and on the
// drawing's row, the drawing is closed and the run goes on. When an
// application Quillon started dies, a new one is started and the drawing in
// hand is tried once more on it (SessionRestarts says when it fails instead:
// a second death on it, or a call the watchdog had to end). Losing the
// user's own application, or a fourth loss with no drawing finished since
// the first, ends the run with a message; the connection lets go of it, so
// the next run connects again. Quillon's own application is also replaced on
// purpose before a drawing, every so many drawings or past a memory bound.
//
// Given a RunShare, the run is one session of several: it plots the drawings
// the share hands it, in that order, reports each drawing's outcome and its
// own status lines, and leaves the progress bar, the pointer, the panel and
// the run's summary to whoever shares the drawings out.
class PlotRun {
public:
    enum class Ending { Running, Refused, Finished, Stopped, ApplicationLost };

    // `record` hears what becomes of each drawing before anything of it is shown; none: nothing records it.
    PlotRun(RunKind kind, autocad::CadConnection& connection, base::FileSystem& files, PlotRunDisplay& display,
            PlotRunList& list, const std::atomic<bool>& stopRequested, PlotSetup setup, RunShare* share = nullptr,
            RunEvents* record = nullptr);

    // Validates the choices (telling the user what is missing) and prepares
    // the walk. False when the run is refused; nothing has been touched then.
    bool start();
    // The message refusing a run whose plot folder is missing or cannot be written.
    static std::string plotFolderRefusal(const std::string& folder) { return plotting::plotFolderRefusal(folder); }
    // One piece of work; false once the run has ended.
    bool step();
    // start(), then step() until the end.
    void runToEnd();
    // A further session of a run that connects late starts its own application only before its first drawing
    // that is not up to date; false from start: it could not, and the drawing goes back to the others.
    void startOwnApplicationAtFirstOpen(std::function<bool()> start) { ownStart_ = std::move(start); }

    bool finished() const { return ending_ != Ending::Running; }
    Ending ending() const { return ending_; }
    // StrFileName: the full path of the drawing in hand, then of the last one.
    const std::string& strFileName() const { return strFileName_; }
    // Drawings by outcome so far; each drawing's own outcome goes to its row.
    struct Tally {
        int plotted = 0;
        int sheets = 0;
        int sheetsWithWarnings = 0;
        int skipped = 0;
        int failed = 0;
        // Sheets of plotted drawings the application did not accept, and plotted drawings left open.
        int sheetsRefused = 0;
        int notClosed = 0;
        // New applications started after losing one, and those started on purpose.
        int restarts = 0;
        int plannedRestarts = 0;
        // Combined files that miss a sheet, or could not be made.
        int combineProblems = 0;
        // A check's drawings by what it found (it plots nothing).
        RunPurpose purpose = RunPurpose::Plot;
        int ready = 0;
        int readyWithWarnings = 0;
        int problems = 0;
        // Drawings whose sheets' files were still up to date: not opened, and as good as plotted.
        int upToDate = 0;
        // Plot files of sheets their drawings no longer have: a warning each.
        int obsoleteFiles = 0;
        void add(const DrawingOutcome& outcome);
    };
    const Tally& tally() const { return tally_; }
    // The one-line summary shown under the last status text at the end.
    std::string summary() const { return summaryText(ending_, tally_); }
    static std::string summaryText(Ending ending, const Tally& tally);
    static std::string checkSummaryText(Ending ending, const Tally& tally);

    // A run's counters are 16-bit: longer lists are refused.
    static constexpr int MaxEntries = 32767;
    // New applications started in a row after losing one, with no drawing finished between them.
    static constexpr int MaxRestarts = SessionRestarts::MaxInARow;
    // The reason a drawing failed when its application had to be ended.
    static constexpr const char* StoppedAnswering = "AutoCAD stopped answering";
    // That reason naming the call the application did not come back from, where known.
    static std::string stoppedAnsweringIn(const std::string& call);

private:
    enum class Phase { Entry, Open, Activate, Plot, Layouts, Close, AfterLoop };

    void refuse(const std::string& title, const std::string& text);
    void takeUpEntry();
    void openEntry();
    void activateEntry();
    void plotEntry();
    void plotNextLayout();
    void closeEntry();
    void afterLoop();
    void endOfEntry();
    void nextEntry();

    void report(DrawingOutcome outcome);
    void failDrawing(const automation::AutomationError& error);
    void loseApplication(const automation::AutomationError& error);
    bool inDrawing() const { return phase_ != Phase::Entry && phase_ != Phase::AfterLoop; }
    static std::string errorText(const automation::AutomationError& error);
    void lose(const automation::AutomationError& error);
    // What becomes of the drawing in hand when its application was lost (crashed: not ended by the watchdog).
    SessionRestarts::InHand drawingLost(bool crashed);
    // Starts a new application; false when none could be started. The drawing in hand is tried again or
    // reported first, as inHand says.
    bool restartAfterLoss(const std::string& reason, std::optional<SessionRestarts::InHand> inHand);
    // Hands the drawing in hand back to the run unfinished, for another session.
    void giveBack();
    void announceStartNote();
    // Replaces Quillon's own application before the drawing in hand when that is due; what was said, if it was.
    std::string renewIfDue();
    // Has the application that replaces it started ahead, when its restart after so many drawings is near;
    // the warning said when that failed.
    std::string startSpareIfDue();
    // The drawing in hand would not close: left behind, as its row says. False when the run cannot go on.
    bool leaveStuckDrawing(DrawingOutcome& outcome);
    void stopInDrawing();
    void end(Ending ending);
    // Before the drawing in hand is opened: reports it up to date from its record when only changed
    // drawings are plotted and nothing of it changed (true: nothing is left to do with it), and otherwise
    // notes why it is plotted and what its file holds before it is opened.
    bool reportIfUpToDate();
    // Records what the drawing's plot was made from beside its plot files, once it is closed.
    void recordPlot(DrawingOutcome& outcome);
    // What waited for the first drawing to be opened: a further session's own application, then the job's
    // checks. True when the run is over for this session: its application could not be started (the drawing
    // goes back to the others), or the checks refused the run (the drawing is then not started).
    bool refusedAtFirstOpen();

    void status(const std::string& text);
    void progress();
    void restorePanel();
    void filesFound();
    std::string drawingStatus(const char* lead) const { return lead + strFileName_ + run_text::Ellipsis; }

    RunKind kind_;
    autocad::CadConnection& connection_;
    base::FileSystem& files_;
    PlotRunDisplay& display_;
    PlotRunList& list_;
    const std::atomic<bool>& stopRequested_;
    PlotSetup setup_;
    RunShare* share_;
    RunEvents* record_;
    XrefReloader xrefs_;
    DrawingPlotter drawingPlotter_;

    Ending ending_ = Ending::Running;
    Phase phase_ = Phase::Entry;
    bool started_ = false;
    std::int16_t entry_ = 0;
    std::int16_t taken_ = 0;  // k: entries taken up
    std::string lastStatus_;
    std::string strFileName_;
    std::string escapedError_;
    std::chrono::system_clock::time_point drawingStarted_{};
    std::chrono::steady_clock::time_point drawingClock_{};
    // Stop came while a drawing was open: it is closed, then the run ends.
    bool stopAfterClose_ = false;
    Tally tally_;
    SessionRestarts restarts_;
    // The drawing's file as it was before it was opened, and why a run of changed drawings plots it.
    std::optional<FileKey> drawingBefore_;
    std::string changeReason_;
    std::function<bool()> ownStart_;
    // However the run is left, even by an exception, no application it started ahead outlives it unused.
    // Only a run that started one asks its connection at its end.
    struct SpareOwner {
        autocad::CadConnection& connection;
        bool started = false;
        void end() {
            if (std::exchange(started, false)) connection.endSpares();
        }
        ~SpareOwner() { end(); }
    } spares_{connection_};
};

}  // namespace quillon::plotting
