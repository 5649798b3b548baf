#pragma once

#include <oaidl.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "win/ComObject.h"
#include "win/Variant.h"

namespace quillon::standin_server {

// A for-each enumerator over a snapshot of a collection's items; clones
// share the snapshot.
class EnumVariant : public win::ComObject<IEnumVARIANT> {
public:
    explicit EnumVariant(std::shared_ptr<const std::vector<win::Variant>> items, ULONG position = 0)
        : items_(std::move(items)), position_(position) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override;

private:
    std::shared_ptr<const std::vector<win::Variant>> items_;
    ULONG position_;
};

}  // namespace quillon::standin_server
