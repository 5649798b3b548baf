#pragma once

#include <windows.h>

namespace quillon::app {

// What the main window forwards to the program: commands, notifications and
// the close request. The window itself only lays out and shows.
class MainWindowShell {
public:
    virtual ~MainWindowShell() = default;
    virtual void onCommand(int id, int notifyCode) = 0;
    // Returns true when handled; result then holds the notification's answer.
    virtual bool onNotify(const NMHDR& header, LRESULT& result) = 0;
    // The window is asked to close for any reason: run the unload steps.
    virtual void onClose() = 0;
    virtual void onDestroyed() = 0;
    // Messages the program posts to itself (WM_APP and above): stepping long
    // work so the window stays responsive.
    virtual void onAppMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // A key going down in the check box or a plot box, before the control acts on it.
    virtual void onControlKeyDown(int id, WPARAM key) = 0;
    // Data another program sends (WM_COPYDATA): how tests and the demo choose a folder.
    virtual bool onCopyData(const COPYDATASTRUCT& data) = 0;
    // Once a second, with the status bar's clock.
    virtual void onClockTick() {}
    // A timer the program set on the window (SetTimer with its own id).
    virtual void onTimer(UINT_PTR id) = 0;
    // WM_SETCURSOR for the window or a control of it (over); true when the program set the cursor.
    virtual bool onSetCursor(HWND over, int hitTest) = 0;
};

}  // namespace quillon::app
