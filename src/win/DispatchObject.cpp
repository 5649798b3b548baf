#include "win/DispatchObject.h"

#include <chrono>
#include <vector>

#include "win/Utf.h"
#include "win/VariantConversion.h"
#include "win/WinError.h"

namespace quillon::win {

using automation::ObjectPtr;
using automation::Value;
using Microsoft::WRL::ComPtr;

namespace {

bool isBusy(HRESULT hr) { return hr == RPC_E_SERVERCALL_RETRYLATER || hr == RPC_E_CALL_REJECTED; }

// Waits without freezing the windows of the calling thread: only paint
// messages are handled, as COM's own modal loop does, so no user input can
// start new work in the middle of a call.
void waitPumpingPaint(std::chrono::milliseconds pause) {
    using Clock = std::chrono::steady_clock;
    auto until = Clock::now() + pause;
    for (auto now = Clock::now(); now < until; now = Clock::now()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left) + 1, QS_PAINT, 0);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) DispatchMessageW(&message);
    }
}

// Invoke itself can answer "busy" (the message filter covers the rest on
// Windows): try again until the budget is spent, then give up with the last answer.
template <typename Attempt>
HRESULT retryWhileBusy(const RetryPolicy& policy, Attempt&& attempt) {
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        HRESULT hr = attempt();
        if (!isBusy(hr) || std::chrono::steady_clock::now() - start >= policy.budget) return hr;
        waitPumpingPaint(policy.pause);
    }
}

std::string quoted(std::string_view member) { return "'" + std::string(member) + "'"; }

WinError callFailure(HRESULT hr, std::string_view member, const RetryPolicy& policy) {
    if (isBusy(hr)) {
        return WinError(hr, "The application stayed busy and refused " + quoted(member) + " for " +
                                std::to_string(policy.budget.count()) + " ms");
    }
    if (hr == RPC_E_SERVER_DIED || hr == RPC_E_SERVER_DIED_DNE) {
        // Same meaning as a broken connection; one code lets callers react to one kind.
        return WinError(static_cast<HRESULT>(automation::hresult::Disconnected),
                        "The application ended during " + quoted(member) + ": " + systemMessage(hr));
    }
    return WinError::fromHresult(hr, quoted(member));
}

std::string caseKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

// A DISPID the object does not know, or a name it does not have: the server refused before running anything.
bool unknownMember(HRESULT hr) { return hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME; }

// Only an object returned on its own has the interface its member is typed with: the objects of an array may differ.
bool singleObject(const Variant& value) { return value.type() == VT_DISPATCH; }

class ClientObjects : public ObjectBridge {
public:
    // cache: the DISPIDs the objects handed over share; none gives each a cache of its own.
    explicit ClientObjects(const RetryPolicy& retry, std::shared_ptr<DispIdCache> cache = nullptr)
        : retry_(retry), cache_(std::move(cache)) {}

    ComPtr<IDispatch> toDispatch(const ObjectPtr& object) const override {
        if (!object) return nullptr;
        auto* remote = dynamic_cast<DispatchObject*>(object.get());
        if (!remote) {
            throw automation::AutomationError(automation::hresult::TypeMismatch,
                                              "Only objects obtained from the application can be passed to it");
        }
        return remote->dispatch();
    }

    ObjectPtr fromDispatch(ComPtr<IDispatch> dispatch) const override {
        return std::make_shared<DispatchObject>(std::move(dispatch), retry_, cache_);
    }

private:
    const RetryPolicy& retry_;
    std::shared_ptr<DispIdCache> cache_;
};

CLSID classOf(std::string_view progId) {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(toWide(progId).c_str(), &clsid);
    if (FAILED(hr)) throw WinError::fromHresult(hr, "Looking up " + quoted(progId));
    return clsid;
}

ObjectPtr wrapUnknown(const ComPtr<IUnknown>& unknown, std::string_view progId, const RetryPolicy& retry) {
    ComPtr<IDispatch> dispatch;
    HRESULT hr = retryWhileBusy(retry, [&] { return unknown.As(&dispatch); });
    if (FAILED(hr)) throw callFailure(hr, progId, retry);
    return std::make_shared<DispatchObject>(std::move(dispatch), retry);
}

}  // namespace

DispatchObject::DispatchObject(ComPtr<IDispatch> dispatch, RetryPolicy retry, std::shared_ptr<DispIdCache> cache)
    : dispatch_(std::move(dispatch)),
      retry_(retry),
      cache_(cache ? std::move(cache) : std::make_shared<DispIdCache>()) {}

DispatchObject::Target DispatchObject::lookUp(std::string_view member) {
    std::string key = caseKey(member);
    if (auto found = ownIds_.find(key); found != ownIds_.end()) return {found->second, false};
    if (auto shared = cache_->find(key)) return {*shared, true};
    return {askServer(member), false};
}

DISPID DispatchObject::askServer(std::string_view member) {
    std::wstring name = toWide(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr =
        retryWhileBusy(retry_, [&] { return dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); });
    if (FAILED(hr)) throw callFailure(hr, member, retry_);
    std::string key = caseKey(member);
    cache_->remember(key, id);
    ownIds_.insert_or_assign(std::move(key), id);
    return id;
}

Value DispatchObject::get(std::string_view member, std::span<const Value> args) {
    return invoke(member, DISPATCH_PROPERTYGET, args);
}

void DispatchObject::put(std::string_view member, const Value& value) {
    invoke(member, DISPATCH_PROPERTYPUT, std::span<const Value>(&value, 1));
}

Value DispatchObject::call(std::string_view member, std::span<const Value> args) {
    // Visual Basic asks for either, so a parameterless property also answers a call.
    return invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

bool DispatchObject::sameObject(const automation::AutoObject& other) const {
    if (this == &other) return true;
    const auto* theirs = dynamic_cast<const DispatchObject*>(&other);
    if (!theirs || !dispatch_ || !theirs->dispatch_) return false;
    // Answered by the proxy itself, without a call to a server that may be gone.
    ComPtr<IUnknown> mine, their;
    if (FAILED(dispatch_.As(&mine)) || FAILED(theirs->dispatch_.As(&their))) return false;
    return mine.Get() == their.Get();
}

std::vector<ObjectPtr> DispatchObject::enumerate() {
    Variant enumerator = invokeRaw("_NewEnum", {DISPID_NEWENUM, false}, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {});
    ComPtr<IEnumVARIANT> items;
    HRESULT hr = E_NOINTERFACE;
    if (enumerator.type() == VT_UNKNOWN && V_UNKNOWN(enumerator.ptr()))
        hr = V_UNKNOWN(enumerator.ptr())->QueryInterface(IID_PPV_ARGS(&items));
    else if (enumerator.type() == VT_DISPATCH && V_DISPATCH(enumerator.ptr()))
        hr = V_DISPATCH(enumerator.ptr())->QueryInterface(IID_PPV_ARGS(&items));
    if (FAILED(hr)) throw callFailure(hr, "_NewEnum", retry_);

    ClientObjects objects(retry_);
    ClientObjects alike(retry_, itemsOfOneKind_ ? cache_->ofItems() : nullptr);
    std::vector<ObjectPtr> result;
    for (;;) {
        VARIANT batch[16];
        for (auto& item : batch) VariantInit(&item);
        ULONG fetched = 0;
        hr = retryWhileBusy(retry_, [&] { return items->Next(16, batch, &fetched); });
        if (FAILED(hr)) throw callFailure(hr, "_NewEnum", retry_);
        std::vector<Variant> owned;
        for (ULONG i = 0; i < fetched && i < 16; ++i) owned.push_back(Variant::attach(batch[i]));
        for (const auto& item : owned)
            result.push_back(fromVariant(item.get(), singleObject(item) ? alike : objects).toObject());
        if (hr == S_FALSE || fetched == 0) return result;
    }
}

Value DispatchObject::invoke(std::string_view member, WORD flags, std::span<const Value> args) {
    Variant result = invokeRaw(member, lookUp(member), flags, args);
    auto cache = singleObject(result) ? cacheOfResult(member, flags, !args.empty()) : nullptr;
    return fromVariant(result.get(), ClientObjects(retry_, std::move(cache)));
}

std::shared_ptr<DispIdCache> DispatchObject::cacheOfResult(std::string_view member, WORD flags, bool withArguments) {
    if (flags == DISPATCH_PROPERTYGET && !withArguments) return cache_->ofProperty(caseKey(member));
    // A property get with arguments, or a method: only a collection said to hold one kind vouches for the answer.
    if (itemsOfOneKind_) return cache_->ofItems();
    return nullptr;
}

Variant DispatchObject::invokeRaw(std::string_view member, Target target, WORD flags, std::span<const Value> args) {
    ClientObjects objects(retry_);

    // Trailing Missing arguments are left out so the server applies its defaults.
    std::size_t count = args.size();
    while (count > 0 && args[count - 1].isMissing()) --count;
    // DISPPARAMS holds the arguments last to first.
    std::vector<Variant> reversed;
    reversed.reserve(count);
    for (std::size_t i = count; i-- > 0;) reversed.push_back(toVariant(args[i], objects, ArrayUse::Argument));
    return invokeVariants(member, target, flags, reversed);
}

std::vector<Value> DispatchObject::callWithOut(std::string_view member, std::span<const Value> args,
                                               std::size_t outCount) {
    ClientObjects objects(retry_);
    // Each out argument is a BSTR the server fills in, passed by reference as the type library declares it.
    std::vector<BSTR> outs(outCount, nullptr);
    struct Freed {
        std::vector<BSTR>& strings;
        ~Freed() {
            for (BSTR text : strings) SysFreeString(text);
        }
    } freed{outs};
    std::vector<Variant> reversed;
    reversed.reserve(args.size() + outCount);
    for (std::size_t i = outCount; i-- > 0;) {
        Variant slot;
        VARIANT* raw = slot.out();
        V_VT(raw) = VT_BYREF | VT_BSTR;
        V_BSTRREF(raw) = &outs[i];
        reversed.push_back(std::move(slot));
    }
    for (std::size_t i = args.size(); i-- > 0;) reversed.push_back(toVariant(args[i], objects, ArrayUse::Argument));
    invokeVariants(member, lookUp(member), DISPATCH_METHOD, reversed);
    std::vector<Value> answers;
    for (BSTR text : outs) answers.emplace_back(text ? toUtf8(std::wstring_view(text, SysStringLen(text))) : std::string());
    return answers;
}

Variant DispatchObject::invokeVariants(std::string_view member, Target target, WORD flags,
                                       std::vector<Variant>& reversed) {
    // Variant is a VARIANT with no other members, so the vector is the array DISPPARAMS wants.
    static_assert(sizeof(Variant) == sizeof(VARIANT));

    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.front().ptr();
    params.cArgs = static_cast<UINT>(reversed.size());
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }

    Variant result;
    EXCEPINFO exception{};
    auto attempt = [&](DISPID id) {
        return retryWhileBusy(retry_, [&] {
            exception = EXCEPINFO{};
            UINT argumentError = 0;
            return dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                     flags == DISPATCH_PROPERTYPUT ? nullptr : result.out(), &exception,
                                     &argumentError);
        });
    };
    HRESULT hr = attempt(target.id);
    if (target.borrowed && unknownMember(hr)) {
        // This object is not of the interface the DISPID was learnt from after all: the shared number is
        // dropped, and this object's own answer, asked once, is the one the cache keeps from now on.
        cache_->forget(caseKey(member), target.id);
        hr = attempt(askServer(member));
    }
    if (hr == DISP_E_EXCEPTION) throw WinError::fromExcepInfo(exception);
    if (FAILED(hr)) throw callFailure(hr, member, retry_);
    return result;
}

ObjectPtr connectRunning(std::string_view progId, RetryPolicy retry) {
    CLSID clsid = classOf(progId);
    ComPtr<IUnknown> unknown;
    HRESULT hr = GetActiveObject(clsid, nullptr, &unknown);
    if (FAILED(hr)) throw WinError::fromHresult(hr, "Attaching to a running " + quoted(progId));
    return wrapUnknown(unknown, progId, retry);
}

ObjectPtr createInstance(std::string_view progId, RetryPolicy retry) {
    CLSID clsid = classOf(progId);
    ComPtr<IUnknown> unknown;
    // The application is always a program of its own: an in-process
    // registration under its name would share this process's fate, so only
    // a local server is accepted.
    HRESULT hr = retryWhileBusy(retry, [&] {
        return CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(unknown.ReleaseAndGetAddressOf()));
    });
    if (FAILED(hr)) throw WinError::fromHresult(hr, "Starting " + quoted(progId));
    return wrapUnknown(unknown, progId, retry);
}

}  // namespace quillon::win
