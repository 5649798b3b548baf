#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::win {

// A combo box's list, by item: what the main window's plot boxes and the
// dialogs' lists do with one, without its messages at every call site.
class ComboBoxControl {
public:
    explicit ComboBoxControl(HWND box) : box_(box) {}

    // Empties the list, and with it an edit field's text.
    void clear() const;
    void add(std::wstring_view text) const;
    std::size_t count() const;
    std::wstring itemText(std::size_t index) const;
    // None when no item is chosen (a typed text is not one).
    std::optional<std::size_t> selected() const;
    void select(std::size_t index) const;

private:
    HWND box_;
};

}  // namespace quillon::win
