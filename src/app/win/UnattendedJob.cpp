#include "app/win/UnattendedJob.h"

#include <windows.h>

#include <chrono>
#include <filesystem>

#include "app/win/ConsoleOutput.h"
#include "app/win/ControlIds.h"
#include "app/win/MainController.h"
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

void UnattendedJob::cadUnavailable() {
    if (unattended_) exitCode_ = static_cast<int>(RunExitCode::CadUnavailable);
}

void UnattendedJob::drawingsListed() {
    if (std::exchange(runWhenListed_, false)) host_.runs().startRun(plotting::RunKind::AllListed);
}

void UnattendedJob::startCommandLineJob() {
    if (commandLineStarted_ || commandLine_.mode == CommandLine::Mode::Window ||
        commandLine_.mode == CommandLine::Mode::Usage)
        return;
    commandLineStarted_ = true;
    const bool run = commandLine_.mode == CommandLine::Mode::RunJob;
    unattended_ = run;
    if (run) ConsoleOutput::attach();
    runWhenListed_ = run;
    if (const auto problem = host_.jobs().loadJob(win::toWide(commandLine_.job))) {
        runWhenListed_ = false;
        if (run) failure(RunExitCode::BadJobOrArguments, *problem);
        else host_.showInformation(PlotJobCommands::Title, *problem);
    }
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
        if (commandLine_.report)
            CopyFileW(reports.lastReport().wstring().c_str(), win::toWide(*commandLine_.report).c_str(), FALSE);
    }
    if (commandLine_.closeWhenDone) host_.exitSequence().exitCommand();
}

void UnattendedJob::runEnded(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally) {
    if (!unattended_) return;
    using Ending = plotting::PlotRun::Ending;
    RunExitCode code = RunExitCode::AllPlotted;
    if (!ending || *ending == Ending::ApplicationLost) code = RunExitCode::CadUnavailable;
    else if (*ending == Ending::Refused) code = RunExitCode::BadJobOrArguments;
    else if (*ending == Ending::Stopped) code = RunExitCode::Stopped;
    else if (tally.failed > 0 || tally.skipped > 0) code = RunExitCode::SomeNotPlotted;
    // A start that failed already set its own code.
    if (exitCode_ == 0) exitCode_ = static_cast<int>(code);
    const std::wstring status = host_.window().text(ids::Status);
    const auto lastLine = status.rfind(L"\r\n");
    ConsoleOutput::writeLine("Quillon: " +
                             win::toUtf8(lastLine == std::wstring::npos ? status : status.substr(lastLine + 2)));
    const fs::path report = host_.runs().reports().lastReport();
    if (!report.empty()) ConsoleOutput::writeLine("Quillon: run report " + win::toUtf8(report.wstring()));
    if (commandLine_.report && !report.empty() &&
        !CopyFileW(report.wstring().c_str(), win::toWide(*commandLine_.report).c_str(), FALSE))
        ConsoleOutput::writeLine("Quillon: the report could not be copied to " + *commandLine_.report);
    ConsoleOutput::writeLine("Quillon: exit code " + std::to_string(exitCode_));
    if (commandLine_.closeWhenDone) host_.exitSequence().exitCommand();
}

}  // namespace quillon::app
