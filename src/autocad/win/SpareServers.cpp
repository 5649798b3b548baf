#include "autocad/win/SpareServers.h"

#include <algorithm>

#include "win/WinError.h"

namespace quillon::autocad {

namespace {

struct WindowSearch {
    DWORD process = 0;
    bool visible = false;
};

BOOL CALLBACK noteVisibleWindow(HWND window, LPARAM search) {
    auto& wanted = *reinterpret_cast<WindowSearch*>(search);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != wanted.process || !IsWindowVisible(window)) return TRUE;
    wanted.visible = true;
    return FALSE;
}

// A server started for a client that never came shows no window; the application a creation took is made
// visible at once.
bool showsWindow(DWORD process) {
    WindowSearch search{process};
    EnumWindows(&noteVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.visible;
}

}  // namespace

SpareServers::~SpareServers() {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto& spare : spares_) end(spare);
}

std::string SpareServers::start(const std::wstring& serverCommand) {
    std::lock_guard<std::mutex> hold(lock_);
    forgetEnded();
    const auto me = std::this_thread::get_id();
    if (std::any_of(spares_.begin(), spares_.end(), [&](const Spare& spare) { return spare.owner == me; }))
        return {};
    // What COM itself runs for a creation; CreateProcessW may write into the line it is given.
    std::wstring line = serverCommand + L" -Embedding";
    std::vector<wchar_t> writable(line.begin(), line.end());
    writable.push_back(L'\0');
    // As COM starts a server: not in Quillon's current folder, which it would then hold on to.
    wchar_t systemFolder[MAX_PATH]{};
    const UINT systemLength = GetSystemDirectoryW(systemFolder, MAX_PATH);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        systemLength > 0 && systemLength < MAX_PATH ? systemFolder : nullptr, &startup, &started))
        return win::WinError::fromLastError().description();
    CloseHandle(started.hThread);
    Spare spare;
    spare.process.reset(started.hProcess);
    spare.id = started.dwProcessId;
    spare.owner = me;
    spares_.push_back(std::move(spare));
    return {};
}

std::set<DWORD> SpareServers::waiting() {
    std::lock_guard<std::mutex> hold(lock_);
    forgetEnded();
    std::set<DWORD> ids;
    for (const auto& spare : spares_) ids.insert(spare.id);
    return ids;
}

void SpareServers::taken(DWORD process) {
    std::lock_guard<std::mutex> hold(lock_);
    // Its handle goes with it: the application is watched and ended, when it must be, as any other.
    std::erase_if(spares_, [process](const Spare& spare) { return spare.id == process; });
}

void SpareServers::endMine() {
    std::lock_guard<std::mutex> hold(lock_);
    const auto me = std::this_thread::get_id();
    for (auto& spare : spares_)
        if (spare.owner == me) end(spare);
    std::erase_if(spares_, [me](const Spare& spare) { return spare.owner == me; });
}

void SpareServers::forgetEnded() {
    std::erase_if(spares_, [](const Spare& spare) {
        return WaitForSingleObject(spare.process.get(), 0) == WAIT_OBJECT_0;
    });
}

void SpareServers::end(Spare& spare) {
    if (!spare.process || WaitForSingleObject(spare.process.get(), 0) == WAIT_OBJECT_0) return;
    // A creation that could not tell which process it reached may have reached this one: then it is in use.
    if (showsWindow(spare.id)) return;
    // It never held a drawing, so ending it loses nothing; it is only let finish a start still in progress.
    WaitForInputIdle(spare.process.get(), 2000);
    if (showsWindow(spare.id)) return;
    if (TerminateProcess(spare.process.get(), 1)) WaitForSingleObject(spare.process.get(), 5000);
}

}  // namespace quillon::autocad
