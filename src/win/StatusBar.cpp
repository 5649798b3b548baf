#include "win/StatusBar.h"

#include <commctrl.h>

#include <algorithm>
#include <array>


namespace quillon::win {

namespace {
constexpr int kProgressPanelWidth = 167;
constexpr int kClockPanelWidth = 96;
constexpr int kMinStatusPanelWidth = 96;

int scaled(int value, int dpi) { return MulDiv(value, dpi, 96); }

std::wstring formatNow(bool date) {
    wchar_t buffer[128] = {};
    int written = date ? GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer,
                                         static_cast<int>(std::size(buffer)), nullptr)
                       : GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, buffer,
                                         static_cast<int>(std::size(buffer)));
    return written > 0 ? std::wstring(buffer) : std::wstring();
}
}  // namespace

void StatusBar::create(HWND parent, int id, HINSTANCE instance, int dpi, int height) {
    bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    std::array<int, 3> borders{};
    SendMessageW(bar_, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders.data()));
    SendMessageW(bar_, SB_SETMINHEIGHT, std::max(1, scaled(height, dpi) - 2 * borders[1]), 0);
    // Parts before texts: a text sent to a part that does not exist yet is lost.
    layout(dpi);
    setStatusText(FirstPanelText);
    updateClock();
}

void StatusBar::layout(int dpi) {
    if (!bar_) return;
    SendMessageW(bar_, WM_SIZE, 0, 0);
    RECT client{};
    GetClientRect(GetParent(bar_), &client);
    int progress = scaled(kProgressPanelWidth, dpi);
    int clock = scaled(kClockPanelWidth, dpi);
    int first = std::max(scaled(kMinStatusPanelWidth, dpi), static_cast<int>(client.right) - progress - 2 * clock);
    std::array<int, 4> rightEdges{first, first + progress, first + progress + clock, -1};
    SendMessageW(bar_, SB_SETPARTS, rightEdges.size(), reinterpret_cast<LPARAM>(rightEdges.data()));
    placeProgress(dpi, 0);
}

void StatusBar::setStatusText(const std::wstring& text) {
    SendMessageW(bar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void StatusBar::updateClock() {
    auto date = formatNow(true);
    auto time = formatNow(false);
    if (date != date_) {
        date_ = date;
        SendMessageW(bar_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(date_.c_str()));
    }
    if (time != time_) {
        time_ = time;
        SendMessageW(bar_, SB_SETTEXTW, 3, reinterpret_cast<LPARAM>(time_.c_str()));
    }
}

void StatusBar::embedProgress(HWND progress, int panel, int margin, int dpi) {
    if (embeddedParent_) return;
    embeddedParent_ = SetParent(progress, bar_);
    progress_ = progress;
    progressPanel_ = panel;
    progressMargin_ = margin;
    // Flat and borderless, so the bar fills its panel like part of the status bar.
    SetWindowLongPtrW(progress, GWL_EXSTYLE,
                      GetWindowLongPtrW(progress, GWL_EXSTYLE) & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    SetWindowLongPtrW(progress, GWL_STYLE, (GetWindowLongPtrW(progress, GWL_STYLE) & ~WS_BORDER) | WS_CHILD);
    placeProgress(dpi, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void StatusBar::placeProgress(int dpi, UINT flags) {
    if (!progress_) return;
    RECT part{};
    SendMessageW(bar_, SB_GETRECT, progressPanel_, reinterpret_cast<LPARAM>(&part));
    RECT bar{};
    GetClientRect(bar_, &bar);
    int inset = scaled(progressMargin_, dpi);
    SetWindowPos(progress_, HWND_TOP, part.left + inset, bar.top + inset, (part.right - part.left) - 2 * inset,
                 (bar.bottom - bar.top) - 2 * inset, flags | SWP_NOACTIVATE);
}

void StatusBar::setVisible(bool show) { ShowWindow(bar_, show ? SW_SHOW : SW_HIDE); }

bool StatusBar::visible() const { return IsWindowVisible(bar_) != FALSE; }

}  // namespace quillon::win
