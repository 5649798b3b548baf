#include "dialogs/win/AboutWindow.h"

namespace quillon::dialogs {

namespace {
constexpr wchar_t kClassName[] = L"QuillonAboutWindow";
}

void AboutWindow::showOrActivate() {
    if (isOpen()) {
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        SetForegroundWindow(hwnd());
        return;
    }
    create(kClassName, L"About Quillon", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, CW_USEDEFAULT, CW_USEDEFAULT,
           380, 200);
    HWND text = CreateWindowExW(0, L"Static", L"Quillon Drawings", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 40, 340, 40,
                                hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    ShowWindow(hwnd(), SW_SHOWNORMAL);
}

void AboutWindow::close() {
    if (isOpen()) DestroyWindow(hwnd());
}

LRESULT AboutWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return BaseWindow::handleMessage(message, wParam, lParam);
}

}  // namespace quillon::dialogs
