#pragma once

#include <windows.h>

#include <string>

namespace quillon::win {

// The four-panel status bar: status text, the embedded progress bar, date
// and time in the user's formats.
class StatusBar {
public:
    // `height` is the bar's height at 96 dpi.
    void create(HWND parent, int id, HINSTANCE instance, int dpi, int height);
    HWND handle() const { return bar_; }

    // Lays the panels out for the parent's current client width.
    void layout(int dpi);
    void setStatusText(const std::wstring& text);
    // What the first panel says from the start, until a run says what it is doing.
    static constexpr wchar_t FirstPanelText[] = L"Status";
    // Refreshes the date and time panels; cheap when nothing changed.
    void updateClock();

    // Moves the progress bar into the panel, inset by margin pixels on every
    // side. Done once: a second call does nothing. The bar follows its panel
    // when the window's width changes.
    void embedProgress(HWND progress, int panel, int margin, int dpi);

    void setVisible(bool visible);
    bool visible() const;

private:
    void placeProgress(int dpi, UINT flags);

    HWND bar_ = nullptr;
    HWND progress_ = nullptr;
    int progressPanel_ = 0;
    int progressMargin_ = 0;
    HWND embeddedParent_ = nullptr;
    std::wstring date_;
    std::wstring time_;
};

}  // namespace quillon::win
