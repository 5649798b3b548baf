#include "app/win/RunCoordinator.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/OwedVariablesSetting.h"
#include "app/win/ConsoleOutput.h"
#include "app/win/ControlIds.h"
#include "app/win/MainWindow.h"
#include "app/win/PlotFilesChoice.h"
#include "autocad/CadSession.h"
#include "base/Paths.h"
#include "plotting/PostingRunDisplay.h"
#include "plotting/RunEndSignal.h"
#include "plotting/StatusLines.h"
#include "plotting/record/LedgerDisplay.h"
#include "plotting/record/ReportRows.h"
#include "win/Utf.h"

namespace quillon::app {


RunCoordinator::RunCoordinator(RunHost& host) : host_(host) {}

RunCoordinator::~RunCoordinator() {
    if (mailbox_) mailbox_->close();
    // A combine in progress stops at its next sheet; what it wrote is under a temporary name, removed.
    exiting_->store(true);
    if (run_) run_->stop->store(true);
    if (combiner_.joinable()) combiner_.join();
    std::vector<CadSessionOwner*> waited;
    auto retire = [&](std::unique_ptr<CadSessionOwner> owner) {
        if (!owner) return;
        owner->release();
        retired_.push_back(std::move(owner));
    };
    if (run_) {
        for (auto& further : run_->further) retire(std::move(further));
        run_.reset();
    }
    retire(std::move(main_));
    for (auto& owner : retired_) waited.push_back(owner.get());
    // Idle threads end at once; a thread still in a call to an application Quillon started ends once that
    // application is ended (giving up did that). One in the user's own application is not waited for long.
    CadSessionOwner::waitForEnd(waited, std::chrono::milliseconds(3000));
}

std::unique_ptr<CadSessionOwner> RunCoordinator::makeSession() {
    RunHost* host = &host_;
    auto mailbox = mailbox_;
    return std::make_unique<CadSessionOwner>(
        mailbox_, host_.launcher(), host_.connectionUi(), AnnounceCallAfter, callTimeout_, openTimeout_,
        [mailbox, host](const std::string& error) {
            mailbox->post([host, error] { host->setStatus("\r\nQuillon could not finish talking to AutoCAD: " + error); });
        },
        owed_);
}

void RunCoordinator::start(std::shared_ptr<base::TaskMailbox> mailbox) {
    mailbox_ = std::move(mailbox);
    callTimeout_ = loadCallTimeout(host_.settings());
    openTimeout_ = loadOpenTimeout(host_.settings(), callTimeout_);
    restarts_ = loadCadRestarts(host_.settings());
    owed_ = std::make_shared<autocad::OwedVariables>(std::make_shared<OwedVariablesSetting>(host_.settings()));
    main_ = makeSession();
}

void RunCoordinator::postCad(std::function<void(autocad::CadSession&)> task) {
    if (!main_) return;
    main_->post([task = std::move(task), host = &host_](autocad::CadSession& session) {
        // Once the application could not be started, or the job was refused, the program is leaving.
        if (session.leaving()) return;
        task(session);
        if (session.connection().takeStartFailure()) {
            session.noteLeaving();
            session.mailbox()->post([host, why = session.connection().startFailureReason()] { host->couldNotStart(why); });
        }
    });
}

void RunCoordinator::postCleanUp(std::function<void()> then) {
    main_->post([then = std::move(then), host = &host_](autocad::CadSession& session) {
        session.connection().cleanUpAtExit();
        session.mailbox()->post([then, host, left = session.connection().cleanUpNotice()] {
            // Said, never asked: the program is on its way out.
            if (!left.empty()) {
                if (host->unattended()) ConsoleOutput::writeLine("Quillon: " + left);
                host->setStatus(left);
            }
            then();
        });
    });
}

void RunCoordinator::requestStop() {
    if (!run_) return;
    // Stop ends the plotting; a combine already begun goes on to its end, unless Quillon itself is going.
    if (host_.closing() || host_.leaving()) exiting_->store(true);
    run_->stop->store(true);
    for (auto& stop : run_->sessionStops) stop->store(true);
}

std::function<void(std::optional<plotting::PlotRun::Ending>, const plotting::PlotRun::Tally&)>
RunCoordinator::endSignal(std::uint64_t generation) {
    // Posted to the window's own mailbox, never the run's: the end arrives even once the run's is closed.
    auto mailbox = mailbox_;
    return [mailbox, this, generation](std::optional<plotting::PlotRun::Ending> ending,
                                       const plotting::PlotRun::Tally& tally) {
        mailbox->post([this, generation, ending, tally] { runEnded(generation, ending, tally); });
    };
}

namespace {

// The rows there are now, with their selection, and the drawings a run of that kind plots, each with its row's
// number, in the order the run takes them up: from the last listed.
struct ListedNow {
    std::vector<plotting::RunListSnapshot::Row> rows;
    std::vector<std::pair<int, std::string>> drawings;
};

ListedNow listedNow(DrawingListView& listView, plotting::RunKind kind) {
    ListedNow listed;
    listed.rows.reserve(listView.size());
    for (std::size_t i = 0; i < listView.size(); ++i) {
        const auto& row = listView.row(i);
        const bool selected = listView.isSelected(i);
        listed.rows.push_back({row.name, row.folder, selected});
        if (kind != plotting::RunKind::Selected || selected)
            listed.drawings.emplace_back(static_cast<int>(i) + 1, row.folder.str() + std::string(row.name));
    }
    std::reverse(listed.drawings.begin(), listed.drawings.end());
    return listed;
}

}  // namespace

void RunCoordinator::startRun(plotting::RunKind kind, plotting::RunPurpose purpose, const std::string& resumes) {
    if (run_ || host_.closing() || !main_) return;
    if (host_.searchRunning()) {
        host_.setStatus("\r\nThe search is still running: wait for it to finish, or stop it, before plotting.");
        return;
    }
    // The run plots the rows, and the selection, there are now.
    DrawingListView& listView = host_.listView();
    ListedNow listed = listedNow(listView, kind);
    auto run = std::make_unique<ActiveRun>();
    run->generation = ++generations_;
    run->mail = base::TaskMailbox::childOf(mailbox_);
    run->view = makeView(listView);
    auto list = std::make_shared<plotting::RunListSnapshot>(std::move(listed.rows), run->view->layoutsBox(),
                                                            run->view->directoryFolder());
    plotting::PlotSetup setup = runSetup(purpose, resumes, list->layoutsBox());
    if (const auto refusal = plotting::combineRefusal(setup.combine, setup.device, setup.files.pattern)) {
        host_.refuseRun(*refusal);
        return;
    }
    // The run's names, decided once over the whole job (or as the report it resumes recorded them).
    RunNames names = host_.takeRunNames();
    if (names.listing.empty())
        for (std::size_t i = 0; i < listView.size(); ++i) names.listing.push_back(listView.fullPath(i));
    std::vector<std::string> drawings;
    for (const auto& [entry, path] : listed.drawings) drawings.push_back(path);
    plotting::decideRunNames(setup, names, drawings);
    setup.files.claims = std::make_shared<plotting::PlotFileClaims>();
    for (const std::string& kept : host_.keptFiles()) setup.files.drawings.insert(base::foldedPath(kept));
    // A report that cannot be written does not stop the run; its end says so (and an unattended run's exit code).
    if (plotting::missingChoice(setup) == plotting::MissingChoice::None) reports_.begin(setup);
    if (const auto report = reports_.current())
        for (const auto& [file, problem] : report->written()) {
            setup.files.drawings.insert(base::foldedPath(win::toUtf8(file.wstring())));
            setup.files.drawings.insert(base::foldedPath(win::toUtf8(plotting::journalOf(file).wstring())));
        }
    run->setup = setup;
    run->record = std::make_shared<plotting::RunRecordWriter>(reports_.current(), setup, names, drawings,
                                                              combineNaming(setup), setup.files.claims, reports_.part(),
                                                              &RunReportKeeper::isoLocalTime);
    run->ledger = std::make_shared<plotting::RunLedger>(
        std::move(listed.drawings),
        [record = run->record](const std::vector<plotting::DrawingOutcome>& outcomes, std::size_t changed) {
            return record->write(outcomes, changed);
        },
        setup.purpose);
    // A Stop pressed for an earlier run or search does not end this one before it starts.
    run->stop = std::make_shared<std::atomic<bool>>(false);
    const int sessions = host_.runSessions();
    run_ = std::move(run);
    host_.statusLines().open();
    host_.setBusy(true);
    if (sessions > 1) {
        startSharedRun(kind, list, setup, sessions);
        return;
    }
    startSingleRun(kind, list, setup);
}

std::shared_ptr<RunView> RunCoordinator::makeView(DrawingListView& listView) {
    auto view = std::make_shared<RunView>(host_.window(), listView, host_.listedFolder(), host_.statusLines());
    if (host_.unattended())
        view->onInformation = [this](const std::string& title, const std::string& text) { host_.tell(title, text); };
    else
        view->onInformation = [this](const std::string& title, const std::string& text) { host_.notify(title, text); };
    // The report's rows are written on the sessions' side; the console hears of plot files here.
    view->onAnnounce = [this](const std::string& text) {
        if (host_.unattended()) ConsoleOutput::writeLine("Quillon: " + text);
    };
    view->onOutcome = [this](const plotting::DrawingOutcome& outcome) {
        if (host_.unattended()) PlotFilesChoice::announce(outcome);
    };
    return view;
}

plotting::PlotSetup RunCoordinator::runSetup(plotting::RunPurpose purpose, const std::string& resumes,
                                             plotting::LayoutsBox layouts) {
    plotting::PlotSetup setup = host_.plotChoices();
    setup.files = host_.plotFileOptions();
    setup.layouts = layouts != plotting::LayoutsBox::Clear;
    host_.applySheets(setup);
    setup.purpose = purpose;
    setup.resumes = resumes;
    setup.cadRestartEvery = jobRestartEvery_.value_or(restarts_.every);
    setup.cadMemoryLimitMB = restarts_.memoryLimitMB;
    // A check combines nothing: it plots nothing.
    if (purpose == plotting::RunPurpose::Plot) setup.combine = host_.combineChoice();
    return setup;
}

void RunCoordinator::startSingleRun(plotting::RunKind kind, std::shared_ptr<plotting::RunListSnapshot> list,
                                    const plotting::PlotSetup& setup) {
    // The end is said however the task ends: run to its end, ended by an exception, or dropped unrun.
    auto ended = std::make_shared<plotting::RunEndSignal>(endSignal(run_->generation));
    auto posting = std::make_shared<plotting::PostingRunDisplay>(run_->mail, run_->view);
    postCad([kind, list, setup, posting, ledger = run_->ledger, stop = run_->stop, ended](autocad::CadSession& session) {
        // Before the first drawing is opened, the report on disk names every drawing of the run.
        ledger->begin();
        plotting::LedgerDisplay display(*posting, ledger, 0);
        plotting::PlotRun plot(kind, session.connection(), session.files(), display, *list, *stop, setup);
        plot.runToEnd();
        ended->set(plot.ending(), plot.tally());
    });
}

void RunCoordinator::showSummary(const std::string& summary) {
    // The run's closing line is the record's summary: what a session says late, or the run's own words, never replace it.
    host_.statusLines().close(summary);
}

void RunCoordinator::runEnded(std::uint64_t generation, std::optional<plotting::PlotRun::Ending> ending,
                              plotting::PlotRun::Tally tally) {
    if (!run_ || run_->generation != generation || run_->combining) return;
    std::unique_ptr<ActiveRun> run = std::move(run_);
    // Nothing the run posts from now on reaches the window.
    run->mail->close();
    using Ending = plotting::PlotRun::Ending;
    if (ending != Ending::Refused) {
        // Every drawing of the run ends with a row, in the report and in the list.
        std::string cause = run->lostBecause;
        if (cause.empty() && (!ending || *ending == Ending::ApplicationLost)) cause = "AutoCAD was lost";
        if (cause.empty() && host_.leaving()) cause = "Quillon was closed";
        const bool stopped = cause.empty() && ending == Ending::Stopped;
        if (cause.empty()) cause = stopped ? "the run was stopped" : "the run ended";
        const std::string notStarted = stopped ? cause : "the run ended because " + cause;
        for (const auto& [entry, outcome] : run->ledger->close(cause, notStarted)) run->view->showOutcome(entry, outcome);
        // The record decides what the run did: the counts, the summary and the exit code all come from it.
        const int restarts = tally.restarts;
        const int plannedRestarts = tally.plannedRestarts;
        tally = run->ledger->tally();
        tally.restarts = restarts;
        tally.plannedRestarts = plannedRestarts;
        if (ending) showSummary(plotting::PlotRun::summaryText(*ending, tally));
    }
    for (auto& further : run->further) {
        further->release();
        retired_.push_back(std::move(further));
    }
    run->further.clear();
    run_ = std::move(run);
    if (startCombining(ending, tally)) return;
    finishRun(std::move(run_), ending, tally);
}

void RunCoordinator::finishRun(std::unique_ptr<ActiveRun> run, std::optional<plotting::PlotRun::Ending> ending,
                               const plotting::PlotRun::Tally& tally) {
    const std::uint64_t generation = run->generation;
    run.reset();  // the run is over: what it held goes now
    reports_.end();
    host_.setBusy(false);
    host_.runEnded(generation, ending, tally);
}

}  // namespace quillon::app
