#include "win/Variant.h"

#include <utility>

#include "win/WinError.h"

namespace quillon::win {

Variant Variant::attach(VARIANT& raw) noexcept {
    Variant result;
    result.value_ = raw;
    VariantInit(&raw);
    return result;
}

Variant::Variant(Variant&& other) noexcept : value_(other.release()) {}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        clear();
        value_ = other.release();
    }
    return *this;
}

Variant::Variant(const Variant& other) {
    VariantInit(&value_);
    // mingw declares the source without the const the Windows SDK gives it.
    throwIfFailed(VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)), "Copying a VARIANT");
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) {
        Variant copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void Variant::clear() noexcept {
    // Clearing fails only for a variant that holds garbage; it is reset to empty either way.
    VariantClear(&value_);
    VariantInit(&value_);
}

VARIANT Variant::release() noexcept {
    VARIANT contents = value_;
    VariantInit(&value_);
    return contents;
}

}  // namespace quillon::win
