#include "standin/server/EngineDispatch.h"

#include <map>
#include <new>
#include <string>
#include <vector>

#include "automation/AutomationError.h"
#include "standin/TextCase.h"
#include "standin/server/EnumVariant.h"
#include "win/Bstr.h"
#include "win/Utf.h"
#include "win/VariantConversion.h"

namespace quillon::standin_server {

using automation::AutomationError;
using automation::FailureKind;
using automation::ObjectPtr;
using automation::Value;
using Microsoft::WRL::ComPtr;

namespace {

// Asked of a dispatch pointer to learn whether it is one of this process's
// adapters; never registered, never leaves the process.
// {6F1D7C52-3E0B-4D8A-9B57-2C4E1A9F0D63}
const IID IID_StandinObject = {0x6f1d7c52, 0x3e0b, 0x4d8a, {0x9b, 0x57, 0x2c, 0x4e, 0x1a, 0x9f, 0x0d, 0x63}};

constexpr const wchar_t* kErrorSource = L"AutoCAD.Application";

class ServerObjects : public win::ObjectBridge {
public:
    explicit ServerObjects(std::shared_ptr<StandinHost> host) : host_(std::move(host)) {}

    ComPtr<IDispatch> toDispatch(const ObjectPtr& object) const override {
        if (!object) return nullptr;
        auto engineObject = std::dynamic_pointer_cast<standin::EngineObject>(object);
        if (!engineObject) throw AutomationError(automation::hresult::Fail, "The engine returned a foreign object");
        return EngineDispatch::forObject(std::move(engineObject), host_);
    }

    ObjectPtr fromDispatch(ComPtr<IDispatch> dispatch) const override {
        auto engineObject = EngineDispatch::engineObjectOf(dispatch.Get());
        if (!engineObject) {
            throw AutomationError(automation::hresult::TypeMismatch, "The object does not belong to this application");
        }
        return engineObject;
    }

private:
    std::shared_ptr<StandinHost> host_;
};

void fillException(EXCEPINFO* exception, HRESULT code, const std::string& description) {
    *exception = EXCEPINFO{};
    exception->bstrSource = win::Bstr(kErrorSource).release();
    exception->bstrDescription = win::Bstr::fromUtf8(description).release();
    exception->scode = code;
}

}  // namespace

// The adapters alive now, by engine object. The server's objects live in one apartment, so every
// creation and destruction happens on its thread.
static std::map<const standin::EngineObject*, EngineDispatch*>& liveAdapters() {
    static std::map<const standin::EngineObject*, EngineDispatch*> adapters;
    return adapters;
}

EngineDispatch::EngineDispatch(std::shared_ptr<standin::EngineObject> object, std::shared_ptr<StandinHost> host)
    : object_(std::move(object)), host_(std::move(host)) {
    liveAdapters().emplace(object_.get(), this);
}

EngineDispatch::~EngineDispatch() {
    auto& adapters = liveAdapters();
    auto found = adapters.find(object_.get());
    if (found != adapters.end() && found->second == this) adapters.erase(found);
}

ComPtr<IDispatch> EngineDispatch::forObject(std::shared_ptr<standin::EngineObject> object,
                                            std::shared_ptr<StandinHost> host) {
    ComPtr<IDispatch> dispatch;
    auto& adapters = liveAdapters();
    if (auto found = adapters.find(object.get()); found != adapters.end()) {
        dispatch = static_cast<IDispatch*>(found->second);  // takes its own reference
        return dispatch;
    }
    dispatch.Attach(new EngineDispatch(std::move(object), std::move(host)));
    return dispatch;
}

std::shared_ptr<standin::EngineObject> EngineDispatch::engineObjectOf(IDispatch* dispatch) {
    if (!dispatch) return nullptr;
    IDispatch* ours = nullptr;
    if (FAILED(dispatch->QueryInterface(IID_StandinObject, reinterpret_cast<void**>(&ours))) || !ours) return nullptr;
    auto object = static_cast<EngineDispatch*>(ours)->object_;
    ours->Release();
    return object;
}

void* EngineDispatch::queryOther(REFIID iid) {
    return iid == IID_StandinObject ? static_cast<IDispatch*>(this) : nullptr;
}

HRESULT STDMETHODCALLTYPE EngineDispatch::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EngineDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE EngineDispatch::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids) return E_POINTER;
    try {
        host_->lookups.record(object_->label(), count > 0 && names[0] ? win::toUtf8(names[0]) : std::string());
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            std::string name = win::toUtf8(names[i] ? names[i] : L"");
            // Only the member name (the first) can be known: named arguments are not supported.
            if (i == 0 && object_->hasMember(name)) {
                ids[i] = host_->names.idFor(name);
            } else {
                ids[i] = DISPID_UNKNOWN;
                hr = DISP_E_UNKNOWNNAME;
            }
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE EngineDispatch::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                                 VARIANT* result, EXCEPINFO* exception, UINT*) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!params) return E_POINTER;
    if (result) VariantInit(result);

    auto& engine = *host_->engine;
    auto failure = [&](HRESULT code, const std::string& description) {
        if (!exception) return code;
        fillException(exception, code, description);
        return DISP_E_EXCEPTION;
    };
    HRESULT hr = S_OK;
    try {
        hr = invokeMember(id, flags, *params, result);
    } catch (const AutomationError& error) {
        switch (error.kind()) {
            case FailureKind::Busy:
                return static_cast<HRESULT>(error.code());
            case FailureKind::Disconnected:
                host_->onCrash(true);
                return static_cast<HRESULT>(error.code());
            case FailureKind::Failed:
                hr = failure(static_cast<HRESULT>(error.code()), error.description());
                break;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        hr = failure(E_FAIL, error.what());
    }

    if (engine.crashed())
        host_->onCrash(false);
    else if (engine.quitRequested())
        host_->onQuit();
    return hr;
}

HRESULT EngineDispatch::invokeMember(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result) {
    ServerObjects objects(host_);

    if (id == DISPID_NEWENUM) {
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (!result) return E_POINTER;
        auto items = std::make_shared<std::vector<win::Variant>>();
        for (const auto& item : object_->enumerate()) items->push_back(win::toVariant(Value(item), objects));
        V_UNKNOWN(result) = static_cast<IEnumVARIANT*>(new EnumVariant(std::move(items)));
        V_VT(result) = VT_UNKNOWN;
        return S_OK;
    }

    // The default member of a collection is Item, so Layouts("Model") works.
    std::optional<std::string> name;
    if (id == DISPID_VALUE && object_->hasMember("Item"))
        name = "Item";
    else
        name = host_->names.nameOf(id);
    if (!name) return DISP_E_MEMBERNOTFOUND;

    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTOPTIONAL;
        if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        object_->put(*name, win::fromVariant(params.rgvarg[0], objects));
        return S_OK;
    }
    if (params.cNamedArgs != 0) return DISP_E_NONAMEDARGS;

    // DISPPARAMS holds the arguments last to first.
    std::vector<Value> args;
    args.reserve(params.cArgs);
    for (UINT i = params.cArgs; i-- > 0;) args.push_back(win::fromVariant(params.rgvarg[i], objects));

    // A selection's filter is checked by type, as the application's Select checks it: the group codes an
    // array of 16-bit integers, the values an array of variants.
    if ((flags & DISPATCH_METHOD) && standin::equalsNoCase(*name, "Select") && params.cArgs >= 5) {
        const VARTYPE codes = V_VT(&params.rgvarg[params.cArgs - 4]);
        const VARTYPE values = V_VT(&params.rgvarg[params.cArgs - 5]);
        if (codes != (VT_ARRAY | VT_I2))
            throw AutomationError(automation::hresult::InvalidArg, "Invalid argument FilterType in Select");
        if (values != (VT_ARRAY | VT_VARIANT))
            throw AutomationError(automation::hresult::InvalidArg, "Invalid argument FilterData in Select");
    }
    // Out arguments ([out] BSTR*, as GetCustomByIndex declares them) come last, each a string by reference;
    // the member says how many it has (a caller may pass ordinary arguments by reference too).
    const std::size_t outs = (flags & DISPATCH_METHOD) ? object_->outArgumentCount(*name) : 0;
    if (outs > 0) {
        if (params.cArgs < outs) return DISP_E_PARAMNOTOPTIONAL;
        for (std::size_t k = 0; k < outs; ++k) {
            const VARTYPE slot = V_VT(&params.rgvarg[k]);
            if (slot != (VT_BYREF | VT_BSTR) && slot != (VT_BYREF | VT_VARIANT)) return DISP_E_TYPEMISMATCH;
        }
        const std::vector<Value> in(args.begin(), args.end() - static_cast<std::ptrdiff_t>(outs));
        const std::vector<Value> answers = object_->callWithOut(*name, in, outs);
        for (std::size_t k = 0; k < outs && k < answers.size(); ++k) {
            VARIANT& slot = params.rgvarg[outs - 1 - k];
            if (V_VT(&slot) == (VT_BYREF | VT_BSTR)) {
                SysFreeString(*V_BSTRREF(&slot));
                *V_BSTRREF(&slot) = win::Bstr::fromUtf8(answers[k].toText()).release();
            } else {
                VariantClear(V_VARIANTREF(&slot));
                *V_VARIANTREF(&slot) = win::toVariant(answers[k], objects).release();
            }
        }
        return S_OK;
    }

    // A caller that accepts either (as Visual Basic does) gets the property
    // when the member is one; asking for exactly one kind gets exactly that.
    bool method = (flags & DISPATCH_METHOD) != 0;
    bool property = (flags & DISPATCH_PROPERTYGET) != 0;
    Value value;
    if (method && (!property || object_->isMethod(*name)))
        value = object_->call(*name, args);
    else if (property)
        value = object_->get(*name, args);
    else
        return DISP_E_MEMBERNOTFOUND;
    if (result) *result = win::toVariant(value, objects).release();
    return S_OK;
}

DWORD STDMETHODCALLTYPE EngineDispatch::AddConnection(DWORD type, DWORD) {
    if (type & EXTCONN_STRONG) {
        ++connections_;
        host_->addConnection();
    }
    return connections_;
}

DWORD STDMETHODCALLTYPE EngineDispatch::ReleaseConnection(DWORD type, DWORD, BOOL) {
    if ((type & EXTCONN_STRONG) && connections_ > 0) {
        --connections_;
        host_->releaseConnection();
    }
    return connections_;
}

}  // namespace quillon::standin_server
