#include "ProgramUnderTest.h"

#include <filesystem>
#include <vector>

#include "TestSupport.h"
#include "app/win/ControlIds.h"
#include "win/WinError.h"

namespace quillon::e2e {

namespace {

struct Search {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    HWND found = nullptr;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    wchar_t buffer[256] = {};
    if (search->className) {
        GetClassNameW(window, buffer, 256);
        if (std::wstring(buffer) != search->className) return TRUE;
    }
    if (search->title && windowText(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

HWND findWindow(DWORD processId, const wchar_t* className, const wchar_t* title) {
    Search search{processId, className, title};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::wstring programExePath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    auto path = std::filesystem::path(self).parent_path() / QUILLON_PROGRAM_RELATIVE_PATH;
    return path.lexically_normal().make_preferred().wstring();
}

std::wstring windowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

ProgramUnderTest::ProgramUnderTest(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + programExePath() + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        throw win::WinError::fromLastError("Starting Quillon.exe");
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
}

ProgramUnderTest::~ProgramUnderTest() {
    if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
        // A program ended this way never quits the application it started; left running, the next test's
        // program would attach to it instead of starting its own.
        wintest::terminateProcesses(L"quillon-standin.exe");
    }
}

HWND ProgramUnderTest::waitForMainWindow(std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    wintest::waitFor([&] { return (found = findWindow(processId_, L"QuillonMainWindow", nullptr)) != nullptr; },
                     timeout);
    return found;
}

HWND ProgramUnderTest::waitUntilReady(std::chrono::milliseconds timeout) {
    HWND main = waitForMainWindow(timeout);
    if (!main) return nullptr;
    bool ready = wintest::waitFor([&] { return GetPropW(main, L"QuillonReady") != nullptr; }, timeout);
    return ready ? main : nullptr;
}

HWND ProgramUnderTest::waitForWindow(const std::wstring& title, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    wintest::waitFor([&] { return (found = findWindow(processId_, nullptr, title.c_str())) != nullptr; }, timeout);
    return found;
}

DWORD ProgramUnderTest::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

bool ProgramUnderTest::waitForExit(std::chrono::milliseconds timeout) {
    return WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

}  // namespace quillon::e2e
