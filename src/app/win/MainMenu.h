#pragma once

#include <windows.h>

namespace quillon::app {

// The menu bar and the "&Print" menu, which is kept off the bar and only
// shown as a pop-up.
class MainMenu {
public:
    MainMenu();
    ~MainMenu();
    MainMenu(const MainMenu&) = delete;
    MainMenu& operator=(const MainMenu&) = delete;

    // The bar, handed over to the window, which destroys it with itself.
    HMENU takeBar();
    HMENU printPopup() const { return print_; }

    void showPrintPopup(HWND owner, POINT screenPoint) const;

private:
    HMENU bar_ = nullptr;
    HMENU print_ = nullptr;
};

}  // namespace quillon::app
