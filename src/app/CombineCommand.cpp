#include "app/CombineCommand.h"

#include <algorithm>
#include <memory>
#include <chrono>
#include <optional>
#include <functional>
#include <filesystem>
#include <stdexcept>

#include "app/ReportTarget.h"
#include "app/RunExit.h"
#include "base/Paths.h"
#include "plotting/record/OutcomeWords.h"
#include "plotting/record/PartsCombine.h"
#include "plotting/register/SetRegister.h"
#include "plotting/titleblocks/TitleValuesText.h"

namespace quillon::app {

namespace {

// Each file the record went to, or why not.
void tellWritten(const run::RunReports& reports, const std::function<void(const std::string&)>& say) {
    const auto written = reports.written();
    for (std::size_t i = 0; i < written.size(); ++i)
        say(std::string(i == 0 && !reports.runReport().empty() ? "run report " : "copy of the run report ") +
            base::utf8Of(written[i].first) + (written[i].second ? " (not whole: " + *written[i].second + ")" : ""));
}

int refuse(run::RunReports& reports, const CommandLine& line, const std::string& why,
           const std::function<void(const std::string&)>& say) {
    say(why);
    reports.begin({});
    plotting::ReportRow row;
    row.drawing = line.reports.empty() ? std::string() : line.reports.front();
    row.outcome = plotting::outcome_word::Failed;
    row.reason = why;
    row.started = reports.localTime(std::chrono::system_clock::now());
    reports.addRow(row);
    reports.end();
    tellWritten(reports, say);
    const int code = static_cast<int>(RunExitCode::BadJobOrArguments);
    say("exit code " + std::to_string(code));
    return code;
}

// The folder every drawing of the set lies in (or below): what a job's {folder} names.
std::string sharedFolder(const std::vector<plotting::ReportRow>& rows) {
    std::optional<std::string> shared;
    for (const auto& row : rows) {
        const plotting::OutcomeWord* word = plotting::findOutcomeWord(row.outcome);
        const auto cut = row.drawing.find_last_of("\\/");
        if ((word && word->meaning == plotting::OutcomeWord::Meaning::CombinedFile) || cut == std::string::npos) continue;
        const std::string folder = row.drawing.substr(0, cut + 1);
        if (!shared) {
            shared = folder;
            continue;
        }
        // The longest run of whole folders both begin with.
        std::size_t end = 0;
        for (std::size_t i = 0; i < shared->size() && i < folder.size(); ++i) {
            if (!plotting::equalsIgnoreCase(shared->substr(i, 1), folder.substr(i, 1))) break;
            if ((*shared)[i] == '\\' || (*shared)[i] == '/') end = i + 1;
        }
        shared = shared->substr(0, end);
    }
    return shared.value_or("");
}

// The register of the whole set from the parts' reports, when their run asked for one: each sheet as the part
// that plotted it recorded it.
std::unique_ptr<plotting::SetRegister> setRegister(const plotting::PartsCombine& plan) {
    const plotting::ReportRow& choices = plan.choices;
    plotting::PlotSetup setup;
    setup.purpose = plotting::RunPurpose::Plot;
    setup.combine = plan.choice;
    setup.registerName = choices.registerName;
    setup.registerColumns = plotting::registerColumnsFrom(choices.registerColumns);
    std::string folder = sharedFolder(plan.rows);
    plotting::CombineNaming naming;
    naming.runFolder = choices.plotFolder.empty() ? folder : choices.plotFolder;
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    naming.folderName = folder.substr(folder.find_last_of("\\/") + 1);
    naming.jobName = naming.folderName;
    naming.date = choices.nameDate;
    return std::make_unique<plotting::SetRegister>(setup, naming, plotting::systemRegisterFonts());
}

}  // namespace

int runCombineCommand(const CommandLine& line, CommandLineSystem& system, run::RunReports& reports,
                      plotting::PdfFileAccess& files) {
    system.attachConsole();
    const auto say = [&system](const std::string& text) { system.consoleLine("Quillon: " + text); };
    CommandLine full = line;
    if (full.report) full.report = system.fullPath(*full.report);
    for (auto& report : full.reports) report = system.fullPath(report);
    if (const auto refused = reportTargetRefusal(full)) return refuse(reports, line, *refused, say);
    if (line.report) {
        if (const auto why = reports.checkCopyTarget(*line.report))
            return refuse(reports, line, "The run report cannot be written to " + *line.report + ": " + *why, say);
        reports.setCopy(line.report);
    }
    plotting::PartsCombine plan;
    try {
        std::vector<plotting::PartReport> given;
        for (const std::string& report : line.reports) {
            try {
                given.push_back({report, plotting::readReportFile(base::pathOfUtf8(report), system.codePage())});
            } catch (const std::exception& error) {
                throw std::runtime_error(report + ", " + error.what());
            }
        }
        plan = plotting::planPartsCombine(given);
    } catch (const std::exception& error) {
        return refuse(reports, line, error.what(), say);
    }
    for (const std::string& part : plan.missingParts) say(part + ": no report was given, its drawings are missing");
    for (const std::string& drawing : plan.unnamed) say(drawing + ": no report names its combined file");

    reports.begin({});
    plotting::RunCombineOutput output;
    if (const auto report = reports.current()) {
        const auto made = setRegister(plan);
        // The register's pages went into the set, or nowhere: their own file goes however the combine ends.
        struct FrontPages {
            plotting::SetRegister& made;
            plotting::PdfFileAccess& files;
            ~FrontPages() { made.removeFrontPages(files); }
        } pages{*made, files};
        const plotting::CombineFront front = made->frontPages(plan.rows, files);
        output = plotting::combineParts(plan, *report, files, say, front,
                                        [&made](const auto& places) { made->notePlaces(places); });
        for (const auto& [subject, row] : output.rows)
            say("combined file " + row.plotFile + ": " + row.outcome + ", " + row.reason);
        if (made->wanted()) {
            const bool written = made->writeCsv(report->rows());
            say("register " + made->file() + (written ? "" : " not written") +
                (made->problem().empty() ? "" : ": " + made->problem()));
        }
    }
    reports.end();
    tellWritten(reports, say);
    const bool whole = !reports.problem() && output.withWarnings == 0 && plan.missingParts.empty() && plan.unnamed.empty();
    if (reports.problem()) say("the record is not whole on disk: " + *reports.problem());
    const int code = static_cast<int>(whole ? RunExitCode::AllPlotted : RunExitCode::SomeNotPlotted);
    say("exit code " + std::to_string(code));
    return code;
}

}  // namespace quillon::app
