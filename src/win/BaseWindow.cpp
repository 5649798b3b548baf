#include "win/BaseWindow.h"

#include "win/Messages.h"
#include "win/WinError.h"

namespace quillon::win {

BaseWindow::~BaseWindow() {
    if (hwnd_) {
        // Detach first: the derived part is already gone, so the messages
        // DestroyWindow sends must not reach this object.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void BaseWindow::registerClass(const wchar_t* className, HICON icon, HBRUSH background) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(instance, className, &windowClass)) return;
    windowClass.lpfnWndProc = &BaseWindow::windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    if (!RegisterClassExW(&windowClass)) throw WinError::fromLastError("Registering a window class");
}

void BaseWindow::create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                        int width, int height, HWND parent, HMENU menu) {
    registerClass(className);
    HWND window = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                                  GetModuleHandleW(nullptr), this);
    if (!window) throw WinError::fromLastError("Creating a window");
}

LRESULT BaseWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void BaseWindow::onUnhandledException(std::exception_ptr error) noexcept { reportUnhandled(hwnd_, error); }

LRESULT CALLBACK BaseWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BaseWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<BaseWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);

    LRESULT result = 0;
    try {
        result = self->handleMessage(message, wParam, lParam);
    } catch (...) {
        self->onUnhandledException(std::current_exception());
        // A failed creation must not leave a half-made window behind.
        if (message == WM_NCCREATE)
            result = FALSE;
        else if (message == WM_CREATE)
            result = -1;
        else
            result = 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace quillon::win
