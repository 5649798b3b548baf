#pragma once

#include <windows.h>

#include <string>

namespace quillon::win {

// The drawing list's tool tip. Over a Result text that its column cuts
// short, the tip is that whole text; anywhere else in the list it is the
// list's own tip. The tip shows when the pointer rests, as tool tips do.
class ResultTip {
public:
    // tooltips holds a tool for the list (TTF_IDISHWND, owned by owner).
    ResultTip(HWND tooltips, HWND owner, HWND list, int resultColumn, std::wstring listTip);
    ~ResultTip();
    ResultTip(const ResultTip&) = delete;
    ResultTip& operator=(const ResultTip&) = delete;

private:
    static LRESULT CALLBACK listProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
    void pointerAt(POINT listPoint);
    // The Result text under the point when its column cuts it short, else nothing.
    std::wstring cutResultAt(POINT listPoint) const;
    void show(const std::wstring& text);

    HWND tooltips_;
    HWND owner_;
    HWND list_;
    int resultColumn_;
    std::wstring listTip_;
    std::wstring current_;
};

}  // namespace quillon::win
