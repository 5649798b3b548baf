#pragma once

#include <windows.h>

namespace quillon::win {

// A window's own device context with a font selected into it, for measuring
// text as the window draws it: the font is taken out again and the context
// given back when it goes. Null when the window has none to give.
class WindowDc {
public:
    WindowDc(HWND window, HFONT font) noexcept
        : window_(window), dc_(GetDC(window)), old_(dc_ ? SelectObject(dc_, font) : nullptr) {}
    ~WindowDc() {
        if (!dc_) return;
        SelectObject(dc_, old_);
        ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace quillon::win
