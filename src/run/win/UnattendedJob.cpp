#include "run/win/UnattendedJob.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "app/ReportTarget.h"
#include "app/RunExit.h"
#include "run/win/ConsoleOutput.h"
#include "app/win/ControlIds.h"
#include "discovery/win/DrawingListView.h"
#include "app/win/MainWindow.h"
#include "plotting/StatusLines.h"
#include "plotting/job/JobCheck.h"
#include "plotting/job/JobPart.h"
#include "plotting/record/ResumePlan.h"
#include "plotting/record/RunReport.h"
#include "run/JobRequest.h"
#include "win/ExtendedPath.h"
#include "win/LocalClock.h"
#include "win/SystemCodePage.h"
#include "win/Utf.h"

namespace quillon::app {

namespace fs = std::filesystem;

std::optional<std::string> UnattendedJob::reportTargetProblem() const {
    // Compared as full paths: "night.qjob" and "C:/Jobs/night.qjob" may be one file.
    CommandLine full = commandLine_;
    full.job = win::toUtf8(win::extendedLengthPath(full.job));
    if (full.report) full.report = win::toUtf8(win::extendedLengthPath(*full.report));
    return reportTargetRefusal(full);
}

void UnattendedJob::tell(const std::string& title, const std::string& text) {
    if (!unattended_) {
        host_.notify(title, text);
        return;
    }
    // No one is there to press OK: the console and Status say it instead.
    ConsoleOutput::writeLine("Quillon: " + title + ": " + text);
    host_.setStatus(text);
}

void UnattendedJob::line(const std::string& text) {
    if (unattended_) ConsoleOutput::writeLine("Quillon: " + text);
}

void UnattendedJob::cadUnavailable(const std::string& why) {
    // This can come before the job is read: the command line alone decides that no box is shown.
    if (!commandLine_.unattended()) return;
    unattended_ = true;
    ConsoleOutput::attach();
    exitCode_ = static_cast<int>(RunExitCode::CadUnavailable);
    ConsoleOutput::writeLine("Quillon: " + std::string(autocad::connection_text::FailureTitle) + ": " + why);
    // The report and the exit code follow as the window goes (leaving()).
    why_ = why;
}

void UnattendedJob::cadLost(const std::string& why) {
    if (unattended_ && !told()) failure(RunExitCode::CadUnavailable, why);
}

void UnattendedJob::leaving() {
    if (!unattended_ || told()) return;
    // Closed before the run could end: never "every sheet plotted".
    failure(exitCode_ != 0 ? static_cast<RunExitCode>(exitCode_) : RunExitCode::Stopped,
            why_.empty() ? "Quillon was closed before the run ended." : why_, false);
}

std::optional<std::string> UnattendedJob::problemBeforeCad(base::FileSystem& files) const {
    if (const auto refused = reportTargetProblem()) return refused;
    plotting::PlotJobSpec job;
    if (commandLine_.mode == CommandLine::Mode::ResumeRun) {
        std::optional<plotting::ResumePlan> plan;
        try {
            const fs::path report(win::toWide(commandLine_.job));
            plan = plotting::resumePlan(plotting::readReportFile(report, win::systemAnsiCodePage()));
        } catch (const std::exception& error) {
            return commandLine_.job + ", " + error.what();
        }
        // Nothing left to plot: the resume says so itself, and starts nothing.
        if (plan->toPlotAgain() == 0) return std::nullopt;
        if (const auto why = plotting::replayRefusal(plan->job))
            return commandLine_.job + ": the choices its rows record cannot be used again: " + *why;
        job = plan->job;
    } else if (const auto problem = jobs_.readJob(win::toWide(commandLine_.job), job)) {
        return problem;
    }
    if (commandLine_.report)
        if (const auto why = run::RunReportKeeper::copyTargetProblem(*commandLine_.report))
            return "The run report cannot be written to " + *commandLine_.report + ": " + *why;
    if (const auto refusal = plotting::jobRefusalBeforeCad(job, files)) return refusal->text;
    return std::nullopt;
}

void UnattendedJob::checkBeforeCad() {
    if (!commandLine_.unattended()) return;
    host_.postCad([this](autocad::CadSession& session) {
        auto problem = problemBeforeCad(session.files());
        // Nothing queued after this starts the application now.
        if (problem) session.noteLeaving();
        session.mailbox()->post([this, problem] {
            if (!problem || told()) return;
            unattended_ = true;
            ConsoleOutput::attach();
            if (commandLine_.part) host_.reports().setPart(commandLine_.part->text());
            failure(RunExitCode::BadJobOrArguments, *problem);
        });
    });
}

void UnattendedJob::startCommandLineJob() {
    if (stage_ != Stage::Waiting || commandLine_.mode == CommandLine::Mode::Window ||
        commandLine_.mode == CommandLine::Mode::Usage)
        return;
    stage_ = Stage::Started;
    unattended_ = commandLine_.unattended();
    if (!unattended_) {
        if (const auto problem = jobs_.loadJob(win::toWide(commandLine_.job)))
            host_.notify(PlotJobCommands::Title, *problem);
        return;
    }
    ConsoleOutput::attach();
    if (commandLine_.part) host_.reports().setPart(commandLine_.part->text());
    if (const auto refused = reportTargetProblem()) return failure(RunExitCode::BadJobOrArguments, *refused);
    // The copy is replaced with the report at each change, never written only at the end.
    host_.reports().setCopy(commandLine_.report);
    if (commandLine_.mode == CommandLine::Mode::ResumeRun) return readResume(commandLine_.job, false);
    plotting::PlotJobSpec job;
    if (const auto problem = jobs_.readJob(win::toWide(commandLine_.job), job))
        return failure(RunExitCode::BadJobOrArguments, *problem);
    runJob(job);
}

void UnattendedJob::refuseRun(const std::string& why) {
    if (unattended_) return failure(RunExitCode::BadJobOrArguments, why);
    host_.setStatus("\r\n" + why);
}

void UnattendedJob::runJob(const plotting::PlotJobSpec& job) {
    jobHadFolder_ = job.folder.has_value();
    // A drawing's part is decided by its path relative to the job's folder.
    jobFolder_ = job.folder.value_or("");
    // The command line's /until wins over the job's.
    const auto until = commandLine_.until ? commandLine_.until : plotting::parseTimeOfDay(job.until);
    if (until) {
        deadline_ = plotting::RunDeadline(win::localNow(), *until);
        deadlineText_ = "It is " + until->text() + ", the time the run must end by: it stops after the drawing in hand.";
    }
    // What would make the run's word worthless is checked before anything is opened: a report
    // that cannot be written, a folder that is not there. On the CAD thread, as every look at
    // the file system.
    host_.postCad([this, job, report = commandLine_.report](autocad::CadSession& session) {
        std::optional<std::string> problem;
        bool copyRefused = false;
        if (report)
            if (const auto why = run::RunReportKeeper::copyTargetProblem(*report)) {
                problem = "The run report cannot be written to " + *report + ": " + *why;
                copyRefused = true;
            }
        if (!problem && job.folder && !session.files().list(*job.folder))
            problem = "The plot job's folder " + *job.folder + " does not exist or cannot be read.";
        session.mailbox()->post([this, job, problem, copyRefused] {
            // The kept report still says why; nothing is written where the copy was refused.
            if (copyRefused) {
                copyRefused_ = true;
                host_.reports().setCopy(std::nullopt);
            }
            if (problem) return failure(RunExitCode::BadJobOrArguments, *problem);
            awaitListing(AfterListing::UnattendedRun, job,
                         [this](const std::string& refused) { failure(RunExitCode::BadJobOrArguments, refused); });
        });
    });
}

void UnattendedJob::awaitListing(AfterListing after, const plotting::PlotJobSpec& job,
                                 const std::function<void(const std::string&)>& refused) {
    std::uint64_t listing = 0;
    afterListing_ = AfterListing::Nothing;
    awaited_ = 0;
    plotting::PlotJobSpec applied;
    if (const auto problem = jobs_.applyJob(job, &listing, &applied)) return refused(*problem);
    if (after == AfterListing::UnattendedRun) jobToRun_ = applied;
    if (listing == 0) return;  // the way out has begun: nothing is listed, nothing run
    afterListing_ = after;
    awaited_ = listing;
}

void UnattendedJob::drawingsListed(std::uint64_t listing, bool complete) {
    // Another listing's end (a folder the user browsed to, a job or resume asked for before): not ours.
    if (listing == 0 || listing != awaited_) return;
    awaited_ = 0;
    const AfterListing after = std::exchange(afterListing_, AfterListing::Nothing);
    // The outcome was told already (the window went meanwhile): nothing more is said or run.
    if (told()) return;
    // A listing stopped or broken off is not the job's drawings: nothing is plotted over it.
    if (!complete) {
        const std::string why = "The listing of the drawings was stopped before its end: nothing was plotted.";
        if (after == AfterListing::UnattendedRun) return failure(RunExitCode::Stopped, why);
        if (after == AfterListing::WindowResume) host_.setStatus("\r\n" + why);
        return;
    }
    if (after == AfterListing::WindowResume)
        return host_.startRun(plotting::RunKind::AllListed, plotting::RunPurpose::Plot, resumes_);
    if (after != AfterListing::UnattendedRun) return;
    discovery::DrawingListView& list = host_.listView();
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < list.size(); ++i) paths.push_back(list.fullPath(i));
    // A resume whose drawings are all plotted but whose combined file is not made combines, plotting nothing.
    if (paths.empty() && combineOnly_) {
        runDrawings_ = 0;
        return startListedRun();
    }
    if (paths.empty())
        return failure(RunExitCode::SomeNotPlotted, "No drawing found in " + host_.listedFolder());
    // A run of one part of a job: the part's drawings are listed in place of the job's, once.
    if (commandLine_.part && stage_ != Stage::PartListed) {
        stage_ = Stage::PartListed;
        auto mine = plotting::drawingsOfPart(paths, *commandLine_.part, jobFolder_);
        // A part names its plot files as the whole job would: another part's drawings count for them too.
        runNames_.listing = paths;
        ConsoleOutput::writeLine("Quillon: " + commandLine_.part->text() + ": " + std::to_string(mine.size()) +
                                 " of the job's " + std::to_string(paths.size()) + " drawings");
        // A part with no drawings still leaves a report of its own, never another run's.
        if (mine.empty()) return nothingLeft({});
        if (const auto part = jobs_.listDrawings(mine)) {
            afterListing_ = AfterListing::UnattendedRun;
            awaited_ = part;
        }
        return;
    }
    runDrawings_ = static_cast<int>(paths.size());
    checkThenRun();
}

void UnattendedJob::startListedRun() {
    if (jobToRun_) return host_.startRequestedRun(jobRunRequest());
    const auto purpose = commandLine_.mode == CommandLine::Mode::CheckJob ? plotting::RunPurpose::Check
                                                                           : plotting::RunPurpose::Plot;
    host_.startRun(plotting::RunKind::AllListed, purpose, resumes_);
}

run::RunRequest UnattendedJob::jobRunRequest() const {
    const plotting::PlotJobSpec& job = *jobToRun_;
    run::RunRequest request;
    discovery::DrawingListView& list = host_.listView();
    request.rows.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        request.rows.push_back({std::string(list.row(i).name), list.row(i).folder.str(), false});
    request.listedFolder = host_.listedFolder();
    const std::string today = run::RunReportKeeper::isoLocalTime(std::chrono::system_clock::now()).substr(0, 10);
    run::takeJobChoices(request, job, today);
    request.setup.purpose = commandLine_.mode == CommandLine::Mode::CheckJob ? plotting::RunPurpose::Check
                                                                              : plotting::RunPurpose::Plot;
    request.setup.resumes = resumes_;
    // The command line's /sessions wins over the job's, which wins over the settings'.
    request.sessions = commandLine_.sessions ? *commandLine_.sessions : job.sessions ? *job.sessions : host_.storedSessions();
    request.deadline = deadline_;
    request.deadlineText = deadlineText_;
    request.names = runNames_;
    request.kept = keptFiles();
    request.jobFile = commandLine_.job;
    request.jobHadFolder = jobHadFolder_;
    return request;
}

void UnattendedJob::checkThenRun() {
    // Everything that can be known before the first drawing of the job opens is checked now, in this order:
    // what needs no CAD application, then the template's page setup and the device's papers, read through a
    // blank drawing of Quillon's own. A check names a paper that does not take on each sheet it concerns.
    const bool paper = commandLine_.mode != CommandLine::Mode::CheckJob;
    // The job's own choices, as its run will take them (a resume's job is made from its report).
    const plotting::PlotSetup setup = jobToRun_ ? jobRunRequest().setup : host_.chosenSetup();
    host_.postCad([this, setup, paper](autocad::CadSession& session) {
        std::optional<std::string> refusal;
        if (const auto early = plotting::refusalBeforeCad(setup, session.files())) refusal = early->text;
        if (!refusal) {
            try {
                refusal = plotting::refusalBeforeFirstOpen(session.connection(), setup, paper);
            } catch (const automation::AutomationError& error) {
                // The run meets the same trouble and reports it drawing by drawing.
                session.connection().noteFailure(error);
            }
        }
        session.mailbox()->post([this, refusal] {
            if (refusal) return failure(RunExitCode::BadJobOrArguments, *refusal);
            startListedRun();
        });
    });
}

void UnattendedJob::resumeInWindow(const std::string& report) { readResume(report, true); }

std::vector<std::string> UnattendedJob::keptFiles() const {
    std::vector<std::string> kept;
    if (unattended_ && !commandLine_.job.empty()) kept.push_back(commandLine_.job);
    if (!resumes_.empty()) kept.push_back(resumes_);
    if (unattended_ && commandLine_.report) kept.push_back(*commandLine_.report);
    return kept;
}

void UnattendedJob::readResume(const std::string& report, bool attended) {
    // A resume is a listing request too: a folder browsed to or a job opened meanwhile wins over it.
    const std::uint64_t request = host_.askListing();
    // The report is read on the CAD thread, as every file is: the window never waits on a share.
    host_.postCad([this, report, attended, request](autocad::CadSession& session) {
        std::optional<plotting::ResumePlan> plan;
        std::string problem;
        // What a write of it killed half-way left beside it goes; the report itself is what is read.
        plotting::removeLeftoverWrite(fs::path(win::toWide(report)));
        auto exists = [](const std::string& file) {
            return GetFileAttributesW(win::extendedLengthPath(file).c_str()) != INVALID_FILE_ATTRIBUTES;
        };
        try {
            plan = plotting::resumePlan(plotting::readReportFile(fs::path(win::toWide(report)), win::systemAnsiCodePage()),
                                        report, exists);
        } catch (const std::exception& error) {
            problem = report + ", " + error.what();
        }
        session.mailbox()->post([this, report, attended, plan, problem, request] {
            // Unattended, no one asks for anything else: only the window's resume can be overtaken.
            if (attended && !host_.latestListing(request)) return;
            auto say = [&](const std::string& text) {
                if (attended) host_.notify(ResumeTitle, text);
                else ConsoleOutput::writeLine("Quillon: " + text);
            };
            if (!plan) return attended ? say(problem) : failure(RunExitCode::BadJobOrArguments, problem);
            // The resume of one part of a job is that part still: its report says so, for /combine.
            if (!attended && !plan->names.carried.empty()) host_.reports().setPart(plan->names.carried.front().part);
            if (plan->toPlotAgain() == 0 && !plan->combineLeft) {
                say("Nothing to resume: every drawing of " + report + " was plotted in full, and combined as asked.");
                if (!attended) nothingLeft(report, plan->names.carried);
                return;
            }
            combineOnly_ = plan->toPlotAgain() == 0;
            if (!attended)
                say(combineOnly_ ? "resuming " + report + ": every drawing was plotted in full; its combined file is made again"
                                 : "resuming " + report + ": " + std::to_string(plan->toPlotAgain()) + " of its " +
                                       std::to_string(plan->drawingsInReport) + " drawings were not plotted in full");
            resumes_ = report;
            // Named as the report's run named them, whatever this resume leaves out; its rows carried forward.
            runNames_ = plan->names;
            // The run takes the listed drawings up from the last: listed backwards, they plot in the report's order.
            plotting::PlotJobSpec job = plan->job;
            std::reverse(job.drawings.begin(), job.drawings.end());
            if (!attended) return runJob(job);
            awaitListing(AfterListing::WindowResume, job, say);
        });
    });
}

void UnattendedJob::nothingLeft(const std::string& resumed, const std::vector<plotting::ReportRow>& carried) {
    stage_ = Stage::Told;
    // Even a run with nothing to plot leaves its report, for whoever reads only the copy in the morning.
    run::RunReportKeeper& reports = host_.reports();
    plotting::PlotSetup none;
    none.resumes = resumed;
    if (commandLine_.mode == CommandLine::Mode::CheckJob) none.purpose = plotting::RunPurpose::Check;
    reports.begin(none);
    // The set as the resumed report has it: a chain of resumes always describes the whole of it.
    for (const auto& row : carried) reports.addRow(row);
    reports.end();
    tellWritten();
    if (!reportWhole()) exitCode_ = static_cast<int>(RunExitCode::SomeNotPlotted);
    ConsoleOutput::writeLine("Quillon: exit code " + std::to_string(exitCode_));
    if (commandLine_.closeWhenDone) host_.exitCommand();
}

void UnattendedJob::tellWritten() {
    // Each file of the record on its own: where the kept report went, and the copy, or why not.
    const auto written = host_.reports().written();
    for (std::size_t i = 0; i < written.size(); ++i) {
        const bool check = commandLine_.mode == CommandLine::Mode::CheckJob;
        const std::string what = i == 0 && !host_.reports().runReport().empty() ? (check ? "check report " : "run report ")
                                                                                : (check ? "copy of the check report " : "copy of the run report ");
        const std::string file = win::toUtf8(written[i].first.wstring());
        ConsoleOutput::writeLine("Quillon: " + what + file + (written[i].second ? " (not whole: " + *written[i].second + ")" : ""));
    }
}

bool UnattendedJob::reportWhole() {
    const auto problem = host_.reports().problem();
    if (problem) ConsoleOutput::writeLine("Quillon: the run's record is not whole on disk: " + *problem);
    return !problem;
}

void UnattendedJob::failure(RunExitCode code, const std::string& why, bool close) {
    stage_ = Stage::Told;
    exitCode_ = static_cast<int>(code);
    ConsoleOutput::writeLine("Quillon: " + why);
    host_.setStatus("\r\n" + why);
    // The report says it too, for whoever reads it in the morning (and its copy, unless that is what was refused).
    run::RunReportKeeper& reports = host_.reports();
    if (copyRefused_ || reportTargetProblem()) reports.setCopy(std::nullopt);
    else reports.setCopy(commandLine_.report);
    reports.begin({});
    plotting::ReportRow row;
    row.drawing = commandLine_.job;
    row.outcome = "failed";
    row.reason = why;
    row.started = run::RunReportKeeper::isoLocalTime(std::chrono::system_clock::now());
    reports.addRow(row);
    reports.end();
    tellWritten();
    reportWhole();
    ConsoleOutput::writeLine("Quillon: exit code " + std::to_string(exitCode_));
    if (close && commandLine_.closeWhenDone) host_.exitCommand();
}

void UnattendedJob::runEnded(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally) {
    if (!unattended_) return;
    stage_ = Stage::Told;
    // A start that failed already set its own code.
    if (exitCode_ == 0)
        exitCode_ = static_cast<int>(commandLine_.mode == CommandLine::Mode::CheckJob
                                         ? checkExitCode(ending, tally, runDrawings_)
                                         : runExitCode(ending, tally, runDrawings_));
    // The run's closing line is its own summary, whatever a session said after it; a run refused before it
    // started has none, and the last thing said is why.
    const plotting::StatusLines& status = host_.statusLines();
    ConsoleOutput::writeLine("Quillon: " + (status.closingLine().empty() ? status.lastLine() : status.closingLine()));
    for (const auto& line : runClosingLines(tally, runDrawings_, ""))
        ConsoleOutput::writeLine("Quillon: " + line);
    tellWritten();
    // A record not whole on disk (a row lost, no report, no copy): the morning cannot trust it, nor a 0.
    if (!reportWhole() && exitCode_ == 0) exitCode_ = static_cast<int>(RunExitCode::SomeNotPlotted);
    ConsoleOutput::writeLine("Quillon: exit code " + std::to_string(exitCode_));
    if (commandLine_.closeWhenDone) host_.exitCommand();
}

}  // namespace quillon::app
