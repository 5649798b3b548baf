#include "app/win/MainPlacement.h"

#include <vector>

#include "app/ScreenGeometry.h"
#include "app/win/MainWindow.h"

namespace quillon::app {

namespace {

BOOL CALLBACK collectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT& r = info.rcWork;
        reinterpret_cast<std::vector<ScreenRect>*>(data)->push_back(ScreenRect{r.left, r.top, r.right, r.bottom});
    }
    return TRUE;
}

MONITORINFO monitorOf(const RECT& area) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &info);
    return info;
}

}  // namespace

void restoreMainPlacement(MainWindow& window, const MainSettings& stored) {
    const int dpi = static_cast<int>(GetDpiForSystem());
    const SIZE designed = window.designedSize();
    const int left = twipsToPixels(stored.mainLeft, dpi);
    const int top = twipsToPixels(stored.mainTop, dpi);
    // The monitor the window was on is the one its designed-size rectangle at the stored corner is mostly on.
    const RECT wasOn{left, top, left + designed.cx, top + designed.cy};
    const RECT& work = monitorOf(wasOn).rcWork;
    const ScreenSize size = restoredSize(stored.mainWidth, stored.mainHeight, dpi, ScreenSize{designed.cx, designed.cy},
                                         ScreenRect{work.left, work.top, work.right, work.bottom});

    std::vector<ScreenRect> workAreas;
    EnumDisplayMonitors(nullptr, nullptr, collectWorkArea, reinterpret_cast<LPARAM>(&workAreas));
    const ScreenRect placed = keepOnScreen(ScreenRect{left, top, left + size.width, top + size.height}, workAreas);
    SetWindowPos(window.hwnd(), nullptr, placed.left, placed.top, placed.width(), placed.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    window.setOpensMaximized(stored.mainMaximized);
}

void captureMainPlacement(HWND window, MainSettings& current) {
    RECT outer{};
    GetWindowRect(window, &outer);
    current.mainMaximized = IsZoomed(window) != FALSE;
    if (current.mainMaximized) {
        // A maximized window remembers where it goes back to, in coordinates of the work area.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (GetWindowPlacement(window, &placement)) {
            outer = placement.rcNormalPosition;
            const MONITORINFO monitor = monitorOf(outer);
            OffsetRect(&outer, monitor.rcWork.left - monitor.rcMonitor.left,
                       monitor.rcWork.top - monitor.rcMonitor.top);
        }
    }
    const int dpi = static_cast<int>(GetDpiForSystem());
    current.mainLeft = pixelsToTwips(outer.left, dpi);
    current.mainTop = pixelsToTwips(outer.top, dpi);
    current.mainWidth = pixelsToTwips(outer.right - outer.left, dpi);
    current.mainHeight = pixelsToTwips(outer.bottom - outer.top, dpi);
}

}  // namespace quillon::app
