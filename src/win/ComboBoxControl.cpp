#include "win/ComboBoxControl.h"

namespace quillon::win {

void ComboBoxControl::clear() const { SendMessageW(box_, CB_RESETCONTENT, 0, 0); }

void ComboBoxControl::add(std::wstring_view text) const {
    const std::wstring item(text);
    SendMessageW(box_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

std::size_t ComboBoxControl::count() const {
    const LRESULT count = SendMessageW(box_, CB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<std::size_t>(count);
}

std::wstring ComboBoxControl::itemText(std::size_t index) const {
    const LRESULT length = SendMessageW(box_, CB_GETLBTEXTLEN, index, 0);
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(box_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::optional<std::size_t> ComboBoxControl::selected() const {
    const LRESULT selected = SendMessageW(box_, CB_GETCURSEL, 0, 0);
    if (selected < 0) return std::nullopt;
    return static_cast<std::size_t>(selected);
}

void ComboBoxControl::select(std::size_t index) const { SendMessageW(box_, CB_SETCURSEL, index, 0); }

}  // namespace quillon::win
