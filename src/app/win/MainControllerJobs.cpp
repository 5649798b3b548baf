// The main window's plot jobs, command line and run report: the parts of
// MainController that let a run happen without anyone at the window.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/win/ConsoleOutput.h"
#include "app/win/ControlIds.h"
#include "app/win/MainController.h"
#include "autocad/CadSession.h"
#include "base/Paths.h"
#include "discovery/DrawingTexts.h"
#include "win/Messages.h"
#include "win/Utf.h"

namespace quillon::app {

namespace fs = std::filesystem;

namespace {

constexpr const wchar_t* kJobFilter = L"Quillon plot jobs (*.qjob)\0*.qjob\0All files (*.*)\0*.*\0";
constexpr const char* kJobTitle = "Plot Job";

std::vector<std::string> itemsOf(const WinComboBox& box) {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < box.itemCount(); ++i) items.push_back(box.itemText(i));
    return items;
}

std::optional<std::wstring> askForJobFile(HWND owner, bool save) {
    std::wstring file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kJobFilter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = L"qjob";
    dialog.Flags = OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return file;
}

}  // namespace

void MainController::tell(const std::string& title, const std::string& text) {
    if (!unattended_) {
        showInformation(title, text);
        return;
    }
    // No one is there to press OK: the console and Status say it instead.
    ConsoleOutput::writeLine("Quillon: " + title + ": " + text);
    setStatus(text);
}

plotting::PlotJobSpec MainController::currentJob() const {
    plotting::PlotJobSpec job;
    const auto selected = listView_->selectedRows();
    if (!selected.empty()) {
        for (std::size_t row : selected) job.drawings.push_back(listView_->fullPath(row));
    } else {
        job.folder = currentFolder_;
        job.subfolders = SendMessageW(window_.control(ids::Check1), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    job.layouts = SendMessageW(window_.control(ids::ChkLayouts), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
    job.device = choices_.printer();
    job.paper = choices_.paper();
    job.plotStyleTable = choices_.ctb();
    job.copies = numOfCopies_ > 1 ? numOfCopies_ : 1;
    if (runSessions() > 1) job.sessions = runSessions();
    putJobPlotFiles(job);
    return job;
}

void MainController::saveJobCommand() {
    if (runActive_) return;
    const auto job = currentJob();
    if (!job.folder && job.drawings.empty()) {
        showInformation(kJobTitle, "List the drawings to plot first.");
        return;
    }
    const auto file = askForJobFile(window_.hwnd(), true);
    if (!file) return;
    std::ofstream out(fs::path(*file), std::ios::binary | std::ios::trunc);
    out << plotting::writePlotJob(job);
    out.close();
    if (!out) showInformation(kJobTitle, "The plot job could not be written to " + win::toUtf8(*file) + ".");
}

void MainController::openJobCommand() {
    if (runActive_) return;
    if (const auto file = askForJobFile(window_.hwnd(), false))
        if (const auto problem = loadJob(*file)) showInformation(kJobTitle, *problem);
}

void MainController::openLastReport() {
    const fs::path report = reports_.lastReport();
    if (report.empty()) {
        showInformation("Run Report", "No run has written a report yet.");
        return;
    }
    // The program the user has for CSV files, usually a spreadsheet.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(window_.hwnd(), L"open", report.wstring().c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        showInformation("Run Report", "No program opens the report " + win::toUtf8(report.wstring()) + ".");
}

std::optional<std::string> MainController::loadJob(const std::wstring& file) {
    std::ifstream in(fs::path(file), std::ios::binary);
    if (!in) return "The plot job " + win::toUtf8(file) + " cannot be read.";
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        return applyJob(plotting::readPlotJob(text));
    } catch (const plotting::PlotJobError& error) {
        return win::toUtf8(file) + ": " + error.what();
    }
}

std::optional<std::string> MainController::applyJob(const plotting::PlotJobSpec& job) {
    if (runActive_) return std::string("A run is in progress: wait for it to end before loading a plot job.");
    // Everything is checked before anything changes: a job is applied whole or not at all.
    if (const auto missing = plotting::missingFromLists(job, itemsOf(*printerBox_), itemsOf(*paperBox_),
                                                        itemsOf(*ctbBox_)))
        return "The plot job names the " + *missing + ", which AutoCAD does not offer here.";

    printerBox_->setText(job.device);
    paperBox_->setText(job.paper);
    ctbBox_->setText(job.plotStyleTable);
    window_.setText(ids::Text2, std::to_wstring(job.copies));
    // The command line's /sessions wins over the job's.
    if (job.sessions && !sessionsOverride_) {
        showSessions(*job.sessions);
        cadSessions_ = *job.sessions;
    }
    SendMessageW(window_.control(ids::ChkLayouts), BM_SETCHECK, job.layouts ? BST_CHECKED : BST_UNCHECKED, 0);
    takeJobPlotFiles(job);
    if (job.folder) {
        std::string path = *job.folder;
        while (path.size() > 3 && path.back() == '\\') path.pop_back();
        currentFolder_ = path;
        SendMessageW(window_.control(ids::Check1), BM_SETCHECK, job.subfolders ? BST_CHECKED : BST_UNCHECKED, 0);
        searchAgain(SearchCause::CheckBoxClick);
    } else {
        listDrawings(job.drawings);
    }
    return std::nullopt;
}

void MainController::listDrawings(const std::vector<std::string>& paths) {
    search_->requestStop();
    listView_->clear();
    window_.preview().setDrawing({});
    setStatus("\r\nReading the plot job's drawings ...");
    // The file system is asked on the CAD thread: the window's thread never waits on it.
    postCad([this, paths](autocad::CadSession& session) {
        std::vector<std::pair<std::string, base::DirEntry>> found;
        for (const auto& path : paths) {
            const std::string folder = base::folderOf(path);
            const std::string name = path.substr(std::min(path.size(), base::addBackslash(folder).size()));
            base::DirEntry entry;
            entry.name = name;
            if (const auto listed = session.files().list(folder))
                for (const auto& candidate : *listed)
                    if (!candidate.isDirectory && plotting::equalsIgnoreCase(candidate.name, name)) entry = candidate;
            found.emplace_back(base::addBackslash(folder), entry);
        }
        session.mailbox()->post([this, found] {
            std::vector<discovery::DrawingRow> rows;
            for (const auto& [folder, entry] : found)
                rows.push_back({entry.name, folder, types_.describe(entry.name),
                                entry.lastWriteTime ? discovery::sizeText(entry.size, numbers_) : std::string(),
                                entry.lastWriteTime ? discovery::dateText(entry.lastWriteTime, dates_) : std::string()});
            listView_->add(std::move(rows));
            window_.enable(ids::Command2, listView_->size() > 0);
            setStatus(discovery::search_text::foundStatus(listView_->size()));
            if (std::exchange(runWhenListed_, false)) startRun(plotting::RunKind::AllListed);
        });
    });
}

void MainController::startCommandLineJob() {
    if (commandLineStarted_ || commandLine_.mode == CommandLine::Mode::Window ||
        commandLine_.mode == CommandLine::Mode::Usage)
        return;
    commandLineStarted_ = true;
    const bool run = commandLine_.mode == CommandLine::Mode::RunJob;
    unattended_ = run;
    if (run) ConsoleOutput::attach();
    runWhenListed_ = run;
    if (const auto problem = loadJob(win::toWide(commandLine_.job))) {
        runWhenListed_ = false;
        if (run) unattendedFailure(RunExitCode::BadJobOrArguments, *problem);
        else showInformation(kJobTitle, *problem);
    }
}

void MainController::unattendedFailure(RunExitCode code, const std::string& why) {
    exitCode_ = static_cast<int>(code);
    ConsoleOutput::writeLine("Quillon: " + why);
    setStatus("\r\n" + why);
    // The report says it too, for whoever reads it in the morning.
    if (!reports_.begin({})) {
        plotting::ReportRow row;
        row.drawing = commandLine_.job;
        row.outcome = "failed";
        row.reason = why;
        row.started = RunReportKeeper::isoLocalTime(std::chrono::system_clock::now());
        reports_.addRow(row);
        reports_.end();
        if (commandLine_.report) CopyFileW(reports_.lastReport().wstring().c_str(), win::toWide(*commandLine_.report).c_str(), FALSE);
    }
    if (commandLine_.closeWhenDone) exitCommand();
}

void MainController::unattendedRunEnded(std::optional<plotting::PlotRun::Ending> ending,
                                        const plotting::PlotRun::Tally& tally) {
    using Ending = plotting::PlotRun::Ending;
    RunExitCode code = RunExitCode::AllPlotted;
    if (!ending || *ending == Ending::ApplicationLost) code = RunExitCode::CadUnavailable;
    else if (*ending == Ending::Refused) code = RunExitCode::BadJobOrArguments;
    else if (*ending == Ending::Stopped) code = RunExitCode::Stopped;
    else if (tally.failed > 0 || tally.skipped > 0) code = RunExitCode::SomeNotPlotted;
    // A start that failed already set its own code.
    if (exitCode_ == 0) exitCode_ = static_cast<int>(code);
    const std::wstring status = window_.text(ids::Status);
    const auto lastLine = status.rfind(L"\r\n");
    ConsoleOutput::writeLine("Quillon: " + win::toUtf8(lastLine == std::wstring::npos ? status : status.substr(lastLine + 2)));
    const fs::path report = reports_.lastReport();
    if (!report.empty()) ConsoleOutput::writeLine("Quillon: run report " + win::toUtf8(report.wstring()));
    if (commandLine_.report && !report.empty() &&
        !CopyFileW(report.wstring().c_str(), win::toWide(*commandLine_.report).c_str(), FALSE))
        ConsoleOutput::writeLine("Quillon: the report could not be copied to " + *commandLine_.report);
    ConsoleOutput::writeLine("Quillon: exit code " + std::to_string(exitCode_));
    if (commandLine_.closeWhenDone) exitCommand();
}

}  // namespace quillon::app
