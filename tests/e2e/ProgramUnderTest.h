#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "win/UniqueResource.h"

namespace quillon::e2e {

// Quillon.exe started from the test, found and driven through its windows.
// The process is killed at the end if it is still running.
class ProgramUnderTest {
public:
    // arguments: what follows the program's name on its command line.
    explicit ProgramUnderTest(const std::wstring& arguments = L"");
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    // The visible main window, or nullptr when none appeared in time.
    HWND waitForMainWindow(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // The main window once start-up has finished (the start hint is shown), or nullptr.
    HWND waitUntilReady(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // A top-level window of the program with this title (message boxes), or nullptr.
    HWND waitForWindow(const std::wstring& title, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // True when the process ended in time.
    bool waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    DWORD processId() const { return processId_; }
    // The exit code once the process has ended.
    DWORD exitCode() const;

private:
    win::UniqueHandle process_;
    DWORD processId_ = 0;
};

std::wstring programExePath();
std::wstring windowText(HWND window);

}  // namespace quillon::e2e
