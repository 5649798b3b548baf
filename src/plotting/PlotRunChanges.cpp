#include "plotting/PlotRun.h"

#include <utility>

#include "plotting/changes/ChangeCheck.h"
#include "plotting/job/FirstOpenCheck.h"

namespace quillon::plotting {

bool PlotRun::reportIfUpToDate() {
    drawingBefore_.reset();
    changeReason_.clear();
    if (!setup_.changes) return false;
    const bool checking = setup_.purpose == RunPurpose::Check;
    if (setup_.onlyChanged) {
        auto verdict = setup_.changes->decide(files_, strFileName_);
        if (verdict.upToDate && !checking) {
            // Its files stand as they are: no call to the application at all.
            // A combined file named by the drawing's properties keeps the name its last plot gave it.
            if (drawingPlotter_.plotFiles().combinedWaits(strFileName_))
                if (auto file = setup_.changes->combinedFileOf(files_, strFileName_))
                    drawingPlotter_.plotFiles().nameCombinedAs(strFileName_, *file);
            DrawingOutcome outcome = upToDateOutcome(strFileName_, *verdict.record);
            outcome.obsoleteFiles = ChangeCheck::stillObsolete(files_, *verdict.record);
            report(outcome);
            return true;
        }
        if (checking)
            changeReason_ = verdict.upToDate ? "up to date: would not be plotted" : "would be plotted: " + verdict.reason;
        else
            changeReason_ = verdict.reason;
    }
    // Taken before the application opens it: a drawing saved while it is plotted counts as changed next time.
    if (!checking) drawingBefore_ = fileKeyOf(files_, strFileName_);
    return false;
}

bool PlotRun::refusedAtFirstOpen() {
    if (ownStart_ && !std::exchange(ownStart_, nullptr)()) {
        giveBack();
        end(Ending::Finished);
        return true;
    }
    if (!setup_.firstOpen) return false;
    const auto refusal = setup_.firstOpen->refusal(connection_, setup_);
    if (!refusal) return false;
    DrawingOutcome outcome;
    outcome.kind = DrawingOutcome::Kind::NotStarted;
    outcome.path = strFileName_;
    outcome.detail = *refusal;
    report(outcome);
    refuse("Plot Job", *refusal);
    return true;
}

void PlotRun::recordPlot(DrawingOutcome& outcome) {
    outcome.changeReason = changeReason_;
    if (!setup_.changes || setup_.purpose != RunPurpose::Plot) return;
    if (!setup_.changes->recordPlot(files_, strFileName_, drawingBefore_, drawingPlotter_.report().references, outcome))
        // Not a warning: the sheets are whole; only the next run of changed drawings plots them again.
        for (auto& sheet : outcome.sheets)
            if (sheet.plotted && !sheet.plotFile.empty())
                sheet.note += std::string(sheet.note.empty() ? "" : "; ") +
                              "its plot record could not be written beside it, so it counts as changed next time";
}

}  // namespace quillon::plotting
