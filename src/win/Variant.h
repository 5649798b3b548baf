#pragma once

// ole2.h brings windows.h in first, then the BSTR and VARIANT functions.
#include <ole2.h>

namespace quillon::win {

// Owns one VARIANT and clears it (releasing strings, arrays and objects).
class Variant {
public:
    Variant() noexcept { VariantInit(&value_); }
    // Takes ownership of the contents of raw and leaves raw empty.
    static Variant attach(VARIANT& raw) noexcept;
    ~Variant() { VariantClear(&value_); }

    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant&& other) noexcept;
    Variant(const Variant& other);
    Variant& operator=(const Variant& other);

    const VARIANT& get() const noexcept { return value_; }
    VARIANT* ptr() noexcept { return &value_; }
    VARTYPE type() const noexcept { return V_VT(&value_); }

    // Empties the variant and hands it out for a call to fill.
    VARIANT* out() noexcept {
        clear();
        return &value_;
    }
    void clear() noexcept;
    // Hands the contents to the caller, who must clear them.
    VARIANT release() noexcept;

private:
    VARIANT value_;
};

}  // namespace quillon::win
