#include "GuiTestSupport.h"

#include <thread>

namespace quillon::wintest {

namespace {
bool underWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }
}  // namespace

std::string noDisplayReason() {
    if (underWine() && GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) return "no X display for wine";
    return {};
}

bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

void pumpFor(std::chrono::milliseconds duration) {
    pumpUntil([] { return false; }, duration);
}

HostWindow::HostWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"QuillonTestHostWindow";
    RegisterClassExW(&windowClass);
    frame_ = CreateWindowExW(0, L"QuillonTestHostWindow", L"Folder tree test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                             40, 360, 280, nullptr, nullptr, instance, nullptr);
    if (!frame_) return;
    box_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"Static", nullptr, WS_CHILD | WS_VISIBLE | SS_NOTIFY, 8, 8, 169, 188,
                           frame_, reinterpret_cast<HMENU>(1001), instance, nullptr);
}

HostWindow::~HostWindow() { destroy(); }

void HostWindow::destroy() {
    if (frame_ && IsWindow(frame_)) DestroyWindow(frame_);
    frame_ = nullptr;
    box_ = nullptr;
}

std::wstring windowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

}  // namespace quillon::wintest
