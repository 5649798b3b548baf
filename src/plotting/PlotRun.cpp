#include "plotting/PlotRun.h"

#include <utility>

#include "base/Swallowed.h"
#include "plotting/DrawingCheck.h"
#include "plotting/job/JobCheck.h"

namespace quillon::plotting {

using automation::AutomationError;

namespace {

using run_text::LostTitle;
using run_text::TooManyText;
using run_text::TooManyTitle;

std::string counted(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Losses and restarts on purpose are told apart: only the first say something went wrong.
std::string restartsText(const PlotRun::Tally& tally) {
    std::string text;
    if (tally.restarts > 0) text += " AutoCAD was started again " + counted(tally.restarts, "time", "times") + ".";
    if (tally.plannedRestarts > 0)
        text += " AutoCAD was restarted on purpose " + counted(tally.plannedRestarts, "time", "times") + ".";
    return text;
}

}  // namespace

PlotRun::PlotRun(RunKind kind, autocad::CadConnection& connection, base::FileSystem& files, PlotRunDisplay& display,
                 PlotRunList& list, const std::atomic<bool>& stopRequested, PlotSetup setup, RunShare* share,
                 RunEvents* record)
    : kind_(kind),
      connection_(connection),
      files_(files),
      display_(display),
      list_(list),
      stopRequested_(stopRequested),
      setup_(std::move(setup)),
      share_(share),
      record_(record),
      xrefs_(connection, files, stopRequested),
      drawingPlotter_(connection, xrefs_, files, display, stopRequested),
      restarts_({setup_.cadRestartEvery, setup_.cadMemoryLimitMB}) {
    drawingPlotter_.setSetup(setup_);
    tally_.purpose = setup_.purpose;
    // The run's own names, when it has them, are its record's too: a combined file a sheet meets moves on.
    if (share_ && !setup_.files.claims) drawingPlotter_.sharePlotFiles(share_->plotFiles());
}

std::string PlotRun::errorText(const AutomationError& error) {
    return error.description().empty() ? error.what() : error.description();
}

bool PlotRun::start() {
    if (started_) return !finished();
    started_ = true;
    if (const auto missing = missingChoice(setup_); missing != MissingChoice::None) {
        const auto message = missingChoiceMessage(missing);
        refuse(message.title, message.text);
        return false;
    }
    const int count = list_.entryCount();
    if (count > MaxEntries) {
        refuse(TooManyTitle, TooManyText);
        return false;
    }
    // Found out here, once, rather than drawing by drawing.
    if (const auto refusal = refusalBeforeCad(setup_, files_)) {
        refuse(refusal->title, refusal->text);
        return false;
    }
    entry_ = static_cast<std::int16_t>(count);
    phase_ = Phase::Entry;
    return true;
}

void PlotRun::refuse(const std::string& title, const std::string& text) {
    display_.showInformation(title, text);
    if (share_) share_->refuse();
    ending_ = Ending::Refused;
}

void PlotRun::runToEnd() {
    if (!start()) return;
    while (step()) {
    }
}

bool PlotRun::step() {
    if (!started_ && !start()) return false;
    if (finished()) return false;
    if (stopRequested_.load() && (phase_ == Phase::Activate || phase_ == Phase::Plot || phase_ == Phase::Layouts))
        stopInDrawing();
    try {
        switch (phase_) {
            case Phase::Entry:
                takeUpEntry();
                break;
            case Phase::Open:
                openEntry();
                break;
            case Phase::Activate:
                activateEntry();
                break;
            case Phase::Plot:
                plotEntry();
                break;
            case Phase::Layouts:
                plotNextLayout();
                break;
            case Phase::Close:
                closeEntry();
                break;
            case Phase::AfterLoop:
                afterLoop();
                break;
        }
    } catch (const AutomationError& error) {
        connection_.noteFailure(error);
        if (error.serverGone() || !connection_.connected()) lose(error);
        else failDrawing(error);
    }
    return !finished();
}

void PlotRun::stopInDrawing() {
    // The drawing Quillon opened is closed before the run ends.
    stopAfterClose_ = true;
    phase_ = Phase::Close;
}

void PlotRun::takeUpEntry() {
    if (share_) {
        if (stopRequested_.load()) return end(Ending::Stopped);
        const auto next = share_->take();
        if (!next) return end(stopRequested_.load() ? Ending::Stopped : Ending::Finished);
        entry_ = static_cast<std::int16_t>(*next);
        phase_ = Phase::Open;
        return;
    }
    if (entry_ < 1) {
        phase_ = Phase::AfterLoop;
        afterLoop();
        return;
    }
    switch (kind_) {
        case RunKind::AllListed:
            display_.setPointer(Pointer::Hourglass);
            if (stopRequested_.load()) {
                display_.setPointer(Pointer::Normal);
                return end(Ending::Stopped);
            }
            ++taken_;
            display_.setStatusPanelText(run_text::Processing);
            progress();
            break;
        case RunKind::Selected:
            ++taken_;
            display_.setStatusPanelText(run_text::Processing);
            progress();
            display_.setPointer(Pointer::Hourglass);
            if (stopRequested_.load()) {
                display_.setPointer(Pointer::Normal);
                return end(Ending::Stopped);
            }
            if (!list_.isSelected(entry_)) return nextEntry();
            break;
        case RunKind::AllDrawings:
            ++taken_;
            if (stopRequested_.load()) return end(Ending::Stopped);
            display_.setPointer(Pointer::Hourglass);
            display_.setStatusPanelText(run_text::Processing);
            progress();
            status(run_text::PrintingFolder + list_.directoryFolder() + run_text::Ellipsis);
            display_.repaintStatus();
            break;
    }
    phase_ = Phase::Open;
}

void PlotRun::openEntry() {
    strFileName_ = list_.folder(entry_) + list_.fileName(entry_);
    escapedError_.clear();
    drawingStarted_ = std::chrono::system_clock::now();
    drawingClock_ = std::chrono::steady_clock::now();
    if (record_) record_->takenUp(entry_);
    if (reportIfUpToDate()) {
        endOfEntry();
        return nextEntry();
    }
    if (refusedAtFirstOpen()) return;
    // Replaced here, once the next drawing is known: never after the run's last one.
    const std::string renewed = renewIfDue();
    if (finished()) return;
    // Status has two lines: a warning about the next application goes before news of this one.
    std::string said = startSpareIfDue();
    if (said.empty()) said = renewed;
    status(said.empty() ? drawingStatus(run_text::Opening) : said + "\r\n" + drawingStatus(run_text::Opening));
    phase_ = Phase::Close;  // should opening fail, what Quillon opened is still closed
    restarts_.opened();
    drawingPlotter_.openDrawing(strFileName_);
    // The run's first start happens in the open (or in the checks before it): its retry is told as a restart's.
    announceStartNote();
    phase_ = Phase::Activate;
}

void PlotRun::activateEntry() {
    phase_ = Phase::Close;
    if (drawingPlotter_.activateDrawing(true)) phase_ = Phase::Plot;
}

void PlotRun::plotEntry() {
    phase_ = Phase::Close;
    const int paperLayouts = drawingPlotter_.getLayouts();
    const bool checking = setup_.purpose == RunPurpose::Check;
    if (paperLayouts > 0 && setup_.layouts) {
        status(drawingStatus(checking ? run_text::CheckingLayouts : run_text::PrintingLayouts));
        if (drawingPlotter_.beginLayouts()) phase_ = Phase::Layouts;
    } else {
        status(drawingStatus(checking ? run_text::CheckingModel : run_text::PrintingModel));
        drawingPlotter_.plotActiveLayout();
    }
}

void PlotRun::plotNextLayout() {
    if (!drawingPlotter_.plotNextLayout()) phase_ = Phase::Close;
}

void PlotRun::closeEntry() {
    status(drawingStatus(run_text::Closing));
    std::string closeError;
    try {
        drawingPlotter_.closeDrawing();
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
        connection_.noteFailure(error);
        // The drawing was plotted or not regardless; its row says it stayed open.
        closeError = errorText(error);
    }
    auto outcome = outcomeOf(drawingPlotter_.report(), escapedError_);
    if (stopAfterClose_ && escapedError_.empty()) {
        if (outcome.plotted() || outcome.kind == DrawingOutcome::Kind::Checked) {
            outcome.stopped = true;
        } else {
            outcome.kind = DrawingOutcome::Kind::Skipped;
            outcome.detail = StoppedBeforePlotting;
            outcome.stopped = false;
        }
    }
    outcome.closeError = closeError;
    recordPlot(outcome);
    const bool goOn = closeError.empty() || stopAfterClose_ || leaveStuckDrawing(outcome);
    report(outcome);
    restarts_.finished(entry_);
    endOfEntry();
    if (stopAfterClose_) return end(Ending::Stopped);
    if (!goOn) return end(Ending::ApplicationLost);
    nextEntry();
}

void PlotRun::endOfEntry() {
    if (share_) return;
    if (kind_ == RunKind::AllDrawings) {
        display_.setPointer(Pointer::Normal);
        return;
    }
    display_.setPointer(Pointer::Normal);
    restorePanel();
    display_.setProgress(0);
    filesFound();
}

void PlotRun::nextEntry() {
    if (!share_) --entry_;
    phase_ = Phase::Entry;
}

void PlotRun::afterLoop() {
    if (kind_ == RunKind::AllDrawings) filesFound();
    restorePanel();
    display_.setProgress(0);
    display_.setPointer(Pointer::Normal);
    end(Ending::Finished);
}

void PlotRun::failDrawing(const AutomationError& error) {
    // Every step hands over to the close before its first call, so the
    // drawing Quillon opened is closed after a failure too.
    escapedError_ = errorText(error);
    status("Error plotting " + strFileName_ + ": " + escapedError_);
    phase_ = Phase::Close;
}

void PlotRun::loseApplication(const AutomationError& error) {
    display_.setPointer(Pointer::Normal);
    restorePanel();
    display_.setProgress(0);
    // Without serverGone the guard could not connect at all and has told the user so already.
    if (share_)
        status("AutoCAD stopped responding while plotting " + strFileName_ + ": " + errorText(error) +
               ". Its session has ended; the others go on.");
    else if (error.serverGone())
        display_.showInformation(LostTitle, "AutoCAD stopped responding while plotting " + strFileName_ + ":\r\n" +
                                                errorText(error) +
                                                "\r\nThe run has ended. The next run connects to AutoCAD again.");
    end(Ending::ApplicationLost);
}

void PlotRun::end(Ending ending) {
    ending_ = ending;
    // The run's own read-only template goes with it; failures here cost the run nothing.
    try {
        drawingPlotter_.closeTemplate();
    } catch (const std::exception&) {
        base::swallowed("the application is gone, and the template with it");
    }
    // The user's application goes on plotting as the user set it; owed on, when it is gone.
    connection_.putBackVariables();
    // No restart follows now: what was started for one would only sit idle.
    spares_.end();
    if (share_) return;
    const std::string line = summary();
    display_.setStatus(lastStatus_.empty() ? line : lastStatus_ + "\r\n" + line);
}

void PlotRun::report(DrawingOutcome outcome) {
    outcome.started = drawingStarted_;
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - drawingClock_).count();
    tally_.add(outcome);
    // Recorded first, on this thread: the report holds it whatever the window is doing.
    if (!record_ || record_->finished(entry_, outcome)) display_.showOutcome(entry_, outcome);
}

void PlotRun::Tally::add(const DrawingOutcome& outcome) {
    if (purpose == RunPurpose::Check && outcome.kind != DrawingOutcome::Kind::NotStarted) {
        if (outcome.kind == DrawingOutcome::Kind::Skipped && outcome.detail == StoppedBeforePlotting) {
            ++skipped;
            return;
        }
        switch (checkVerdict(outcome)) {
            case CheckVerdict::Ready: ++ready; break;
            case CheckVerdict::ReadyWithWarnings: ++readyWithWarnings; break;
            case CheckVerdict::Problems: ++problems; break;
        }
        return;
    }
    obsoleteFiles += static_cast<int>(outcome.obsoleteFiles.size());
    if (outcome.kind == DrawingOutcome::Kind::UpToDate) {
        ++upToDate;
    } else if (outcome.plotted()) {
        ++plotted;
        sheets += outcome.kind == DrawingOutcome::Kind::ModelPlotted ? 1 : outcome.layoutsPlotted;
        sheetsWithWarnings += outcome.layoutsWithWarnings;
        if (outcome.kind == DrawingOutcome::Kind::LayoutsPlotted)
            sheetsRefused += outcome.layoutsTried - outcome.layoutsPlotted;
        if (!outcome.closeError.empty()) ++notClosed;
    } else if (outcome.kind == DrawingOutcome::Kind::Skipped) {
        ++skipped;
    } else {
        ++failed;
    }
}

std::string PlotRun::summaryText(Ending ending, const Tally& tally) {
    if (tally.purpose == RunPurpose::Check) return checkSummaryText(ending, tally);
    const char* lead = "Run finished: ";
    if (ending == Ending::Stopped) lead = "Run stopped: ";
    if (ending == Ending::ApplicationLost) lead = "Run ended, AutoCAD was lost: ";
    const std::string warned =
        tally.sheetsWithWarnings > 0 ? ", " + std::to_string(tally.sheetsWithWarnings) + " with warnings" : "";
    return lead + counted(tally.plotted, "drawing", "drawings") + " plotted (" +
           counted(tally.sheets, "sheet", "sheets") + warned + "), " +
           (tally.upToDate > 0 ? std::to_string(tally.upToDate) + " up to date, " : "") +
           std::to_string(tally.skipped) + " skipped, " +
           std::to_string(tally.failed) + " failed." +
           (tally.obsoleteFiles > 0 ? " " + counted(tally.obsoleteFiles, "plot file", "plot files") +
                                          " of sheets no longer in their drawings." : "") +
           restartsText(tally);
}

std::string PlotRun::checkSummaryText(Ending ending, const Tally& tally) {
    const char* lead = "Check finished: ";
    if (ending == Ending::Stopped) lead = "Check stopped: ";
    if (ending == Ending::ApplicationLost) lead = "Check ended, AutoCAD was lost: ";
    return lead + std::to_string(tally.ready) + " ready, " + std::to_string(tally.readyWithWarnings) +
           " ready with warnings, " + counted(tally.problems, "drawing", "drawings") + " with problems." +
           restartsText(tally);
}

void PlotRun::status(const std::string& text) {
    lastStatus_ = text;
    display_.setStatus(text);
}

void PlotRun::progress() { display_.setProgress(progressValue(taken_, list_.entryCount())); }

void PlotRun::restorePanel() { display_.restoreStatusPanel(); }

void PlotRun::filesFound() { status(std::to_string(list_.entryCount()) + run_text::FilesFound); }

}  // namespace quillon::plotting
