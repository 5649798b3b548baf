#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace quillon::wintest {

// Why windows cannot be shown here, or empty when they can: under wine
// without an X display no window can be created, and tests that need one
// skip rather than fail.
std::string noDisplayReason();

// Delivers this thread's messages until condition holds or timeout passes;
// true when it held.
bool pumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
void pumpFor(std::chrono::milliseconds duration);

// A top-level window with a box like the main window's FolderTreeBox: a static
// control with a sunken edge at 8,8 sized 169 by 188.
class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool created() const { return frame_ && box_; }
    HWND frame() const { return frame_; }
    HWND box() const { return box_; }
    // Destroys the window and its box now, as the main window's close does.
    void destroy();

private:
    HWND frame_ = nullptr;
    HWND box_ = nullptr;
};

// The text of a window.
std::wstring windowText(HWND window);

}  // namespace quillon::wintest
