#pragma once

#include <oaidl.h>
#include <windows.h>

#include "win/ComObject.h"

namespace quillon::wintest {

// An IDispatch that answers nothing but counts how many of its kind are
// alive, so tests can see who releases what.
class CountedObject : public win::ComObject<IDispatch> {
public:
    static inline int alive = 0;
    CountedObject() { ++alive; }
    ~CountedObject() override { --alive; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

}  // namespace quillon::wintest
