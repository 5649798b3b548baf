#include "app/win/RunCoordinator.h"

#include <utility>
#include <vector>

#include "app/win/AppMessages.h"
#include "app/win/ConsoleOutput.h"
#include "app/win/MainController.h"
#include "autocad/CadSession.h"
#include "discovery/win/WinFileSystem.h"
#include "plotting/PostingRunDisplay.h"

namespace quillon::app {

RunCoordinator::RunCoordinator(MainController& host) : host_(host), watchdog_(AnnounceCallAfter, DefaultCallTimeout) {}

RunCoordinator::~RunCoordinator() {
    if (mailbox_) mailbox_->close();
    endExtraSessions();
    // An idle CAD thread ends at once; a hung one is not waited for.
    if (cad_ && !cad_->finish(2000)) cad_->abandon();
}

void RunCoordinator::start() {
    mailbox_ = std::make_shared<base::TaskMailbox>(
        [hwnd = host_.window().hwnd()] { PostMessageW(hwnd, kCadMailMessage, 0, 0); });
    callTimeout_ = loadCallTimeout(host_.settings());
    watchdog_.setLimit(callTimeout_);
    startCadThread();
}

void RunCoordinator::startCadThread() {
    monitor_ = std::make_shared<autocad::CallMonitor>();
    cad_ = makeCadThread(monitor_);
}

std::unique_ptr<autocad::CadThread> RunCoordinator::makeCadThread(std::shared_ptr<autocad::CallMonitor> monitor) {
    auto mailbox = mailbox_;
    autocad::CadLauncher& launcher = host_.launcher();
    autocad::ConnectionUi& window = host_;
    MainController* host = &host_;
    return std::make_unique<autocad::CadThread>(
        [mailbox, monitor, &launcher, &window]() -> std::unique_ptr<autocad::CadSession> {
            struct Session : autocad::CadSession {
                discovery::WinFileSystem files;
                Session(autocad::CadLauncher& l, std::shared_ptr<base::TaskMailbox> m, autocad::ConnectionUi& w,
                        std::shared_ptr<autocad::CallMonitor> c)
                    : autocad::CadSession(l, std::move(m), w, std::move(c), files) {}
            };
            return std::make_unique<Session>(launcher, mailbox, window, monitor);
        },
        [mailbox, host](const std::string& error) {
            mailbox->post([host, error] { host->setStatus("\r\nQuillon could not finish talking to AutoCAD: " + error); });
        });
}

void RunCoordinator::postCad(std::function<void(autocad::CadSession&)> job) {
    if (!cad_) return;
    cad_->post([job = std::move(job), host = &host_](autocad::CadSession& session) {
        // Once the application could not be started the program is leaving; trying again takes seconds each time.
        if (session.startFailed()) return;
        job(session);
        if (session.connection().takeStartFailure()) {
            session.noteStartFailed();
            session.mailbox()->post([host, why = session.connection().startFailureReason()] { host->couldNotStart(why); });
        }
    });
}

void RunCoordinator::drainMail() {
    if (mailbox_) mailbox_->drain();
}

void RunCoordinator::postCleanUp(std::function<void()> then) {
    cad_->post([then = std::move(then), host = &host_](autocad::CadSession& session) {
        session.connection().cleanUpAtExit();
        session.mailbox()->post([then, host, left = session.connection().leftRunning()] {
            // Said, never asked: the program is on its way out.
            if (!left.empty()) {
                if (host->job().unattended()) ConsoleOutput::writeLine("Quillon: " + left);
                host->setStatus(left);
            }
            then();
        });
    });
}

void RunCoordinator::startRun(plotting::RunKind kind) {
    if (runActive_ || host_.exitSequence().closing() || !cad_) return;
    if (host_.search().running()) {
        host_.setStatus("\r\nThe search is still running: wait for it to finish, or stop it, before plotting.");
        return;
    }
    // The run plots the rows, and the selection, there are now.
    DrawingListView& listView = host_.search().listView();
    std::vector<plotting::RunListSnapshot::Row> rows;
    rows.reserve(listView.size());
    for (std::size_t i = 0; i < listView.size(); ++i) {
        const auto& row = listView.row(i);
        rows.push_back({row.name, row.folder, listView.isSelected(i)});
    }
    runView_ = std::make_shared<RunView>(host_.window(), listView, host_.search().currentFolder());
    if (host_.job().unattended())
        runView_->onInformation = [this](const std::string& title, const std::string& text) { host_.tell(title, text); };
    runView_->onOutcome = [this](const plotting::DrawingOutcome& outcome) {
        reports_.add(outcome);
        if (host_.job().unattended()) PlotFilesChoice::announce(outcome);
    };
    auto list = std::make_shared<plotting::RunListSnapshot>(std::move(rows), runView_->layoutsBox(),
                                                            runView_->directoryFolder());
    plotting::PlotSetup setup = host_.boxes().setup();
    setup.files = host_.plotFiles().runOptions();
    // A report that cannot be written costs the run nothing.
    if (plotting::missingChoice(setup) == plotting::MissingChoice::None) reports_.begin(setup);
    const std::string panel = runView_->statusPanelText();
    // A Stop pressed for an earlier run or search does not end this one before it starts.
    runStop_ = std::make_shared<std::atomic<bool>>(false);
    runActive_ = true;
    host_.setBusy(true);
    std::shared_ptr<plotting::PlotRunDisplay> target = runView_;
    const int sessions = host_.sessions().runSessions();
    if (sessions > 1) {
        startSharedRun(kind, list, setup, panel, target, sessions);
        return;
    }
    postCad([this, kind, list, setup, panel, target, stop = runStop_](autocad::CadSession& session) {
        // The window hears of the end however the run ends, an unexpected exception included.
        struct Ended {
            autocad::CadSession& session;
            RunCoordinator* runs;
            std::optional<plotting::PlotRun::Ending> ending;
            plotting::PlotRun::Tally tally;
            ~Ended() {
                session.mailbox()->post([r = runs, e = ending, t = tally] { r->runEnded(e, t); });
            }
        } ended{session, this, std::nullopt, {}};
        plotting::PostingRunDisplay display(session.mailbox(), target, panel);
        plotting::PlotRun run(kind, session.connection(), session.files(), display, *list, *stop, setup);
        run.runToEnd();
        ended.ending = run.ending();
        ended.tally = run.tally();
    });
}

void RunCoordinator::runEnded(std::optional<plotting::PlotRun::Ending> ending, plotting::PlotRun::Tally tally) {
    if (!runActive_) return;
    runActive_ = false;
    endExtraSessions();
    runView_.reset();
    reports_.end();
    host_.setBusy(false);
    host_.job().runEnded(ending, tally);
    if (host_.exitSequence().leaving()) {
        host_.exitSequence().proceed();
        return;
    }
    host_.listFolderPickedDuringRun();
}

}  // namespace quillon::app
