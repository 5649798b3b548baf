#include "win/ResultTip.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>
#include <vector>

#include "base/Swallowed.h"

namespace quillon::win {

namespace {
constexpr UINT_PTR kSubclassId = 0x5254;
// A report view's cell keeps about this much room beside its text (what LVSCW_AUTOSIZE adds).
constexpr int kCellPadding = 12;
constexpr int kLongestResult = 4096;
}  // namespace

ResultTip::ResultTip(HWND tooltips, HWND owner, HWND list, int resultColumn, std::wstring listTip)
    : tooltips_(tooltips), owner_(owner), list_(list), resultColumn_(resultColumn), listTip_(std::move(listTip)),
      current_(listTip_) {
    SetWindowSubclass(list_, listProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

ResultTip::~ResultTip() {
    if (IsWindow(list_)) RemoveWindowSubclass(list_, listProc, kSubclassId);
}

LRESULT CALLBACK ResultTip::listProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
    if (message == WM_MOUSEMOVE) {
        try {
            reinterpret_cast<ResultTip*>(self)->pointerAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        } catch (...) {
            base::swallowed("a tip is not worth more than the mouse move it rides on");
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, listProc, kSubclassId);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void ResultTip::pointerAt(POINT listPoint) {
    std::wstring cut = cutResultAt(listPoint);
    show(cut.empty() ? listTip_ : cut);
}

std::wstring ResultTip::cutResultAt(POINT listPoint) const {
    LVHITTESTINFO hit{};
    hit.pt = listPoint;
    if (ListView_SubItemHitTest(list_, &hit) < 0 || hit.iItem < 0 || hit.iSubItem != resultColumn_) return {};
    std::vector<wchar_t> text(kLongestResult, L'\0');
    ListView_GetItemText(list_, hit.iItem, resultColumn_, text.data(), static_cast<int>(text.size()));
    if (!text[0]) return {};
    const int needed = ListView_GetStringWidth(list_, text.data()) + MulDiv(kCellPadding, GetDpiForWindow(list_), 96);
    if (needed <= ListView_GetColumnWidth(list_, resultColumn_)) return {};
    return std::wstring(text.data());
}

void ResultTip::show(const std::wstring& text) {
    if (text == current_) return;
    current_ = text;
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner_;
    info.uId = reinterpret_cast<UINT_PTR>(list_);
    info.lpszText = current_.data();
    SendMessageW(tooltips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace quillon::win
