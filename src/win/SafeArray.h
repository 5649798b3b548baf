#pragma once

// ole2.h brings windows.h in first, then the BSTR and VARIANT functions.
#include <ole2.h>

#include <cstddef>
#include <utility>

#include "win/Bstr.h"
#include "win/Variant.h"

namespace quillon::win {

// Owns one SAFEARRAY. Element access copies in and out, so the array keeps
// sole ownership of what it holds.
class SafeArray {
public:
    SafeArray() noexcept = default;
    // A one-dimensional array of count elements of type vt, numbered from lowerBound.
    static SafeArray createVector(VARTYPE vt, std::size_t count, LONG lowerBound = 0);
    static SafeArray attach(SAFEARRAY* array) noexcept;
    ~SafeArray() { reset(); }

    SafeArray(SafeArray&& other) noexcept : array_(other.release()) {}
    SafeArray& operator=(SafeArray&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;

    SAFEARRAY* get() const noexcept { return array_; }
    SAFEARRAY* release() noexcept { return std::exchange(array_, nullptr); }
    void reset(SAFEARRAY* array = nullptr) noexcept;

    VARTYPE elementType() const;
    // Bounds and size of the first dimension.
    LONG lowerBound() const;
    LONG upperBound() const;
    std::size_t size() const;

    // Indexes run from lowerBound() to upperBound(). An element of a
    // VT_VARIANT array comes back as itself, any other as a VARIANT of the
    // array's element type.
    Variant elementAt(LONG index) const;
    void putVariant(LONG index, const VARIANT& value);
    void putBstr(LONG index, const Bstr& value);
    void putShort(LONG index, SHORT value);

private:
    SAFEARRAY* array_ = nullptr;
};

}  // namespace quillon::win
