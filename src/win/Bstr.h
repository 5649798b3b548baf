#pragma once

// ole2.h brings windows.h in first, then the BSTR and VARIANT functions.
#include <ole2.h>

#include <string>
#include <string_view>
#include <utility>

namespace quillon::win {

// Owns one BSTR. A null BSTR is a valid empty string, as automation treats it.
class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(std::wstring_view text);
    static Bstr fromUtf8(std::string_view text);
    // Takes ownership of a BSTR allocated by someone else.
    static Bstr attach(BSTR text) noexcept;
    ~Bstr() { SysFreeString(text_); }

    Bstr(Bstr&& other) noexcept : text_(other.release()) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Bstr(const Bstr& other);
    Bstr& operator=(const Bstr& other);

    BSTR get() const noexcept { return text_; }
    std::size_t length() const noexcept { return SysStringLen(text_); }
    bool empty() const noexcept { return length() == 0; }
    std::wstring_view view() const noexcept { return text_ ? std::wstring_view(text_, length()) : std::wstring_view(); }
    std::string toUtf8() const;

    BSTR release() noexcept { return std::exchange(text_, nullptr); }
    void reset(BSTR text = nullptr) noexcept { SysFreeString(std::exchange(text_, text)); }
    // For calls that return a new BSTR through an out parameter.
    BSTR* out() noexcept {
        reset();
        return &text_;
    }

private:
    BSTR text_ = nullptr;
};

}  // namespace quillon::win
