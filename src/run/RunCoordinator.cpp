#include "run/RunCoordinator.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "autocad/CadSession.h"
#include "base/Paths.h"
#include "plotting/PostingRunDisplay.h"
#include "plotting/RunEndSignal.h"
#include "plotting/StatusLines.h"
#include "plotting/changes/ChangeCheck.h"
#include "plotting/job/JobPart.h"
#include "plotting/HeardDisplay.h"
#include "plotting/record/ReportRows.h"
#include "plotting/record/SessionRecord.h"
#include "run/ToldDisplay.h"

namespace quillon::run {


RunCoordinator::RunCoordinator(RunHost& host) : host_(host) {}

RunCoordinator::~RunCoordinator() {
    if (mailbox_) mailbox_->close();
    // A combine in progress stops at its next sheet; what it wrote is under a temporary name, removed.
    exiting_->store(true);
    if (run_) run_->stop->store(true);
    if (combiner_.joinable()) combiner_.join();
    std::vector<RunSession*> waited;
    auto retire = [&](std::unique_ptr<RunSession> owner) {
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
    host_.sessions().waitForEnd(waited, std::chrono::milliseconds(3000));
}

std::unique_ptr<RunSession> RunCoordinator::makeSession() {
    RunHost* host = &host_;
    auto mailbox = mailbox_;
    SessionSpec spec;
    spec.mailbox = mailbox_;
    spec.announceAfter = AnnounceCallAfter;
    spec.limit = settings_.callTimeout;
    spec.openLimit = settings_.openTimeout;
    spec.onFailure = [mailbox, host](const std::string& error) {
        mailbox->post([host, error] { host->setStatus("\r\nQuillon could not finish talking to AutoCAD: " + error); });
    };
    spec.owed = settings_.owed;
    return host_.sessions().make(spec);
}

void RunCoordinator::start(std::shared_ptr<base::TaskMailbox> mailbox, RunSettings settings) {
    mailbox_ = std::move(mailbox);
    settings_ = std::move(settings);
    main_ = makeSession();
}

void RunCoordinator::postCad(RunSession::Task task) {
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
                host->teller().line(left);
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

void RunCoordinator::startRun(RunRequest request) {
    if (run_ || host_.closing() || !main_) return;
    auto run = std::make_unique<ActiveRun>();
    run->generation = ++generations_;
    run->mail = base::TaskMailbox::childOf(mailbox_);
    run->view = makeView(request);
    const plotting::RunKind kind = request.kind;
    std::vector<std::pair<int, std::string>> taken = request.drawings();
    plotting::PlotSetup setup = request.setup;
    setup.cadRestartEvery = request.restartEvery.value_or(settings_.restartEvery);
    setup.cadMemoryLimitMB = settings_.memoryLimitMB;
    // A check combines nothing: it plots nothing.
    if (setup.purpose != plotting::RunPurpose::Plot) setup.combine = {};
    if (const auto refusal = plotting::combineRefusal(setup.combine, setup.device, setup.files.pattern)) {
        host_.refuseRun(*refusal);
        return;
    }
    // The run's names, decided once over the whole job (or as the report it resumes recorded them).
    plotting::JobNames names = request.names;
    if (names.listing.empty()) names.listing = request.listing();
    std::vector<std::string> drawings;
    drawings.reserve(taken.size());
    for (const auto& [entry, path] : taken) drawings.push_back(path);
    plotting::decideRunNames(setup, names, drawings);
    setup.files.claims = std::make_shared<plotting::PlotFileClaims>();
    for (const std::string& kept : request.kept) setup.files.drawings.insert(base::foldedPath(kept));
    RunReports& reports = host_.reports();
    // A report that cannot be written does not stop the run; its end says so (and an unattended run's exit code).
    if (plotting::missingChoice(setup) == plotting::MissingChoice::None) reports.begin(setup);
    if (const auto report = reports.current())
        for (const auto& [file, problem] : report->written()) {
            setup.files.drawings.insert(base::foldedPath(base::utf8Of(file)));
            setup.files.drawings.insert(base::foldedPath(base::utf8Of(plotting::journalOf(file))));
        }
    // Every plot to a file is recorded beside its files, so that a later run of changed drawings knows it.
    if ((setup.purpose == plotting::RunPurpose::Plot || setup.onlyChanged) &&
        setup.files.output == plotting::PlotOutput::File)
        setup.changes = std::make_shared<plotting::ChangeCheck>(
            setup, plotting::PlotKeyStore::ownFileName(reports.part()),
            [&reports](std::chrono::system_clock::time_point time) { return reports.localTime(time); });
    run->setup = setup;
    run->jobFile = request.jobFile;
    run->jobHadFolder = request.jobHadFolder;
    run->listedFolder = request.listedFolder;
    run->partBase = request.partBase;
    run->deadline = request.deadline;
    run->deadlineText = request.deadlineText;
    run->record = std::make_shared<plotting::RunRecordWriter>(
        reports.current(), setup, names, drawings, combineNaming(*run), setup.files.claims, reports.part(),
        [&reports](std::chrono::system_clock::time_point time) { return reports.localTime(time); });
    if (setup.changes) {
        std::function<bool(const std::string&)> inPart;
        if (const auto part = request.part; part && part->parts > 1)
            inPart = [part = *part, base = request.partBase](const std::string& drawing) {
                return plotting::partOf(drawing, base, part.parts) == part.part;
            };
        setup.changes->setJob(plotting::JobScope(names.listing, request.listedFolder, std::move(inPart)),
                              [record = std::weak_ptr<plotting::RunRecordWriter>(run->record)](const auto& gone) {
                                  if (const auto kept = record.lock()) kept->recordLeftBehind(gone);
                              });
    }
    run->ledger = std::make_shared<plotting::RunLedger>(
        std::move(taken),
        [record = run->record](const std::vector<plotting::DrawingOutcome>& outcomes, std::size_t changed) {
            return record->write(outcomes, changed);
        },
        setup.purpose);
    // A Stop pressed for an earlier run or search does not end this one before it starts.
    run->stop = std::make_shared<std::atomic<bool>>(false);
    auto list = std::make_shared<plotting::RunListSnapshot>(std::move(request.rows),
                                                            request.listedFolder);
    const int sessions = request.sessions;
    run_ = std::move(run);
    host_.statusLines().open();
    host_.setBusy(true);
    if (sessions > 1) {
        startSharedRun(kind, list, setup, sessions);
        return;
    }
    startSingleRun(kind, list, setup);
}

std::shared_ptr<plotting::PlotRunDisplay> RunCoordinator::makeView(const RunRequest& request) {
    return std::make_shared<ToldDisplay>(host_.runDisplay(request), host_.teller());
}

void RunCoordinator::startSingleRun(plotting::RunKind kind, std::shared_ptr<plotting::RunListSnapshot> list,
                                    const plotting::PlotSetup& setup) {
    // The end is said however the task ends: run to its end, ended by an exception, or dropped unrun.
    auto ended = std::make_shared<plotting::RunEndSignal>(endSignal(run_->generation));
    auto posting = std::make_shared<plotting::PostingRunDisplay>(run_->mail, run_->view);
    postCad([kind, list, setup, posting, ledger = run_->ledger, stop = run_->stop, ended](autocad::CadSession& session) {
        // Before the first drawing is opened, the report on disk names every drawing of the run.
        ledger->begin();
        if (setup.changes) setup.changes->reportLeftBehind(session.files());
        plotting::SessionRecord record(ledger, 0);
        plotting::HeardDisplay display(*posting, [&record] { return record.heard(); });
        plotting::PlotRun plot(kind, session.connection(), session.files(), display, *list, *stop, setup, nullptr,
                               &record);
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
        tally.obsoleteFiles += run->record->leftBehindFiles();
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
    host_.reports().end();
    host_.setBusy(false);
    host_.runEnded(generation, ending, tally);
}

}  // namespace quillon::run
