#include "run/win/CombineCommand.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "app/ReportTarget.h"
#include "run/win/ConsoleOutput.h"
#include "run/win/RunReportKeeper.h"
#include "plotting/pdf/win/WinPdfFileAccess.h"
#include "plotting/record/OutcomeWords.h"
#include "plotting/record/PartsCombine.h"
#include "win/ExtendedPath.h"
#include "win/SystemCodePage.h"
#include "win/Utf.h"

namespace quillon::app {

namespace {

void say(const std::string& text) { ConsoleOutput::writeLine("Quillon: " + text); }

// Each file the record went to, or why not.
void tellWritten(const run::RunReportKeeper& reports) {
    const auto written = reports.written();
    for (std::size_t i = 0; i < written.size(); ++i)
        say(std::string(i == 0 && !reports.runReport().empty() ? "run report " : "copy of the run report ") +
            win::toUtf8(written[i].first.wstring()) + (written[i].second ? " (not whole: " + *written[i].second + ")" : ""));
}

int refuse(run::RunReportKeeper& reports, const CommandLine& line, const std::string& why) {
    say(why);
    reports.begin({});
    plotting::ReportRow row;
    row.drawing = line.reports.empty() ? std::string() : line.reports.front();
    row.outcome = plotting::outcome_word::Failed;
    row.reason = why;
    row.started = run::RunReportKeeper::isoLocalTime(std::chrono::system_clock::now());
    reports.addRow(row);
    reports.end();
    tellWritten(reports);
    const int code = static_cast<int>(RunExitCode::BadJobOrArguments);
    say("exit code " + std::to_string(code));
    return code;
}

}  // namespace

int runCombineCommand(const CommandLine& line) {
    ConsoleOutput::attach();
    run::RunReportKeeper reports;
    CommandLine full = line;
    if (full.report) full.report = win::toUtf8(win::extendedLengthPath(*full.report));
    for (auto& report : full.reports) report = win::toUtf8(win::extendedLengthPath(report));
    if (const auto refused = reportTargetRefusal(full)) return refuse(reports, line, *refused);
    if (line.report) {
        if (const auto why = run::RunReportKeeper::copyTargetProblem(*line.report))
            return refuse(reports, line, "The run report cannot be written to " + *line.report + ": " + *why);
        reports.setCopy(line.report);
    }
    plotting::PartsCombine plan;
    try {
        std::vector<plotting::PartReport> given;
        for (const std::string& report : line.reports) {
            try {
                given.push_back({report, plotting::readReportFile(std::filesystem::path(win::toWide(report)),
                                                                  win::systemAnsiCodePage())});
            } catch (const std::exception& error) {
                throw std::runtime_error(report + ", " + error.what());
            }
        }
        plan = plotting::planPartsCombine(given);
    } catch (const std::exception& error) {
        return refuse(reports, line, error.what());
    }
    for (const std::string& part : plan.missingParts) say(part + ": no report was given, its drawings are missing");
    for (const std::string& drawing : plan.unnamed) say(drawing + ": no report names its combined file");

    reports.begin({});
    plotting::RunCombineOutput output;
    if (const auto report = reports.current()) {
        plotting::WinPdfFileAccess files;
        output = plotting::combineParts(plan, *report, files, [](const std::string& text) { say(text); });
        for (const auto& [subject, row] : output.rows)
            say("combined file " + row.plotFile + ": " + row.outcome + ", " + row.reason);
    }
    reports.end();
    tellWritten(reports);
    const bool whole = !reports.problem() && output.withWarnings == 0 && plan.missingParts.empty() && plan.unnamed.empty();
    if (reports.problem()) say("the record is not whole on disk: " + *reports.problem());
    const int code = static_cast<int>(whole ? RunExitCode::AllPlotted : RunExitCode::SomeNotPlotted);
    say("exit code " + std::to_string(code));
    return code;
}

}  // namespace quillon::app
