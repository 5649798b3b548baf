#include "run/RunCoordinator.h"

#include "autocad/CadSession.h"
#include "plotting/PostingRunDisplay.h"
#include "plotting/RunEndSignal.h"
#include "plotting/changes/ChangeCheck.h"
#include "plotting/HeardDisplay.h"
#include "plotting/record/SessionRecord.h"

// Runs that plot with several CAD sessions side by side.
namespace quillon::run {

namespace {

// What every session of one run shares; it lives as long as the last session holding it.
struct SharedRun {
    std::shared_ptr<plotting::RunListSnapshot> list;
    std::shared_ptr<std::atomic<bool>> stop;
    plotting::PostingRunDisplay display;
    plotting::RunDispatcher dispatcher;

    SharedRun(plotting::RunKind kind, std::shared_ptr<plotting::RunListSnapshot> runList,
              std::shared_ptr<std::atomic<bool>> runStop, std::shared_ptr<base::TaskMailbox> mailbox,
              std::shared_ptr<plotting::PlotRunDisplay> target)
        : list(std::move(runList)),
          stop(std::move(runStop)),
          display(std::move(mailbox), std::move(target)),
          dispatcher(kind, *list, display, *stop) {}
};

// One session's share of a shared run, on that session's CAD thread; `ended` is told once it is done.
void plotShare(autocad::CadSession& session, plotting::RunKind kind, const plotting::PlotSetup& setup,
               SharedRun& shared, const std::shared_ptr<plotting::RunLedger>& ledger, int index, std::atomic<bool>& stop,
               plotting::RunEndSignal& ended) {
    // Whichever session comes first writes the record naming every drawing before any is opened.
    ledger->begin();
    if (setup.changes) setup.changes->reportLeftBehind(session.files());
    // A further session quits the application it started before it says it is done.
    struct QuitOwn {
        autocad::CadConnection* connection;
        ~QuitOwn() {
            if (connection) connection->cleanUpAtExit();
        }
    } quit{index > 0 ? &session.connection() : nullptr};
    // Always an application of its own, never the one the user may have running.
    auto startOwn = [&session, &shared, index] {
        if (!session.connection().restartAutoCAD()) {
            session.connection().takeStartFailure();
            shared.dispatcher.sessionStatus("AutoCAD session " + std::to_string(index + 1) +
                                            " could not be started; the run goes on without it.");
            return false;
        }
        if (const std::string note = session.connection().takeStartNote(); !note.empty())
            shared.dispatcher.announce(note);
        return true;
    };
    // A run that connects late starts it before the session's first drawing that is not up to date.
    const bool late = index > 0 && setup.firstOpen;
    if (index > 0) {
        if (stop.load()) {
            ended.set(plotting::PlotRun::Ending::Stopped, {});
            return;
        }
        if (!late && !startOwn()) {
            ended.set(plotting::PlotRun::Ending::Finished, {});
            return;
        }
    }
    plotting::SessionRecord record(ledger, index);
    plotting::HeardDisplay shown(shared.dispatcher.sessionDisplay(), [&record] { return record.heard(); });
    plotting::PlotRun plot(kind, session.connection(), session.files(), shown, *shared.list, stop, setup,
                           &shared.dispatcher.shareFor(index), &record);
    if (late) plot.startOwnApplicationAtFirstOpen(startOwn);
    plot.runToEnd();
    ended.set(plot.ending(), plot.tally());
}

}  // namespace

void RunCoordinator::startSharedRun(plotting::RunKind kind, std::shared_ptr<plotting::RunListSnapshot> list,
                                    const plotting::PlotSetup& setup, int sessions) {
    ActiveRun& run = *run_;
    auto shared = std::make_shared<SharedRun>(kind, std::move(list), run.stop, run.mail, run.view);
    run.dispatcher = std::shared_ptr<plotting::RunDispatcher>(shared, &shared->dispatcher);
    if (!shared->dispatcher.start(setup)) {
        mailbox_->post([this, generation = run.generation] {
            runEnded(generation, plotting::PlotRun::Ending::Refused, {});
        });
        return;
    }
    const int count = shared->dispatcher.sessionsFor(sessions);
    auto runEnd = endSignal(run.generation);

    // Each session tells the run when it is done, however its work ends (dropped unrun included);
    // the last one ends the run.
    auto sessionTask = [kind, setup, shared, runEnd, ledger = run.ledger](int index,
                                                                           std::shared_ptr<std::atomic<bool>> stop) {
        auto ended = std::make_shared<plotting::RunEndSignal>(
            [shared, runEnd, index](std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally) {
                if (shared->dispatcher.sessionEnded(index, ending.value_or(plotting::PlotRun::Ending::ApplicationLost),
                                                    tally.restarts, tally.plannedRestarts))
                    runEnd(shared->dispatcher.ending(), shared->dispatcher.tally());
            });
        return [kind, setup, shared, ledger, index, stop, ended](autocad::CadSession& session) {
            plotShare(session, kind, setup, *shared, ledger, index, *stop, *ended);
        };
    };

    for (int index = 0; index < count; ++index) run.sessionStops.push_back(std::make_shared<std::atomic<bool>>(false));
    postCad(sessionTask(0, run.sessionStops[0]));
    for (int index = 1; index < count; ++index) {
        auto session = makeSession();
        session->post(sessionTask(index, run.sessionStops[static_cast<std::size_t>(index)]));
        run.further.push_back(std::move(session));
    }
}

void RunCoordinator::giveUpFurtherSession(std::size_t index, const std::string& why) {
    ActiveRun& run = *run_;
    RunSession& session = *run.further[index];
    const int number = static_cast<int>(index) + 1;
    run.sessionStops[static_cast<std::size_t>(number)]->store(true);
    // Its drawing in hand ends now, in the report and the list; nothing it reports later counts. The
    // dispatcher hears of it as of any finished drawing: the run goes on with the other sessions.
    if (auto given = run.ledger->giveUp(number, givenUpReason(session))) {
        if (run.dispatcher) run.dispatcher->finished(given->first, given->second);
        else run.view->showOutcome(given->first, given->second);
    }
    session.giveUp();
    if (!run.dispatcher || !run.dispatcher->sessionEnded(number, plotting::PlotRun::Ending::ApplicationLost, 0)) {
        host_.setStatus(why);
        return;
    }
    // The last session to end: the run's mail closes now, so its summary is said here, from the record.
    host_.setStatus(why + "\r\nRun ended.");
    runEnded(run.generation, run.dispatcher->ending(), run.dispatcher->tally());
}

void RunCoordinator::endSettledRun() {
    if (!run_ || !run_->dispatcher || !run_->dispatcher->settled()) return;
    // Every drawing is done; a session still starting its application holds nothing and is let go.
    ActiveRun& run = *run_;
    for (std::size_t i = 0; i < run.further.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        if (!run.dispatcher->sessionRunning(number)) continue;
        run.sessionStops[static_cast<std::size_t>(number)]->store(true);
        run.ledger->giveUp(number, plotting::PlotRun::StoppedAnswering);
        run.further[i]->giveUp();
        if (run.dispatcher->sessionEnded(number, plotting::PlotRun::Ending::Finished, 0)) {
            runEnded(run.generation, run.dispatcher->ending(), run.dispatcher->tally());
            return;
        }
    }
}

}  // namespace quillon::run
