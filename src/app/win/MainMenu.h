#pragma once

#include <windows.h>

#include "win/UniqueResource.h"

namespace quillon::app {

// The menu bar and the "&Print" menu, which is kept off the bar and only
// shown as a pop-up.
class MainMenu {
public:
    MainMenu();

    // The bar, handed over to the window, which destroys it with itself.
    HMENU takeBar();
    HMENU printPopup() const { return print_.get(); }

    void showPrintPopup(HWND owner, POINT screenPoint) const;

private:
    win::UniqueMenu bar_;
    win::UniqueMenu print_;
};

}  // namespace quillon::app
