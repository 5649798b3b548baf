#include "autocad/win/ComCadLauncher.h"

#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>
#include <psapi.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "autocad/CadApplication.h"
#include "automation/AutomationError.h"
#include "base/Swallowed.h"
#include "win/DispatchObject.h"
#include "win/UniqueResource.h"

namespace quillon::autocad {

namespace {
constexpr const char* kProgId = "AutoCAD.Application";
constexpr const wchar_t* kProgIdW = L"AutoCAD.Application";

// The process this thread's last createInstance() started, when it could be told.
thread_local std::optional<std::uint32_t> lastCreated;

std::wstring lowered(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The command line registered for the application's local server, environment strings expanded; empty when
// it is not registered.
std::wstring serverCommand() {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(kProgIdW, &clsid))) return {};
    wchar_t guid[64]{};
    if (!StringFromGUID2(clsid, guid, 64)) return {};
    const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\LocalServer32";
    wchar_t command[2048]{};
    DWORD size = sizeof command;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                     command, &size) != ERROR_SUCCESS)
        return {};
    wchar_t expanded[4096]{};
    const DWORD length = ExpandEnvironmentStringsW(command, expanded, 4096);
    return length > 0 && length <= 4096 ? std::wstring(expanded) : std::wstring(command);
}

// The file name of the local server registered for the application ("acad.exe"); empty when unknown.
std::wstring serverFileName() {
    std::wstring line = lowered(serverCommand());
    const auto exe = line.find(L".exe");
    if (exe == std::wstring::npos) return {};
    line.resize(exe + 4);
    const auto slash = line.find_last_of(L"\\/\"");
    return slash == std::wstring::npos ? line : line.substr(slash + 1);
}

// The process of the application's main window, asked of it; nothing when it does not say.
std::optional<DWORD> windowProcess(const automation::ObjectPtr& application) {
    try {
        HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(CadApplication(application).hwnd()));
        DWORD process = 0;
        if (window && GetWindowThreadProcessId(window, &process) && process != 0) return process;
    } catch (const automation::AutomationError&) {
        base::swallowed("the processes seen before and after the creation tell it instead, where they can");
    }
    return std::nullopt;
}

std::set<DWORD> processesNamed(const std::wstring& name) {
    std::set<DWORD> found;
    if (name.empty()) return found;
    const win::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (lowered(entry.szExeFile) == name) found.insert(entry.th32ProcessID);
    return found;
}

}  // namespace

automation::ObjectPtr ComCadLauncher::connectRunning() { return win::connectRunning(kProgId); }

automation::ObjectPtr ComCadLauncher::createInstance() {
    // The new application is the one process of the server's name that was not there before. Two sessions
    // starting at once make that ambiguous: then it stays unknown until its window tells.
    lastCreated.reset();
    const std::wstring name = serverFileName();
    const auto before = processesNamed(name);
    auto created = win::createInstance(kProgId);
    const auto after = processesNamed(name);
    // Read after the processes: a spare started meanwhile is among them only once it is known here.
    const auto spares = spares_.waiting();
    std::vector<DWORD> fresh;
    for (DWORD process : after)
        if (!before.count(process) && !spares.count(process) && process != GetCurrentProcessId())
            fresh.push_back(process);
    std::optional<DWORD> reached;
    // COM may have handed over any server waiting for a client: the application says which one it is.
    if (!spares.empty()) reached = windowProcess(created);
    if (!reached && fresh.size() == 1) reached = fresh.front();
    if (!reached && fresh.empty() && spares.size() == 1) reached = *spares.begin();
    if (reached) {
        spares_.taken(*reached);
        if (*reached != GetCurrentProcessId()) lastCreated = static_cast<std::uint32_t>(*reached);
    }
    return created;
}

std::string ComCadLauncher::startSpare() {
    const std::wstring command = serverCommand();
    if (command.empty()) return "AutoCAD's server is not registered";
    return spares_.start(command);
}

std::optional<std::uint32_t> ComCadLauncher::createdProcess() { return lastCreated; }

}  // namespace quillon::autocad

namespace quillon::autocad {

std::optional<std::uint32_t> ComCadLauncher::processOfWindow(std::int64_t window) {
    DWORD process = 0;
    HWND handle = reinterpret_cast<HWND>(static_cast<INT_PTR>(window));
    if (!handle || !GetWindowThreadProcessId(handle, &process) || process == 0) return std::nullopt;
    // Never the program itself: ending it would end Quillon.
    if (process == GetCurrentProcessId()) return std::nullopt;
    return static_cast<std::uint32_t>(process);
}

std::optional<std::uint64_t> ComCadLauncher::privateMemoryMB(std::uint32_t process) {
    // A handle of its own with the rights to read the counters: the watchdog's may only end the process.
    const win::UniqueHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, process));
    if (!handle) return std::nullopt;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    const BOOL read =
        GetProcessMemoryInfo(handle.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    if (!read) return std::nullopt;
    return static_cast<std::uint64_t>(counters.PrivateUsage) / (1024 * 1024);
}

}  // namespace quillon::autocad
