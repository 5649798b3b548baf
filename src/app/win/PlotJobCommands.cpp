#include "app/win/PlotJobCommands.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "app/win/ControlIds.h"
#include "discovery/win/DrawingListView.h"
#include "app/win/MainWindow.h"
#include "base/Paths.h"
#include "win/Utf.h"
#include "win/WinCheckBox.h"

namespace quillon::app {

namespace fs = std::filesystem;

namespace {

constexpr const wchar_t* kJobFilter = L"Quillon plot jobs (*.qjob)\0*.qjob\0All files (*.*)\0*.*\0";
constexpr const wchar_t* kReportFilter = L"Run reports (*.csv)\0*.csv\0All files (*.*)\0*.*\0";

std::optional<std::wstring> askForFile(HWND owner, bool save, const wchar_t* filter, const wchar_t* extension,
                                       const std::wstring& initialFolder = {}) {
    std::wstring file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = extension;
    if (!initialFolder.empty()) dialog.lpstrInitialDir = initialFolder.c_str();
    dialog.Flags = OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return file;
}

std::optional<std::wstring> askForJobFile(HWND owner, bool save) { return askForFile(owner, save, kJobFilter, L"qjob"); }

}  // namespace

plotting::PlotJobSpec PlotJobCommands::currentJob() {
    MainWindow& window = host_.window();
    discovery::DrawingListView& listView = host_.listView();
    plotting::PlotJobSpec job;
    const auto selected = listView.selectedRows();
    if (!selected.empty()) {
        for (std::size_t row : selected) job.drawings.push_back(listView.fullPath(row));
    } else {
        job.folder = host_.listedFolder();
        job.subfolders = win::WinCheckBox(window.control(ids::SubfoldersBox)).ticked();
    }
    job.layouts = win::WinCheckBox(window.control(ids::ChkLayouts)).tick() != win::WinCheckBox::Tick::Clear;
    job.onlyChanged = win::WinCheckBox(window.control(ids::ChangedOnlyBox)).ticked();
    const plotting::PlotChoices& choices = choices_.boxes.choices();
    job.device = choices.device();
    job.paper = choices.paper();
    job.plotStyleTable = choices.plotStyleTable();
    job.copies = choices_.boxes.copies() > 1 ? choices_.boxes.copies() : 1;
    const int sessions = choices_.sessions.runSessions();
    if (sessions > 1) job.sessions = sessions;
    job.cadRestartEvery = host_.jobRestartEvery();
    choices_.plotFiles.putInto(job);
    choices_.sheets.putInto(job);
    return job;
}

void PlotJobCommands::saveJobCommand() {
    if (host_.runActive()) return;
    const auto job = currentJob();
    if (!job.folder && job.drawings.empty()) {
        host_.showInformation(Title, "List the drawings to plot first.");
        return;
    }
    const auto file = askForJobFile(host_.window().hwnd(), true);
    if (!file) return;
    std::ofstream out(fs::path(*file), std::ios::binary | std::ios::trunc);
    out << plotting::writePlotJob(job);
    out.close();
    if (!out) host_.showInformation(Title, "The plot job could not be written to " + win::toUtf8(*file) + ".");
}

void PlotJobCommands::openJobCommand() {
    if (host_.runActive()) return;
    if (const auto file = askForJobFile(host_.window().hwnd(), false))
        if (const auto problem = loadJob(*file)) host_.showInformation(Title, *problem);
}

void PlotJobCommands::openLastReport() {
    const fs::path report = host_.reports().lastReport();
    if (report.empty()) {
        host_.showInformation("Run Report", "No run has written a report yet.");
        return;
    }
    // The program the user has for CSV files, usually a spreadsheet.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(host_.window().hwnd(), L"open", report.wstring().c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        host_.showInformation("Run Report", "No program opens the report " + win::toUtf8(report.wstring()) + ".");
}

void PlotJobCommands::resumeRunCommand() {
    if (host_.runActive()) return;
    // The reports are kept in one folder; the dialog starts there.
    const auto file = askForFile(host_.window().hwnd(), false, kReportFilter, L"csv", run::RunReportKeeper::folder().wstring());
    if (file) host_.resumeInWindow(win::toUtf8(*file));
}

std::optional<std::string> PlotJobCommands::loadJob(const std::wstring& file) {
    plotting::PlotJobSpec job;
    if (auto problem = readJob(file, job)) return problem;
    return applyJob(job);
}

std::optional<std::string> PlotJobCommands::readJob(const std::wstring& file, plotting::PlotJobSpec& job) {
    std::ifstream in(fs::path(file), std::ios::binary);
    if (!in) return "The plot job " + win::toUtf8(file) + " cannot be read.";
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        job = plotting::readPlotJob(text);
    } catch (const plotting::PlotJobError& error) {
        return win::toUtf8(file) + ": " + error.what();
    }
    return std::nullopt;
}

std::optional<std::string> PlotJobCommands::applyJob(const plotting::PlotJobSpec& asWritten, std::uint64_t* listing,
                                                     plotting::PlotJobSpec* applied, bool checkLists) {
    if (host_.runActive())
        return std::string("A run is in progress: wait for it to end before loading a plot job.");
    // Everything is checked before anything changes: a job is applied whole or not at all.
    plotting::PlotJobSpec job = asWritten;
    if (checkLists)
        if (auto missing = choices_.boxes.missingFromLists(job)) return missing;
    if (applied) *applied = job;

    choices_.boxes.applyJob(job);
    // The command line's /sessions wins over the job's.
    choices_.sessions.applyJob(job.sessions);
    host_.applyJobRestartEvery(job.cadRestartEvery);
    choices_.plotFiles.applyJob(job);
    choices_.sheets.applyJob(job);
    win::WinCheckBox(host_.window().control(ids::ChkLayouts)).setTicked(job.layouts);
    // Shown, not saved: the job's choice is the job's; the user's own stays as it was kept.
    win::WinCheckBox(host_.window().control(ids::ChangedOnlyBox)).setTicked(job.onlyChanged);
    const std::uint64_t started =
        job.folder ? host_.listJobFolder(*job.folder, job.subfolders) : listDrawings(job.drawings);
    if (listing) *listing = started;
    return std::nullopt;
}

std::uint64_t PlotJobCommands::listDrawings(const std::vector<std::string>& paths) {
    return host_.listDrawings(paths);
}

}  // namespace quillon::app
