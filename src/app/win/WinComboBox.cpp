#include "app/win/WinComboBox.h"

#include "win/Utf.h"

namespace quillon::app {

void WinComboBox::clear() {
    // CB_RESETCONTENT also empties the edit field; the fills set its text next.
    SendMessageW(box_, CB_RESETCONTENT, 0, 0);
}

void WinComboBox::setText(const std::string& text) {
    SetWindowTextW(box_, win::toWide(text).c_str());
    if (onText_) onText_(text);
}

void WinComboBox::addItem(const std::string& text) {
    SendMessageW(box_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::toWide(text).c_str()));
}

std::size_t WinComboBox::itemCount() const {
    LRESULT count = SendMessageW(box_, CB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<std::size_t>(count);
}

std::string WinComboBox::itemText(std::size_t index) const {
    LRESULT length = SendMessageW(box_, CB_GETLBTEXTLEN, index, 0);
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(box_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return win::toUtf8(text);
}

std::string WinComboBox::text() const {
    int length = GetWindowTextLengthW(box_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(box_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return win::toUtf8(text);
}

std::string WinComboBox::selectedText() const {
    LRESULT selected = SendMessageW(box_, CB_GETCURSEL, 0, 0);
    return selected < 0 ? text() : itemText(static_cast<std::size_t>(selected));
}

}  // namespace quillon::app
