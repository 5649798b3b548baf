#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "plotting/PlotRules.h"
#include "plotting/sheets/SetupWarning.h"
#include "plotting/sheets/SheetRecord.h"

namespace quillon::plotting {

// The reason of a drawing the run was stopped before it plotted anything.
inline constexpr const char* StoppedBeforePlotting = "stopped before plotting";
// The reasons of drawings a resume would only skip again.
inline constexpr const char* NoLayoutMatches = "no layout matches ";
inline constexpr const char* EveryLayoutEmpty = "every layout to plot is empty";
// The reason of a drawing none of whose layouts the application took.
inline constexpr const char* NoLayoutAccepted = "AutoCAD did not accept the plot of any layout";

// What a run did with one drawing, shown on the drawing's row.
struct DrawingOutcome {
    // NotStarted: the run ended before it took the drawing up; detail says why.
    // Checked: a check set every sheet up (see checkVerdict for what it found).
    // Started: taken up and not finished yet, as the record on disk says while the drawing is in hand.
    // UpToDate: nothing that shapes its sheets changed since their files were made; not opened (detail
    // says when they were plotted).
    enum class Kind { ModelPlotted, LayoutsPlotted, Skipped, Failed, NotStarted, Checked, Started, UpToDate };

    Kind kind = Kind::Skipped;
    std::string path;
    RunPurpose purpose = RunPurpose::Plot;
    // A check's: the drawing's DWG version, and the references still missing after the repair.
    std::string dwgVersion;
    std::vector<std::string> missingReferences;
    std::vector<std::pair<std::string, std::string>> repointedReferences;
    int layoutsPlotted = 0;
    int layoutsTried = 0;
    // Plotted layouts some setting of which did not take, and what did not.
    int layoutsWithWarnings = 0;
    std::vector<SetupWarning> warnings;
    // The plot's own warnings ("Sheet1: sent to the device: ..."), after the set-up's.
    std::vector<std::string> plotWarnings;
    // Plot files named with " (n)" because the run had used their name already.
    std::vector<std::string> renamedPlotFiles;
    // Every sheet tried, for the run report; left-out ones among them.
    std::vector<SheetRecord> sheets;
    // Paper layouts the layout patterns passed over.
    std::vector<std::string> unmatchedLayouts;
    // The reason for a skip, or the application's error text for a failure.
    std::string detail;
    // Why a run of changed drawings took it up ("drawing changed"), or what a check of one says of it.
    std::string changeReason;
    // The drawing's content hash as its plot record has it.
    std::string drawingHash;
    // Files its last plot made for sheets this plot did not make (a layout removed or renamed), each with
    // its layout; and whether they were removed, as the run asked.
    std::vector<std::pair<std::string, std::string>> obsoleteFiles;
    bool obsoleteRemoved = false;
    // The drawing itself is gone (deleted or renamed): its outcome is only the files it left behind.
    bool gone = false;
    // The drawing's document could not be closed; it stays on Quillon's record.
    std::string closeError;
    bool stopped = false;
    // When the run took the drawing up, and how long it took, for the run report.
    std::chrono::system_clock::time_point started{};
    double seconds = 0;

    // "Plotted (model space)", "3 layouts plotted", "3 layouts plotted, 1 with warnings: <what>",
    // "Skipped: file not found", "Failed: <error>".
    std::string text() const;
    bool plotted() const { return kind == Kind::ModelPlotted || kind == Kind::LayoutsPlotted; }
    // The sheets set up (plotted or checked), left-out ones not among them.
    std::size_t sheetsSetUp() const;
    // "; left out as empty: Layout1; not matching the layout patterns: Old" when any, else empty.
    std::string passedOverText() const;
};

struct DrawingReport;

// The outcome the plotter's report describes. escapedError is the text of an
// error that escaped the drawing's plotting, if one did.
DrawingOutcome outcomeOf(const DrawingReport& report, const std::string& escapedError);

}  // namespace quillon::plotting
