#include "run/win/RunReportKeeper.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <system_error>
#include <vector>

#include "win/UniqueResource.h"
#include "win/Utf.h"
#include "win/WinError.h"

namespace quillon::run {

namespace fs = std::filesystem;

namespace {

SYSTEMTIME localTimeOf(std::chrono::system_clock::time_point time) {
    // FILETIME counts 100-nanosecond ticks from 1601; the system clock counts from 1970.
    constexpr long long EpochDifference = 116444736000000000LL;
    const auto ticks =
        std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count() / 100 + EpochDifference;
    FILETIME utc{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(static_cast<unsigned long long>(ticks) >> 32)};
    SYSTEMTIME universal{}, local{};
    FileTimeToSystemTime(&utc, &universal);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) return universal;
    return local;
}

}  // namespace

fs::path RunReportKeeper::folder() {
    // Freed even when the call fails: it may still have handed a buffer back.
    win::UniqueCoTaskMem<PWSTR> base;
    fs::path result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, base.out()))) result = fs::path(base.get());
    return result.empty() ? result : result / L"Quillon" / L"Reports";
}

std::string RunReportKeeper::isoLocalTime(std::chrono::system_clock::time_point time) {
    const SYSTEMTIME t = localTimeOf(time);
    return plotting::isoTimestamp(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

std::optional<std::string> RunReportKeeper::begin(const plotting::PlotSetup& setup) {
    report_.reset();
    last_.clear();
    endProblem_.reset();
    written_.clear();
    setup_ = setup;
    // The kept report's file, created under a name no other run has; none (and why) when it cannot be.
    std::optional<std::string> problem;
    fs::path file = [&]() -> fs::path {
        const fs::path reports = folder();
        if (reports.empty()) {
            problem = "the local application data folder is unknown";
            return {};
        }
        std::error_code ignored;
        fs::create_directories(reports, ignored);
        plotting::pruneReports(reports, Kept - 1);
        const SYSTEMTIME t = localTimeOf(std::chrono::system_clock::now());
        const fs::path name(
            win::toWide(plotting::reportFileName(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, part_,
                                                setup.purpose == plotting::RunPurpose::Check)));
        // Created, never checked then opened: two runs starting in one second each get a file of their own.
        fs::path created = reports / name;
        for (int n = 2;; ++n) {
            const win::UniqueFileHandle handle(CreateFileW(created.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (handle) return created;
            const DWORD error = GetLastError();
            if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || n >= 100) {
                problem = "the run report " + win::toUtf8(created.wstring()) +
                          " could not be created: " + win::systemMessage(HRESULT_FROM_WIN32(error));
                return {};
            }
            created = reports / (name.stem().wstring() + L" (" + std::to_wstring(n) + L").csv");
        }
    }();
    std::vector<fs::path> copies;
    if (copy_) copies.emplace_back(win::toWide(*copy_));
    // A kept report that cannot be made does not stop the copy: each file of the record stands on its own.
    if (!file.empty() || !copies.empty())
        report_ = std::make_shared<plotting::RunReport>(file, !part_.empty(), std::move(copies));
    last_ = file;
    // The heading is written at once, and the copy replaced: never last night's file while this run goes.
    beginProblem_ = problem ? problem : report_ ? report_->problem() : std::nullopt;
    return beginProblem_;
}

void RunReportKeeper::end() {
    if (report_) {
        report_->finish();
        written_ = report_->written();
        if (report_->problem()) endProblem_ = report_->problem();
    }
    report_.reset();
}

std::vector<std::pair<fs::path, std::optional<std::string>>> RunReportKeeper::written() const {
    return report_ ? report_->written() : written_;
}

std::optional<std::string> RunReportKeeper::problem() const {
    if (beginProblem_) return beginProblem_;
    if (report_ && report_->problem()) return report_->problem();
    return endProblem_;
}

void RunReportKeeper::addRow(const plotting::ReportRow& row) {
    if (!report_) return;
    plotting::ReportRow ofPart = row;
    ofPart.part = part_;
    report_->add(ofPart);
}

std::optional<std::string> RunReportKeeper::copyTargetProblem(const std::string& path) {
    const std::wstring file = win::toWide(path);
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return path + " is a folder, not a file.";
    // Opened as the copy will open it; a file made only to try is removed again.
    win::UniqueFileHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return win::systemMessage(HRESULT_FROM_WIN32(GetLastError()));
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    // Closed first: while it is open without delete sharing, it cannot be removed.
    handle.reset();
    if (!existed) DeleteFileW(file.c_str());
    return std::nullopt;
}

fs::path RunReportKeeper::lastReport() const {
    std::error_code error;
    if (!last_.empty() && fs::exists(last_, error)) return last_;
    std::vector<fs::path> reports;
    for (fs::directory_iterator it(folder(), error), end; !error && it != end; it.increment(error))
        if (plotting::isRunReportName(win::toUtf8(it->path().filename().wstring()))) reports.push_back(it->path());
    if (reports.empty()) return {};
    return *std::max_element(reports.begin(), reports.end());
}

}  // namespace quillon::run
