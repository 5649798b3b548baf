#include "app/win/RunCoordinator.h"

#include "app/win/MainController.h"
#include "autocad/CadSession.h"
#include "plotting/PostingRunDisplay.h"
#include "plotting/SessionRunDisplay.h"

// Runs that plot with several CAD sessions side by side.
namespace quillon::app {

namespace {

// What every session of one run shares; it lives as long as the last session holding it.
struct SharedRun {
    std::shared_ptr<plotting::RunListSnapshot> list;
    std::shared_ptr<std::atomic<bool>> stop;
    plotting::PostingRunDisplay display;
    plotting::RunDispatcher dispatcher;

    SharedRun(plotting::RunKind kind, std::shared_ptr<plotting::RunListSnapshot> runList,
              std::shared_ptr<std::atomic<bool>> runStop, std::shared_ptr<base::TaskMailbox> mailbox,
              std::shared_ptr<plotting::PlotRunDisplay> target, const std::string& panel)
        : list(std::move(runList)),
          stop(std::move(runStop)),
          display(std::move(mailbox), std::move(target), panel),
          dispatcher(kind, *list, display, *stop) {}
};

}  // namespace

void RunCoordinator::startSharedRun(plotting::RunKind kind, std::shared_ptr<plotting::RunListSnapshot> list,
                                    const plotting::PlotSetup& setup, const std::string& panel,
                                    std::shared_ptr<plotting::PlotRunDisplay> target, int sessions) {
    auto shared = std::make_shared<SharedRun>(kind, std::move(list), runStop_, mailbox_, std::move(target), panel);
    sharedRun_ = std::shared_ptr<plotting::RunDispatcher>(shared, &shared->dispatcher);
    if (!shared->dispatcher.start(setup)) {
        mailbox_->post([this] { runEnded(plotting::PlotRun::Ending::Refused, {}); });
        return;
    }
    const int count = shared->dispatcher.sessionsFor(sessions);

    // Each session tells the run when it is done, however its work ends; the last one ends the run.
    auto sessionJob = [this, kind, setup, shared](int index) {
        return [this, kind, setup, shared, index](autocad::CadSession& session) {
            struct Ended {
                std::shared_ptr<SharedRun> run;
                std::shared_ptr<base::TaskMailbox> mailbox;
                RunCoordinator* runs;
                int index;
                plotting::PlotRun::Ending ending = plotting::PlotRun::Ending::ApplicationLost;
                int restarts = 0;
                ~Ended() {
                    if (run->dispatcher.sessionEnded(index, ending, restarts))
                        mailbox->post([c = runs, r = run] { c->runEnded(r->dispatcher.ending(), r->dispatcher.tally()); });
                }
            } ended{shared, session.mailbox(), this, index};
            // A further session quits the application it started before it says it is done.
            struct QuitOwn {
                autocad::CadConnection* connection;
                ~QuitOwn() {
                    if (connection) connection->cleanUpAtExit();
                }
            } quit{index > 0 ? &session.connection() : nullptr};
            if (index > 0) {
                if (shared->stop->load()) {
                    ended.ending = plotting::PlotRun::Ending::Stopped;
                    return;
                }
                // Always an application of its own, never the one the user may have running.
                if (!session.connection().restartAutoCAD()) {
                    session.connection().takeStartFailure();
                    shared->dispatcher.sessionStatus("AutoCAD session " + std::to_string(index + 1) +
                                                     " could not be started; the run goes on without it.");
                    ended.ending = plotting::PlotRun::Ending::Finished;
                    return;
                }
            }
            plotting::SessionRunDisplay shown(shared->dispatcher);
            plotting::PlotRun run(kind, session.connection(), session.files(), shown, *shared->list, *shared->stop,
                                  setup, &shared->dispatcher);
            run.runToEnd();
            ended.ending = run.ending();
            ended.restarts = run.tally().restarts;
        };
    };

    postCad(sessionJob(0));
    for (int index = 1; index < count; ++index) {
        auto slot = std::make_unique<CadSessionSlot>(AnnounceCallAfter, callTimeout_);
        slot->thread = makeCadThread(slot->monitor);
        slot->thread->post(sessionJob(index));
        extraSessions_.push_back(std::move(slot));
    }
}

void RunCoordinator::endExtraSessions() {
    // Each has quit its application already; its thread ends at once.
    for (auto& slot : extraSessions_)
        if (slot->thread && !slot->ended && !slot->thread->finish(2000)) slot->thread->abandon();
    extraSessions_.clear();
    sharedRun_.reset();
}

}  // namespace quillon::app
