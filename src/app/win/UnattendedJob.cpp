#include "app/win/UnattendedJob.h"

#include <windows.h>

#include <chrono>
#include <filesystem>

#include "app/RunExit.h"
#include "app/win/ConsoleOutput.h"
#include "app/win/ControlIds.h"
#include "app/win/MainController.h"
#include "plotting/JobCheck.h"
#include "plotting/JobPart.h"
#include "win/Utf.h"

namespace quillon::app {

namespace fs = std::filesystem;

void UnattendedJob::tell(const std::string& title, const std::string& text) {
    if (!unattended_) {
        host_.showInformation(title, text);
        return;
    }
    // No one is there to press OK: the console and Status say it instead.
    ConsoleOutput::writeLine("Quillon: " + title + ": " + text);
    host_.setStatus(text);
}

void UnattendedJob::cadUnavailable(const std::string& why) {
    // This can come before the job is read: /run alone decides that no box is shown.
    if (commandLine_.mode != CommandLine::Mode::RunJob) return;
    unattended_ = true;
    ConsoleOutput::attach();
    exitCode_ = static_cast<int>(RunExitCode::CadUnavailable);
    ConsoleOutput::writeLine("Quillon: " + std::string(autocad::connection_text::FailureTitle) + ": " + why);
    ConsoleOutput::writeLine("Quillon: exit code " + std::to_string(exitCode_));
}

void UnattendedJob::startCommandLineJob() {
    if (commandLineStarted_ || commandLine_.mode == CommandLine::Mode::Window ||
        commandLine_.mode == CommandLine::Mode::Usage)
        return;
    commandLineStarted_ = true;
    const bool run = commandLine_.mode == CommandLine::Mode::RunJob;
    unattended_ = run;
    if (!run) {
        if (const auto problem = host_.jobs().loadJob(win::toWide(commandLine_.job)))
            host_.showInformation(PlotJobCommands::Title, *problem);
        return;
    }
    ConsoleOutput::attach();
    if (commandLine_.part) host_.runs().reports().setPart(commandLine_.part->text());
    plotting::PlotJobSpec job;
    if (const auto problem = host_.jobs().readJob(win::toWide(commandLine_.job), job))
        return failure(RunExitCode::BadJobOrArguments, *problem);
    // What would make the run's word worthless is checked before anything is opened: a report
    // that cannot be written, a folder that is not there. On the CAD thread, as every look at
    // the file system.
    host_.runs().postCad([this, job, report = commandLine_.report](autocad::CadSession& session) {
        std::optional<std::string> problem;
        if (report)
            if (const auto why = RunReportKeeper::checkCopyTarget(*report))
                problem = "The run report cannot be written to " + *report + ": " + *why;
        if (!problem && job.folder && !session.files().list(*job.folder))
            problem = "The plot job's folder " + *job.folder + " does not exist or cannot be read.";
        session.mailbox()->post([this, job, problem] {
            if (problem) return failure(RunExitCode::BadJobOrArguments, *problem);
            runWhenListed_ = true;
            if (const auto refused = host_.jobs().applyJob(job)) {
                runWhenListed_ = false;
                failure(RunExitCode::BadJobOrArguments, *refused);
            }
        });
    });
}

void UnattendedJob::drawingsListed() {
    if (!std::exchange(runWhenListed_, false)) return;
    DrawingListView& list = host_.search().listView();
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < list.size(); ++i) paths.push_back(list.fullPath(i));
    if (paths.empty())
        return failure(RunExitCode::SomeNotPlotted, "No drawing found in " + host_.search().currentFolder());
    if (commandLine_.part && !std::exchange(partListed_, true)) {
        auto mine = plotting::drawingsOfPart(paths, *commandLine_.part);
        ConsoleOutput::writeLine("Quillon: " + commandLine_.part->text() + ": " + std::to_string(mine.size()) +
                                 " of the job's " + std::to_string(paths.size()) + " drawings");
        if (mine.empty()) return runEnded(plotting::PlotRun::Ending::Finished, {});
        runWhenListed_ = true;
        return host_.jobs().listDrawings(mine);
    }
    runDrawings_ = static_cast<int>(paths.size());
    // The run takes the drawings up from the last listed: its first drawing serves to learn the papers.
    checkPaperThenRun(std::vector<std::string>(paths.rbegin(), paths.rend()));
}

void UnattendedJob::checkPaperThenRun(std::vector<std::string> runOrder) {
    // A paper the job's device does not offer is refused before any sheet is plotted.
    const plotting::PlotSetup setup = host_.boxes().setup();
    host_.runs().postCad([this, runOrder, device = setup.printer, paper = setup.paper](autocad::CadSession& session) {
        std::optional<std::vector<std::string>> papers;
        try {
            papers = plotting::learnDevicePapers(session.connection(), runOrder, device);
        } catch (const automation::AutomationError& error) {
            // The run meets the same trouble and reports it drawing by drawing.
            session.connection().noteFailure(error);
        }
        session.mailbox()->post([this, papers, device, paper] {
            if (papers)
                if (const auto refusal = plotting::paperRefusal(device, paper, *papers))
                    return failure(RunExitCode::BadJobOrArguments, *refusal);
            host_.runs().startRun(plotting::RunKind::AllListed);
        });
    });
}

bool UnattendedJob::copyReport() {
    if (!commandLine_.report) return true;
    const auto problem = host_.runs().reports().copyLastTo(*commandLine_.report);
    if (problem)
        ConsoleOutput::writeLine("Quillon: the report could not be copied to " + *commandLine_.report + ": " +
                                 *problem);
    return !problem;
}

void UnattendedJob::failure(RunExitCode code, const std::string& why) {
    exitCode_ = static_cast<int>(code);
    ConsoleOutput::writeLine("Quillon: " + why);
    host_.setStatus("\r\n" + why);
    // The report says it too, for whoever reads it in the morning.
    RunReportKeeper& reports = host_.runs().reports();
    if (!reports.begin({})) {
        plotting::ReportRow row;
        row.drawing = commandLine_.job;
        row.outcome = "failed";
        row.reason = why;
        row.started = RunReportKeeper::isoLocalTime(std::chrono::system_clock::now());
        reports.addRow(row);
        reports.end();
        const fs::path report = reports.lastReport();
        if (!report.empty()) ConsoleOutput::writeLine("Quillon: run report " + win::toUtf8(report.wstring()));
        copyReport();
    }
    ConsoleOutput::writeLine("Quillon: exit code " + std::to_string(exitCode_));
    if (commandLine_.closeWhenDone) host_.exitSequence().exitCommand();
}

void UnattendedJob::runEnded(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally) {
    if (!unattended_) return;
    // A start that failed already set its own code.
    if (exitCode_ == 0) exitCode_ = static_cast<int>(runExitCode(ending, tally, runDrawings_));
    const std::wstring status = host_.window().text(ids::Status);
    const auto lastLine = status.rfind(L"\r\n");
    ConsoleOutput::writeLine("Quillon: " +
                             win::toUtf8(lastLine == std::wstring::npos ? status : status.substr(lastLine + 2)));
    const fs::path report = host_.runs().reports().lastReport();
    for (const auto& line : runClosingLines(tally, runDrawings_, win::toUtf8(report.wstring())))
        ConsoleOutput::writeLine("Quillon: " + line);
    // Whoever reads only the copy in the morning finds none: the run was not what was asked.
    if (!copyReport() && exitCode_ == 0) exitCode_ = static_cast<int>(RunExitCode::SomeNotPlotted);
    ConsoleOutput::writeLine("Quillon: exit code " + std::to_string(exitCode_));
    if (commandLine_.closeWhenDone) host_.exitSequence().exitCommand();
}

}  // namespace quillon::app
