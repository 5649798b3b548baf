#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/win/ConsoleOutput.h"
#include "app/win/ControlIds.h"
#include "app/win/MainWindow.h"
#include "app/win/RunCoordinator.h"
#include "plotting/OutcomeWords.h"
#include "plotting/ReportReader.h"
#include "plotting/RunCombine.h"
#include "plotting/win/WinPdfFileAccess.h"
#include "win/SystemCodePage.h"
#include "win/Utf.h"

namespace quillon::app {

namespace {

std::string lastName(std::string path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string withoutExtension(const std::string& name) {
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The rows of the report a resume takes up; none when it cannot be read now (it was read at the start).
std::vector<plotting::ReportRow> resumedRows(const std::string& report) {
    try {
        // Decoded as the resume's plan decoded it: a report a spreadsheet saved is in the system's code page.
        std::vector<plotting::ReportRow> rows;
        for (auto& record : plotting::readReportFile(std::filesystem::path(win::toWide(report)), win::systemAnsiCodePage()))
            rows.push_back(std::move(record.row));
        return rows;
    } catch (const std::exception&) {
        return {};  // the resumed sheets alone are combined then; their rows say which sheets there are
    }
}

}  // namespace

plotting::CombineNaming RunCoordinator::combineNaming(const plotting::PlotSetup& setup) const {
    plotting::CombineNaming naming;
    naming.date = setup.files.runDate;
    naming.part = reports_.part();
    std::string folder = host_.listedFolder();
    naming.folderName = lastName(folder);
    naming.jobName = "Quillon";
    if (const std::string file = host_.unattendedJobFile(); !file.empty()) {
        naming.jobName = withoutExtension(lastName(file));
        // A list of drawings has no folder of its own: its job file's stands for it.
        if (!host_.jobHadFolder()) {
            folder = file.substr(0, file.find_last_of("\\/") == std::string::npos ? 0 : file.find_last_of("\\/"));
            naming.folderName = naming.jobName;
        }
    }
    naming.runFolder = setup.files.folder.empty() ? folder : setup.files.folder;
    return naming;
}

plotting::RunCombineInput RunCoordinator::combineInput(ActiveRun& run) const {
    plotting::RunCombineInput input;
    input.choice = run.setup.combine;
    {
        std::lock_guard<std::mutex> hold(run.rows->mutex);
        input.rows = run.rows->rows;
    }
    input.naming = combineNaming(run.setup);
    input.choices.device = run.setup.printer;
    input.choices.paper = run.setup.paper;
    input.choices.plotStyleTable = run.setup.ctb;
    input.choices.copies = run.setup.copies > 1 ? run.setup.copies : 1;
    input.choices.layouts = run.setup.layouts;
    input.choices.plotFolder = run.setup.files.folder;
    input.choices.plotFileName = run.setup.files.pattern;
    input.choices.plotFileExtension = run.setup.files.extension;
    input.choices.resumes = run.setup.resumes;
    input.choices.combine = run.setup.combine;
    input.choices.part = reports_.part();
    input.choices.started = RunReportKeeper::isoLocalTime(std::chrono::system_clock::now());
    return input;
}

bool RunCoordinator::startCombining(std::optional<plotting::PlotRun::Ending> ending,
                                    const plotting::PlotRun::Tally& tally) {
    ActiveRun& run = *run_;
    using Ending = plotting::PlotRun::Ending;
    if (!run.rows || run.setup.combine.mode == plotting::CombineMode::None || ending == Ending::Refused) return false;
    plotting::RunCombineInput input = combineInput(run);
    run.combining = true;
    if (combiner_.joinable()) combiner_.join();
    auto mailbox = mailbox_;
    // What the run said at its end stays the last line; the combining is said above it.
    const std::wstring shown = host_.window().text(ids::Status);
    const auto lineEnd = shown.rfind(L"\r\n");
    const std::string summary = win::toUtf8(lineEnd == std::wstring::npos ? shown : shown.substr(lineEnd + 2));
    const std::string resumes = run.setup.resumes;
    combiner_ = std::thread([this, mailbox, input, resumes, stop = run.stop, generation = run.generation,
                             report = reports_.current(), ending, tally = plotting::PlotRun::Tally(tally), summary]() mutable {
        plotting::RunCombineOutput output;
        try {
            if (!resumes.empty()) input.resumed = resumedRows(resumes);
            input.recordMoves = [report](const std::vector<std::pair<std::string, std::string>>& moves) {
                return report && !report->renamePlotFiles(moves);
            };
            plotting::WinPdfFileAccess files;
            const auto started = std::chrono::steady_clock::now();
            output = plotting::combineRun(input, files, [stop] { return stop->load(); },
                                          [mailbox, this, summary](const std::string& text) {
                                              mailbox->post([this, text, summary] { host_.setStatus(text + "\r\n" + summary); });
                                          });
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            for (auto& row : output.rows) {
                row.seconds = seconds;
                if (report) report->add(row);
            }
        } catch (const std::exception& error) {
            // The sheets are all there; only the combined file is not: the run says so and ends as it would.
            output.withWarnings += 1;
            output.rows.clear();
            plotting::ReportRow row = input.choices;
            row.drawing = input.naming.runFolder;
            row.outcome = plotting::outcome_word::NotCombined;
            row.reason = std::string("the sheets could not be combined: ") + error.what();
            output.rows.push_back(row);
        }
        tally.combineProblems += output.withWarnings;
        if (output.stopped && ending == plotting::PlotRun::Ending::Finished) ending = plotting::PlotRun::Ending::Stopped;
        mailbox->post([this, generation, ending, tally, summary, rows = output.rows] {
            combiningEnded(generation, ending, tally, summary, rows);
        });
    });
    return true;
}

void RunCoordinator::combiningEnded(std::uint64_t generation, std::optional<plotting::PlotRun::Ending> ending,
                                    const plotting::PlotRun::Tally& tally, const std::string& summary,
                                    const std::vector<plotting::ReportRow>& rows) {
    if (!run_ || run_->generation != generation) return;
    std::string last;
    for (const auto& row : rows) {
        last = row.plotFile + ": " + row.outcome + ", " + row.reason;
        if (host_.unattended()) ConsoleOutput::writeLine("Quillon: combined file " + last);
    }
    const std::string count = rows.size() > 1 ? std::to_string(rows.size()) + " combined files, the last " : "";
    host_.setStatus(last.empty() ? summary : count + last + "\r\n" + summary);
    finishRun(std::move(run_), ending, tally);
}

}  // namespace quillon::app
