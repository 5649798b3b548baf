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

// The file name of the local server registered for the application ("acad.exe"); empty when unknown.
std::wstring serverFileName() {
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
    std::wstring line = lowered(command);
    const auto exe = line.find(L".exe");
    if (exe == std::wstring::npos) return {};
    line.resize(exe + 4);
    const auto slash = line.find_last_of(L"\\/\"");
    return slash == std::wstring::npos ? line : line.substr(slash + 1);
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
    std::vector<DWORD> fresh;
    for (DWORD process : processesNamed(name))
        if (!before.count(process) && process != GetCurrentProcessId()) fresh.push_back(process);
    if (fresh.size() == 1) lastCreated = static_cast<std::uint32_t>(fresh.front());
    return created;
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
