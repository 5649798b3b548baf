#pragma once

#include <windows.h>

#include <exception>

namespace quillon::win {

// A window whose messages go to a C++ object. The window procedure keeps the
// object pointer in the window's user data from WM_NCCREATE on, and no
// exception from handleMessage ever reaches Windows.
class BaseWindow {
public:
    BaseWindow() = default;
    virtual ~BaseWindow();
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    HWND hwnd() const noexcept { return hwnd_; }

    // Registers the window class once per process; later calls reuse it.
    static void registerClass(const wchar_t* className, HICON icon = nullptr,
                              HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    // Throws WinError when the window cannot be created.
    void create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle = 0, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int width = CW_USEDEFAULT, int height = CW_USEDEFAULT, HWND parent = nullptr,
                HMENU menu = nullptr);

protected:
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // An exception escaped handleMessage; the default shows it to the user.
    virtual void onUnhandledException(std::exception_ptr error) noexcept;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace quillon::win
