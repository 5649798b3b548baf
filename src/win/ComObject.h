#pragma once

#include <unknwn.h>
#include <windows.h>

#include <atomic>

namespace quillon::win {

// COM interfaces have no virtual destructor by design: objects are destroyed
// through Release, never through an interface pointer.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

// Reference counting and QueryInterface for a COM object implemented here.
// Create with new; the last Release deletes it. A derived class answers
// further interfaces by overriding queryOther.
template <typename... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown)
            *out = static_cast<IUnknown*>(static_cast<First*>(this));
        else
            static_cast<void>(
                ((iid == __uuidof(Interfaces) ? (*out = static_cast<Interfaces*>(this), true) : false) || ...));
        if (!*out) *out = queryOther(iid);
        if (!*out) return E_NOINTERFACE;
        static_cast<IUnknown*>(*out)->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;
    // An interface beyond those listed, not yet AddRef'd; null when not supported.
    virtual void* queryOther(REFIID) { return nullptr; }

private:
    template <typename T, typename...>
    struct FirstOf {
        using Type = T;
    };
    using First = typename FirstOf<Interfaces...>::Type;

    std::atomic<ULONG> references_{1};
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace quillon::win
