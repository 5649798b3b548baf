#include "app/CommandLineRun.h"

#include "plotting/job/FirstOpenCheck.h"
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "app/ReportTarget.h"
#include "app/RunExit.h"
#include "base/Paths.h"
#include "plotting/StatusLines.h"
#include "plotting/job/JobCheck.h"
#include "plotting/job/JobPart.h"
#include "plotting/record/ResumePlan.h"
#include "plotting/record/RunReport.h"
#include "run/JobRequest.h"

namespace quillon::app {

std::optional<std::string> CommandLineRun::reportTargetProblem() const {
    // Compared as full paths: "night.qjob" and "C:/Jobs/night.qjob" may be one file.
    CommandLine full = commandLine_;
    full.job = host_.system().fullPath(full.job);
    if (full.report) full.report = host_.system().fullPath(*full.report);
    return reportTargetRefusal(full);
}

std::optional<std::string> CommandLineRun::readJob(const std::string& file, plotting::PlotJobSpec& job) const {
    std::ifstream in(base::pathOfUtf8(file), std::ios::binary);
    if (!in) return "The plot job " + file + " cannot be read.";
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        job = plotting::readPlotJob(text);
    } catch (const plotting::PlotJobError& error) {
        return file + ": " + error.what();
    }
    return std::nullopt;
}

void CommandLineRun::tell(const std::string& title, const std::string& text) {
    if (!unattended_) {
        host_.notify(title, text);
        return;
    }
    // No one is there to press OK: the console and Status say it instead.
    host_.system().consoleLine("Quillon: " + title + ": " + text);
    host_.setStatus(text);
}

void CommandLineRun::line(const std::string& text) {
    if (unattended_) host_.system().consoleLine("Quillon: " + text);
}

void CommandLineRun::cadUnavailable(const std::string& why) {
    // This can come before the job is read: the command line alone decides that no box is shown.
    if (!commandLine_.unattended()) return;
    unattended_ = true;
    host_.system().attachConsole();
    exitCode_ = static_cast<int>(RunExitCode::CadUnavailable);
    host_.system().consoleLine("Quillon: " + std::string(autocad::connection_text::FailureTitle) + ": " + why);
    // The report and the exit code follow as the window goes (leaving()).
    why_ = why;
}

void CommandLineRun::cadLost(const std::string& why) {
    if (unattended_ && !told()) failure(RunExitCode::CadUnavailable, why);
}

void CommandLineRun::leaving() {
    if (!unattended_ || told()) return;
    // Closed before the run could end: never "every sheet plotted".
    failure(exitCode_ != 0 ? static_cast<RunExitCode>(exitCode_) : RunExitCode::Stopped,
            why_.empty() ? "Quillon was closed before the run ended." : why_, false);
}

std::optional<std::string> CommandLineRun::problemBeforeCad(base::FileSystem& files, bool& onlyChanged) const {
    if (const auto refused = reportTargetProblem()) return refused;
    plotting::PlotJobSpec job;
    if (commandLine_.mode == CommandLine::Mode::ResumeRun) {
        std::optional<plotting::ResumePlan> plan;
        try {
            plan = plotting::resumePlan(
                plotting::readReportFile(base::pathOfUtf8(commandLine_.job), host_.system().codePage()));
        } catch (const std::exception& error) {
            return commandLine_.job + ", " + error.what();
        }
        // Nothing left to plot: the resume says so itself, and starts nothing.
        if (plan->toPlotAgain() == 0) return std::nullopt;
        if (const auto why = plotting::replayRefusal(plan->job))
            return commandLine_.job + ": the choices its rows record cannot be used again: " + *why;
        job = plan->job;
    } else if (const auto problem = readJob(commandLine_.job, job)) {
        return problem;
    }
    if (commandLine_.report)
        if (const auto why = host_.reports().checkCopyTarget(*commandLine_.report))
            return "The run report cannot be written to " + *commandLine_.report + ": " + *why;
    if (const auto refusal = plotting::jobRefusalBeforeCad(job, files)) return refusal->text;
    onlyChanged = job.onlyChanged;
    return std::nullopt;
}

void CommandLineRun::checkBeforeCad() {
    if (!commandLine_.unattended()) return;
    host_.postCad([this](autocad::CadSession& session) {
        bool onlyChanged = false;
        auto problem = problemBeforeCad(session.files(), onlyChanged);
        // Nothing queued after this starts the application now.
        if (problem) session.noteLeaving();
        // A run of changed drawings starts it only for a drawing that changed.
        else if (commandLine_.mode == CommandLine::Mode::RunJob && (onlyChanged || commandLine_.onlyChanged))
            connectLate_.store(true);
        session.mailbox()->post([this, problem] {
            if (!problem || told()) return;
            unattended_ = true;
            host_.system().attachConsole();
            if (commandLine_.part) host_.reports().setPart(commandLine_.part->text());
            failure(RunExitCode::BadJobOrArguments, *problem);
        });
    });
}

void CommandLineRun::startCommandLineJob() {
    if (stage_ != Stage::Waiting || commandLine_.mode == CommandLine::Mode::Window ||
        commandLine_.mode == CommandLine::Mode::Usage)
        return;
    stage_ = Stage::Started;
    unattended_ = commandLine_.unattended();
    if (!unattended_) {
        if (const auto problem = host_.loadJob(commandLine_.job)) host_.notify("Plot Job", *problem);
        return;
    }
    host_.system().attachConsole();
    if (commandLine_.part) host_.reports().setPart(commandLine_.part->text());
    if (const auto refused = reportTargetProblem()) return failure(RunExitCode::BadJobOrArguments, *refused);
    // The copy is replaced with the report at each change, never written only at the end.
    host_.reports().setCopy(commandLine_.report);
    if (commandLine_.mode == CommandLine::Mode::ResumeRun) return readResume(commandLine_.job, false);
    plotting::PlotJobSpec job;
    if (const auto problem = readJob(commandLine_.job, job))
        return failure(RunExitCode::BadJobOrArguments, *problem);
    runJob(job);
}

void CommandLineRun::refuseRun(const std::string& why) {
    if (unattended_) return failure(RunExitCode::BadJobOrArguments, why);
    host_.setStatus("\r\n" + why);
}

void CommandLineRun::runJob(const plotting::PlotJobSpec& job) {
    jobHadFolder_ = job.folder.has_value();
    // A drawing's part is decided by its path relative to the job's folder.
    jobFolder_ = job.folder.value_or("");
    // The command line's /until wins over the job's.
    const auto until = commandLine_.until ? commandLine_.until : plotting::parseTimeOfDay(job.until);
    if (until) {
        deadline_ = plotting::RunDeadline(host_.system().localNow(), *until);
        deadlineText_ = "It is " + until->text() + ", the time the run must end by: it stops after the drawing in hand.";
    }
    // What would make the run's word worthless is checked before anything is opened: a report
    // that cannot be written, a folder that is not there. On the CAD thread, as every look at
    // the file system.
    host_.postCad([this, job, report = commandLine_.report](autocad::CadSession& session) {
        std::optional<std::string> problem;
        bool copyRefused = false;
        if (report)
            if (const auto why = host_.reports().checkCopyTarget(*report)) {
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

void CommandLineRun::awaitListing(AfterListing after, const plotting::PlotJobSpec& job,
                                 const std::function<void(const std::string&)>& refused) {
    std::uint64_t listing = 0;
    afterListing_ = AfterListing::Nothing;
    awaited_ = 0;
    plotting::PlotJobSpec applied;
    if (const auto problem = host_.applyJob(job, &listing, &applied, !connectsLate())) return refused(*problem);
    if (after == AfterListing::UnattendedRun) jobToRun_ = applied;
    if (listing == 0) return;  // the way out has begun: nothing is listed, nothing run
    afterListing_ = after;
    awaited_ = listing;
}

void CommandLineRun::drawingsListed(std::uint64_t listing, bool complete) {
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
    std::vector<std::string> paths;
    for (const auto& row : host_.listedRows()) paths.push_back(row.folder + row.fileName);
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
        host_.system().consoleLine("Quillon: " + commandLine_.part->text() + ": " + std::to_string(mine.size()) +
                                 " of the job's " + std::to_string(paths.size()) + " drawings");
        // A part with no drawings still leaves a report of its own, never another run's.
        if (mine.empty()) return nothingLeft({});
        if (const auto part = host_.listDrawings(mine)) {
            afterListing_ = AfterListing::UnattendedRun;
            awaited_ = part;
        }
        return;
    }
    runDrawings_ = static_cast<int>(paths.size());
    checkThenRun();
}

void CommandLineRun::startListedRun() {
    if (jobToRun_) return host_.startRequestedRun(jobRunRequest());
    const auto purpose = commandLine_.mode == CommandLine::Mode::CheckJob ? plotting::RunPurpose::Check
                                                                           : plotting::RunPurpose::Plot;
    host_.startRun(plotting::RunKind::AllListed, purpose, resumes_);
}

run::RunRequest CommandLineRun::jobRunRequest() const {
    const plotting::PlotJobSpec& job = *jobToRun_;
    run::RunRequest request;
    request.rows = host_.listedRows();
    request.listedFolder = host_.listedFolder();
    const std::string today = host_.reports().localTime(std::chrono::system_clock::now()).substr(0, 10);
    run::takeJobChoices(request, job, today);
    request.setup.purpose = commandLine_.mode == CommandLine::Mode::CheckJob ? plotting::RunPurpose::Check
                                                                              : plotting::RunPurpose::Plot;
    request.setup.resumes = resumes_;
    // /changed narrows one run of a job that plots every drawing; a job that says "changed" stays so.
    request.setup.onlyChanged = request.setup.onlyChanged || commandLine_.onlyChanged;
    // The command line's /sessions wins over the job's, which wins over the settings'.
    request.sessions = commandLine_.sessions ? *commandLine_.sessions : job.sessions ? *job.sessions : host_.storedSessions();
    request.deadline = deadline_;
    request.deadlineText = deadlineText_;
    request.names = runNames_;
    request.kept = keptFiles();
    request.jobFile = commandLine_.job;
    request.jobHadFolder = jobHadFolder_;
    request.part = commandLine_.part;
    request.partBase = jobFolder_;
    if (connectsLate()) request.setup.firstOpen = std::make_shared<plotting::FirstOpenCheck>(job, true);
    return request;
}

void CommandLineRun::checkThenRun() {
    // Everything that can be known before the first drawing of the job opens is checked now, in this order:
    // what needs no CAD application, then the template's page setup and the device's papers, read through a
    // blank drawing of Quillon's own. A check names a paper that does not take on each sheet it concerns.
    const bool paper = commandLine_.mode != CommandLine::Mode::CheckJob;
    // The job's own choices, as its run will take them (a resume's job is made from its report).
    const plotting::PlotSetup setup = jobToRun_ ? jobRunRequest().setup : host_.chosenSetup();
    const bool late = connectsLate();
    host_.postCad([this, setup, paper, late](autocad::CadSession& session) {
        std::optional<std::string> refusal;
        if (const auto early = plotting::refusalBeforeCad(setup, session.files())) refusal = early->text;
        if (!refusal && !late) {
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

void CommandLineRun::resumeInWindow(const std::string& report) { readResume(report, true); }

void CommandLineRun::readResume(const std::string& report, bool attended) {
    // A resume is a listing request too: a folder browsed to or a job opened meanwhile wins over it.
    const std::uint64_t request = host_.askListing();
    // The report is read on the CAD thread, as every file is: the window never waits on a share.
    host_.postCad([this, report, attended, request](autocad::CadSession& session) {
        std::optional<plotting::ResumePlan> plan;
        std::string problem;
        // What a write of it killed half-way left beside it goes; the report itself is what is read.
        plotting::removeLeftoverWrite(base::pathOfUtf8(report));
        auto exists = [&session](const std::string& file) { return session.files().fileExists(file); };
        try {
            plan = plotting::resumePlan(plotting::readReportFile(base::pathOfUtf8(report), host_.system().codePage()),
                                        report, exists);
        } catch (const std::exception& error) {
            problem = report + ", " + error.what();
        }
        session.mailbox()->post([this, report, attended, plan, problem, request] {
            // Unattended, no one asks for anything else: only the window's resume can be overtaken.
            if (attended && !host_.latestListing(request)) return;
            auto say = [&](const std::string& text) {
                if (attended) host_.notify(ResumeTitle, text);
                else host_.system().consoleLine("Quillon: " + text);
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

}  // namespace quillon::app
