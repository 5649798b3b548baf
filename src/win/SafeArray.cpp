#include "win/SafeArray.h"

#include <climits>
#include <new>

#include "win/WinError.h"

namespace quillon::win {

SafeArray SafeArray::createVector(VARTYPE vt, std::size_t count, LONG lowerBound) {
    if (count > ULONG_MAX) throw std::bad_alloc();
    SAFEARRAY* array = SafeArrayCreateVector(vt, lowerBound, static_cast<ULONG>(count));
    if (!array) throw WinError::fromHresult(E_OUTOFMEMORY, "Creating an array");
    return attach(array);
}

SafeArray SafeArray::attach(SAFEARRAY* array) noexcept {
    SafeArray result;
    result.array_ = array;
    return result;
}

void SafeArray::reset(SAFEARRAY* array) noexcept {
    // Destroying fails only for a locked array, which this class never leaves locked.
    if (SAFEARRAY* old = std::exchange(array_, array)) SafeArrayDestroy(old);
}

VARTYPE SafeArray::elementType() const {
    VARTYPE vt = VT_EMPTY;
    throwIfFailed(SafeArrayGetVartype(array_, &vt), "Reading an array's element type");
    return vt;
}

LONG SafeArray::lowerBound() const {
    LONG bound = 0;
    throwIfFailed(SafeArrayGetLBound(array_, 1, &bound), "Reading an array's bounds");
    return bound;
}

LONG SafeArray::upperBound() const {
    LONG bound = 0;
    throwIfFailed(SafeArrayGetUBound(array_, 1, &bound), "Reading an array's bounds");
    return bound;
}

std::size_t SafeArray::size() const {
    if (!array_) return 0;
    LONG lower = lowerBound();
    LONG upper = upperBound();
    return upper < lower ? 0 : static_cast<std::size_t>(static_cast<long long>(upper) - lower + 1);
}

Variant SafeArray::elementAt(LONG index) const {
    VARTYPE vt = elementType();
    Variant value;
    if (vt == VT_VARIANT) {
        throwIfFailed(SafeArrayGetElement(array_, &index, value.out()), "Reading an array element");
        return value;
    }
    // Decimals fill the whole VARIANT and records need their type information:
    // neither fits the value union that the copy below writes into.
    if (vt == VT_DECIMAL || vt == VT_RECORD) throw WinError::fromHresult(DISP_E_BADVARTYPE, "Reading an array element");
    VARIANT* raw = value.out();
    // SafeArrayGetElement copies one element, adding a reference or
    // duplicating a string as needed, into the union of the VARIANT.
    throwIfFailed(SafeArrayGetElement(array_, &index, &V_UI1(raw)), "Reading an array element");
    V_VT(raw) = vt;
    return value;
}

void SafeArray::putVariant(LONG index, const VARIANT& value) {
    throwIfFailed(SafeArrayPutElement(array_, &index, const_cast<VARIANT*>(&value)), "Writing an array element");
}

void SafeArray::putBstr(LONG index, const Bstr& value) {
    throwIfFailed(SafeArrayPutElement(array_, &index, value.get()), "Writing an array element");
}

void SafeArray::putShort(LONG index, SHORT value) {
    throwIfFailed(SafeArrayPutElement(array_, &index, &value), "Writing an array element");
}

}  // namespace quillon::win
