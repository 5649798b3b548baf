#include "win/WinProgressBar.h"

#include <commctrl.h>

namespace quillon::win {

void WinProgressBar::setRange(int low, int high) const {
    SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}

void WinProgressBar::setPosition(int position) const {
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

}  // namespace quillon::win
