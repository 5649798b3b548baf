#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "plotting/boxes/PlotLists.h"
#include "win/ComboBoxControl.h"

namespace quillon::plotting {

// One of the three plot boxes as the fills see it. Windows sends no change
// notice for text the program sets, so setText runs the box's own handler
// itself: that is how a fill resets the current choice.
class WinComboBox : public ComboBox {
public:
    WinComboBox(HWND box, std::function<void(const std::string&)> onText)
        : box_(box), list_(box), onText_(std::move(onText)) {}

    void clear() override;
    void setText(const std::string& text) override;
    void addItem(const std::string& text) override;
    std::size_t itemCount() const override;
    std::string itemText(std::size_t index) const override;

    std::string text() const;
    // The item the user picked: during CBN_SELCHANGE the edit field still shows the old text.
    std::string selectedText() const;

private:
    HWND box_;
    win::ComboBoxControl list_;
    std::function<void(const std::string&)> onText_;
};

}  // namespace quillon::plotting
