#pragma once

#include <windows.h>

namespace quillon::win {

// A check box, read and set by what it shows. Grey is a three-state box's
// third state: a run reads the layouts box's grey as a case of its own.
class WinCheckBox {
public:
    enum class Tick { Clear, Ticked, Grey };

    explicit WinCheckBox(HWND box) : box_(box) {}

    Tick tick() const;
    bool ticked() const { return tick() == Tick::Ticked; }
    void setTicked(bool ticked) const;

private:
    HWND box_;
};

}  // namespace quillon::win
