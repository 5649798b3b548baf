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

void PlotRun::lose(const AutomationError& error) {
    const bool startedByQuillon = connection_.lostStartedApplication();
    const auto& monitor = connection_.monitor();
    const bool endedByWatchdog = monitor && monitor->takeEndedByWatchdog();
    const std::string reason = endedByWatchdog ? stoppedAnsweringIn(monitor->endedCall()) : errorText(error);
    // The user's own application is never replaced behind their back.
    const bool restartable = error.serverGone() && startedByQuillon && restarts_.mayStartAgain();
    if (restartable && !stopRequested_.load() && restartAfterLoss(reason, !endedByWatchdog)) return;
    // Out of new applications on a drawing already tried once: its row says it was the second death.
    if (inDrawing() && !endedByWatchdog && restarts_.triedAgain(entry_))
        return loseApplication(AutomationError(error.code(), SessionRestarts::EndedTwice));
    loseApplication(error);
}

bool PlotRun::restartAfterLoss(const std::string& reason, bool crashed) {
    bool tryAgain = false;
    if (inDrawing()) {
        const auto inHand = restarts_.lost(entry_, crashed);
        tryAgain = inHand == SessionRestarts::InHand::TryAgain;
        if (!tryAgain) {
            report(outcomeOf(plotter_.report(), inHand == SessionRestarts::InHand::EndedTwice
                                                    ? std::string(SessionRestarts::EndedTwice)
                                                    : reason));
            endOfEntry();
            nextEntry();
        }
    }
    restarts_.startedAgainAfterLoss();
    ++tally_.restarts;
    status("AutoCAD was lost (" + reason + "). Starting it again (" + std::to_string(restarts_.inARow()) + " of " +
           std::to_string(MaxRestarts) + ") ...");
    if (!connection_.restartAutoCAD()) {
        // The run ends with its own message; the program itself goes on.
        connection_.takeStartFailure();
        return false;
    }
    // The drawing in hand is opened afresh in the new application: a crash that does not come again costs nothing.
    if (tryAgain) {
        plotter_.releasePlotFiles();
        phase_ = Phase::Open;
    }
    return true;
}

std::string PlotRun::renewIfDue() {
    // Only an application Quillon started is ever replaced; the user's own is theirs.
    if (!connection_.connected() || !connection_.acadStarted()) return {};
    const auto memory = restarts_.watchesMemory() ? connection_.privateMemoryMB() : std::nullopt;
    const auto why = restarts_.dueOnPurpose(memory);
    if (!why) return {};
    try {
        plotter_.closeTemplate();
    } catch (const AutomationError&) {
        base::swallowed("the application goes just below, and its template with it");
    }
    restarts_.startedAgainOnPurpose();
    ++tally_.plannedRestarts;
    lastStatus_ = *why;
    display_.announce(*why);
    if (connection_.renewAutoCAD()) return *why;
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

}  // namespace quillon::plotting
