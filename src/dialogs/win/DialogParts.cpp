#include "dialogs/win/DialogParts.h"

namespace quillon::dialogs::parts {

std::wstring textOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND addControl(HWND dialog, HFONT font, int id, const wchar_t* type, const wchar_t* text, DWORD style,
                DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, type, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

TextMeasure::TextMeasure(HWND window, HFONT font) : dc_(window, font) { GetTextMetricsW(dc_.get(), &metrics_); }

int TextMeasure::width(const wchar_t* text) const {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc_.get(), text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
    return static_cast<int>(r.right);
}

RECT TextMeasure::block(const wchar_t* text) const {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc_.get(), text, -1, &r, DT_CALCRECT | DT_NOPREFIX);
    return r;
}

void sizeAndCentre(HWND dialog, int width, int height, int dpi) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)), static_cast<UINT>(dpi));
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;
    RECT owner{};
    HWND parent = GetParent(dialog);
    if (!parent || !GetWindowRect(parent, &owner)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &owner, 0);
    SetWindowPos(dialog, nullptr, owner.left + (owner.right - owner.left - frameWidth) / 2,
                 owner.top + (owner.bottom - owner.top - frameHeight) / 2, frameWidth, frameHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace quillon::dialogs::parts
