#pragma once

#include <windows.h>

#include "win/BaseWindow.h"

namespace quillon::dialogs {

// The About window: non-modal, without owner, brought back rather than
// opened twice.
class AboutWindow : public win::BaseWindow {
public:
    // Opens the window, or brings the open one to the front.
    void showOrActivate();
    bool isOpen() const { return hwnd() != nullptr; }
    void close();

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace quillon::dialogs
