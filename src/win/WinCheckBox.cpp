#include "win/WinCheckBox.h"

namespace quillon::win {

WinCheckBox::Tick WinCheckBox::tick() const {
    switch (SendMessageW(box_, BM_GETCHECK, 0, 0)) {
        case BST_CHECKED: return Tick::Ticked;
        case BST_INDETERMINATE: return Tick::Grey;
        default: return Tick::Clear;
    }
}

void WinCheckBox::setTicked(bool ticked) const {
    SendMessageW(box_, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace quillon::win
