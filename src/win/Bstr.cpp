#include "win/Bstr.h"

#include <climits>
#include <new>

#include "win/Utf.h"

namespace quillon::win {

namespace {
BSTR allocate(const wchar_t* text, std::size_t length) {
    if (length > UINT_MAX / 2) throw std::bad_alloc();
    BSTR result = SysAllocStringLen(text, static_cast<UINT>(length));
    if (!result) throw std::bad_alloc();
    return result;
}
}  // namespace

Bstr::Bstr(std::wstring_view text) : text_(allocate(text.data(), text.size())) {}

Bstr Bstr::fromUtf8(std::string_view text) { return Bstr(toWide(text)); }

Bstr Bstr::attach(BSTR text) noexcept {
    Bstr result;
    result.text_ = text;
    return result;
}

Bstr::Bstr(const Bstr& other) : text_(other.text_ ? allocate(other.text_, other.length()) : nullptr) {}

Bstr& Bstr::operator=(const Bstr& other) {
    if (this != &other) reset(other.text_ ? allocate(other.text_, other.length()) : nullptr);
    return *this;
}

std::string Bstr::toUtf8() const { return win::toUtf8(view()); }

}  // namespace quillon::win
