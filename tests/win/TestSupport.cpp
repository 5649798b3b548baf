#include "TestSupport.h"

#include <climits>

#include <tlhelp32.h>

#include <fstream>
#include <thread>

#include "win/UniqueResource.h"

namespace quillon::wintest {

TempFolder::TempFolder() {
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            (L"quillon-win-tests-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;  // a file still held by a process that is ending only leaves litter in %TEMP%
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempFolder::write(const std::wstring& name, const std::string& content) const {
    auto file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
    return file;
}

std::vector<std::string> readLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<nlohmann::json> readJsonLines(const std::filesystem::path& file) {
    std::vector<nlohmann::json> lines;
    for (const auto& line : readLines(file))
        if (!line.empty()) lines.push_back(nlohmann::json::parse(line));
    return lines;
}

std::wstring standinExePath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    auto path = std::filesystem::path(self).parent_path() / QUILLON_STANDIN_RELATIVE_PATH;
    return path.lexically_normal().make_preferred().wstring();
}

int countProcesses(const wchar_t* exeName) {
    win::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return -1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (_wcsicmp(entry.szExeFile, exeName) == 0) ++count;
    return count;
}

namespace {

// Ends processes of that name, at most `limit` of them; how many were ended.
int terminateNamed(const wchar_t* exeName, int limit) {
    win::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int ended = 0;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && ended < limit;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) != 0) continue;
        win::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (!process) continue;
        TerminateProcess(process.get(), 99);
        WaitForSingleObject(process.get(), 5000);
        ++ended;
    }
    return ended;
}

}  // namespace

void terminateProcesses(const wchar_t* exeName) { terminateNamed(exeName, INT_MAX); }

bool terminateOneProcess(const wchar_t* exeName) { return terminateNamed(exeName, 1) == 1; }

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace quillon::wintest
