#include "standin/server/EnumVariant.h"

#include <new>

namespace quillon::standin_server {

HRESULT STDMETHODCALLTYPE EnumVariant::Next(ULONG count, VARIANT* out, ULONG* fetched) {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG done = 0;
    while (done < count && position_ < items_->size()) {
        VariantInit(&out[done]);
        // mingw declares the source without the const the Windows SDK gives it.
        HRESULT hr = VariantCopy(&out[done], const_cast<VARIANT*>(&(*items_)[position_].get()));
        if (FAILED(hr)) {
            for (ULONG i = 0; i < done; ++i) VariantClear(&out[i]);
            if (fetched) *fetched = 0;
            return hr;
        }
        ++done;
        ++position_;
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE EnumVariant::Skip(ULONG count) {
    ULONG left = static_cast<ULONG>(items_->size()) - position_;
    ULONG skipped = count < left ? count : left;
    position_ += skipped;
    return skipped == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE EnumVariant::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EnumVariant::Clone(IEnumVARIANT** out) {
    if (!out) return E_POINTER;
    try {
        *out = new EnumVariant(items_, position_);
        return S_OK;
    } catch (const std::bad_alloc&) {
        *out = nullptr;
        return E_OUTOFMEMORY;
    }
}

}  // namespace quillon::standin_server
