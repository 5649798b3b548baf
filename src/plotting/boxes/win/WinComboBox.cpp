#include "plotting/boxes/win/WinComboBox.h"

#include "win/Utf.h"

namespace quillon::plotting {

void WinComboBox::clear() {
    // Resetting the list also empties the edit field; the fills set its text next.
    list_.clear();
}

void WinComboBox::setText(const std::string& text) {
    SetWindowTextW(box_, win::toWide(text).c_str());
    if (onText_) onText_(text);
}

void WinComboBox::addItem(const std::string& text) { list_.add(win::toWide(text)); }

std::size_t WinComboBox::itemCount() const { return list_.count(); }

std::string WinComboBox::itemText(std::size_t index) const { return win::toUtf8(list_.itemText(index)); }

std::string WinComboBox::text() const {
    int length = GetWindowTextLengthW(box_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(box_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return win::toUtf8(text);
}

std::string WinComboBox::selectedText() const {
    const auto selected = list_.selected();
    return selected ? itemText(*selected) : text();
}

}  // namespace quillon::plotting
