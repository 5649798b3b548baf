#pragma once

#include <windows.h>

namespace quillon::win {

// The run's progress bar, set by range and position.
class WinProgressBar {
public:
    explicit WinProgressBar(HWND bar) : bar_(bar) {}

    void setRange(int low, int high) const;
    void setPosition(int position) const;

private:
    HWND bar_;
};

}  // namespace quillon::win
