#include <chrono>

#include "app/CommandLineRun.h"
#include "app/RunExit.h"
#include "base/Paths.h"
#include "plotting/StatusLines.h"

// How the command line's job ends: its outcome on the console, in the report and in the exit code.
namespace quillon::app {

std::vector<std::string> CommandLineRun::keptFiles() const {
    std::vector<std::string> kept;
    if (unattended_ && !commandLine_.job.empty()) kept.push_back(commandLine_.job);
    if (!resumes_.empty()) kept.push_back(resumes_);
    if (unattended_ && commandLine_.report) kept.push_back(*commandLine_.report);
    return kept;
}

void CommandLineRun::nothingLeft(const std::string& resumed, const std::vector<plotting::ReportRow>& carried) {
    stage_ = Stage::Told;
    // Even a run with nothing to plot leaves its report, for whoever reads only the copy in the morning.
    run::RunReports& reports = host_.reports();
    plotting::PlotSetup none;
    none.resumes = resumed;
    if (commandLine_.mode == CommandLine::Mode::CheckJob) none.purpose = plotting::RunPurpose::Check;
    reports.begin(none);
    // The set as the resumed report has it: a chain of resumes always describes the whole of it.
    for (const auto& row : carried) reports.addRow(row);
    reports.end();
    tellWritten();
    if (!reportWhole()) exitCode_ = static_cast<int>(RunExitCode::SomeNotPlotted);
    host_.system().consoleLine("Quillon: exit code " + std::to_string(exitCode_));
    if (commandLine_.closeWhenDone) host_.exitCommand();
}

void CommandLineRun::tellWritten() {
    // Each file of the record on its own: where the kept report went, and the copy, or why not.
    const auto written = host_.reports().written();
    for (std::size_t i = 0; i < written.size(); ++i) {
        const bool check = commandLine_.mode == CommandLine::Mode::CheckJob;
        const std::string what = i == 0 && !host_.reports().runReport().empty() ? (check ? "check report " : "run report ")
                                                                                : (check ? "copy of the check report " : "copy of the run report ");
        const std::string file = base::utf8Of(written[i].first);
        host_.system().consoleLine("Quillon: " + what + file + (written[i].second ? " (not whole: " + *written[i].second + ")" : ""));
    }
}

bool CommandLineRun::reportWhole() {
    const auto problem = host_.reports().problem();
    if (problem) host_.system().consoleLine("Quillon: the run's record is not whole on disk: " + *problem);
    return !problem;
}

void CommandLineRun::failure(RunExitCode code, const std::string& why, bool close) {
    stage_ = Stage::Told;
    exitCode_ = static_cast<int>(code);
    host_.system().consoleLine("Quillon: " + why);
    host_.setStatus("\r\n" + why);
    // The report says it too, for whoever reads it in the morning (and its copy, unless that is what was refused).
    run::RunReports& reports = host_.reports();
    if (copyRefused_ || reportTargetProblem()) reports.setCopy(std::nullopt);
    else reports.setCopy(commandLine_.report);
    reports.begin({});
    plotting::ReportRow row;
    row.drawing = commandLine_.job;
    row.outcome = "failed";
    row.reason = why;
    row.started = host_.reports().localTime(std::chrono::system_clock::now());
    reports.addRow(row);
    reports.end();
    tellWritten();
    reportWhole();
    host_.system().consoleLine("Quillon: exit code " + std::to_string(exitCode_));
    if (close && commandLine_.closeWhenDone) host_.exitCommand();
}

void CommandLineRun::runEnded(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally) {
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
    host_.system().consoleLine("Quillon: " + (status.closingLine().empty() ? status.lastLine() : status.closingLine()));
    for (const auto& line : runClosingLines(tally, runDrawings_, ""))
        host_.system().consoleLine("Quillon: " + line);
    tellWritten();
    // A record not whole on disk (a row lost, no report, no copy): the morning cannot trust it, nor a 0.
    if (!reportWhole() && exitCode_ == 0) exitCode_ = static_cast<int>(RunExitCode::SomeNotPlotted);
    host_.system().consoleLine("Quillon: exit code " + std::to_string(exitCode_));
    if (commandLine_.closeWhenDone) host_.exitCommand();
}
}  // namespace quillon::app
