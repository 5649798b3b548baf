#pragma once

#include <windows.h>

#include <string>

#include "win/WindowDc.h"

// What the dialogs built in code (controls made in onInit, sized to their
// captions) share: the empty template, a control's text, making a control
// in the dialog's font, and the dialog's own size and place.
namespace quillon::dialogs::parts {

// An in-memory template without controls.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE header{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 0, 100, 50};
    WORD menu = 0, windowClass = 0, title = 0;
};

std::wstring textOf(HWND control);
HWND addControl(HWND dialog, HFONT font, int id, const wchar_t* type, const wchar_t* text, DWORD style,
                DWORD exStyle = 0);
// Captions measured in the dialog's font, so none is clipped; a DC of the window while it lives.
class TextMeasure {
public:
    TextMeasure(HWND window, HFONT font);

    int width(const wchar_t* text) const;  // on one line
    RECT block(const wchar_t* text) const;  // its lines as they stand
    const TEXTMETRICW& metrics() const { return metrics_; }

private:
    win::WindowDc dc_;
    TEXTMETRICW metrics_{};
};

// Sizes the dialog around a client area of width x height and centres it on its owner, as a dialog opened
// from the owner's menu (on the work area without one).
void sizeAndCentre(HWND dialog, int width, int height, int dpi);

}  // namespace quillon::dialogs::parts
