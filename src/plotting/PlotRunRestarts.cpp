#include "plotting/PlotRun.h"

#include "autocad/CallWatchdog.h"
#include "base/Swallowed.h"

namespace quillon::plotting {

using automation::AutomationError;

std::string PlotRun::stoppedAnsweringIn(const std::string& call) {
    // Not tried again: the question comes back at every open.
    if (call == autocad::CallWatchdog::OpenCall) return autocad::CallWatchdog::AskedWhileOpening;
    return call.empty() ? std::string(StoppedAnswering)
                        : std::string(StoppedAnswering) + " (" + call + " was waiting for an answer)";
}

SessionRestarts::InHand PlotRun::drawingLost(bool crashed) {
    if (!share_) return restarts_.lost(entry_, crashed);
    // A call the watchdog had to end is not tried again: the question it waited on would only wait again.
    if (!crashed) return SessionRestarts::InHand::Fail;
    // Counted for the run, not the session: one more open in total, in whichever session takes it.
    return share_->lostWhileOpen(entry_) ? SessionRestarts::InHand::TryAgain : SessionRestarts::InHand::EndedTwice;
}

void PlotRun::lose(const AutomationError& error) {
    const bool startedByQuillon = connection_.lostStartedApplication();
    const auto& monitor = connection_.monitor();
    const bool endedByWatchdog = monitor && monitor->takeEndedByWatchdog();
    std::string reason = endedByWatchdog ? stoppedAnsweringIn(monitor->endedCall()) : errorText(error);
    // What becomes of the drawing in hand is decided once for each loss.
    std::optional<SessionRestarts::InHand> inHand;
    if (inDrawing()) inHand = drawingLost(!endedByWatchdog);
    // The user's own application is never replaced behind their back.
    const bool restartable = error.serverGone() && startedByQuillon && restarts_.mayStartAgain();
    if (restartable && !stopRequested_.load()) {
        if (restartAfterLoss(reason, inHand)) return;
        reason = "AutoCAD could not be started again: " + connection_.startFailureReason();
    }
    // The session ends here. A drawing it may open once more goes to another session, if there is one.
    if (inDrawing()) {
        if (inHand == SessionRestarts::InHand::TryAgain && share_ && !stopRequested_.load()) giveBack();
        else report(outcomeOf(drawingPlotter_.report(), inHand == SessionRestarts::InHand::EndedTwice
                                                            ? std::string(SessionRestarts::EndedTwice)
                                                            : reason));
    }
    loseApplication(AutomationError(error.code(), reason));
}

void PlotRun::giveBack() {
    drawingPlotter_.releasePlotFiles();
    if (record_) record_->givenBack(entry_);
    share_->giveBack(entry_);
    phase_ = Phase::Entry;
}

bool PlotRun::restartAfterLoss(const std::string& reason, std::optional<SessionRestarts::InHand> inHand) {
    const bool tryAgain = inHand == SessionRestarts::InHand::TryAgain;
    if (inHand && !tryAgain) {
        report(outcomeOf(drawingPlotter_.report(), inHand == SessionRestarts::InHand::EndedTwice
                                                       ? std::string(SessionRestarts::EndedTwice)
                                                       : reason));
        endOfEntry();
        nextEntry();
    }
    restarts_.startedAgainAfterLoss();
    ++tally_.restarts;
    status("AutoCAD was lost (" + reason + "). Starting it again (" + std::to_string(restarts_.inARow()) + " of " +
           std::to_string(MaxRestarts) + ") ...");
    if (!connection_.restartAutoCAD()) {
        // The session ends with its own message; the program itself goes on.
        connection_.takeStartFailure();
        return false;
    }
    announceStartNote();
    // The drawing in hand is opened afresh in the new application: a crash that does not come again costs nothing.
    if (tryAgain) {
        drawingPlotter_.releasePlotFiles();
        phase_ = Phase::Open;
    }
    return true;
}

void PlotRun::announceStartNote() {
    // Not a warning: the application runs as well as one started at the first attempt.
    if (const std::string note = connection_.takeStartNote(); !note.empty()) display_.announce(note);
}

std::string PlotRun::renewIfDue() {
    // Only an application Quillon started is ever replaced; the user's own is theirs.
    if (!connection_.connected() || !connection_.acadStarted()) return {};
    const auto memory = restarts_.watchesMemory() ? connection_.privateMemoryMB() : std::nullopt;
    const auto why = restarts_.dueOnPurpose(memory);
    if (!why) return {};
    try {
        drawingPlotter_.closeTemplate();
    } catch (const AutomationError&) {
        base::swallowed("the application goes just below, and its template with it");
    }
    restarts_.startedAgainOnPurpose();
    ++tally_.plannedRestarts;
    lastStatus_ = *why;
    display_.announce(*why);
    if (connection_.renewAutoCAD()) {
        announceStartNote();
        return *why;
    }
    connection_.takeStartFailure();
    const AutomationError failure(automation::hresult::Fail,
                                  "AutoCAD could not be started again: " + connection_.startFailureReason());
    // Nothing of this drawing was tried: its row says why, not what the last drawing left behind.
    DrawingReport untried;
    untried.path = strFileName_;
    untried.purpose = setup_.purpose;
    report(outcomeOf(untried, errorText(failure)));
    phase_ = Phase::Entry;
    loseApplication(failure);
    return *why;
}

std::string PlotRun::startSpareIfDue() {
    // Entries are taken from the last to the first; a session of several cannot tell what the others leave.
    const auto left = share_ ? std::nullopt : std::optional<int>(entry_ - 1);
    if (!restarts_.spareDue(left) || !connection_.connected() || !connection_.acadStarted()) return {};
    restarts_.spareAsked();
    const std::string failure = connection_.startSpare();
    if (failure.empty()) {
        spares_.started = true;
        return {};
    }
    // The restart then starts its application as it would have without one: the run loses nothing but time.
    std::string warning = "AutoCAD could not be started ahead of its restart (" + failure + "); the restart starts it";
    display_.announce(warning);
    return warning;
}

}  // namespace quillon::plotting
