#pragma once

#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "automation/AutoObject.h"
#include "win/DispIdCache.h"
#include "win/RetryPolicy.h"
#include "win/Variant.h"

namespace quillon::win {

// An automation object reached through late-bound IDispatch, called the way
// Visual Basic calls it. Failures throw AutomationError (as WinError): the
// server's own code and description for an exception it raised, Busy once
// the retry budget is spent, Disconnected when the server process is gone.
// RPC_E_SERVERFAULT (the server faulted inside one call) stays an ordinary
// failure: the process may well live on. Use it on the thread that made it.
// Member DISPIDs are looked up once per interface rather than once per
// object where the way an object was reached tells its interface (see
// DispIdCache); a shared DISPID this object does not know is looked up again
// on it before the call counts as failed.
class DispatchObject : public automation::AutoObject {
public:
    // cache: the DISPIDs of the interface dispatch is known to be of; none for one of its own.
    explicit DispatchObject(Microsoft::WRL::ComPtr<IDispatch> dispatch, RetryPolicy retry = {},
                            std::shared_ptr<DispIdCache> cache = nullptr);

    automation::Value get(std::string_view member, std::span<const automation::Value> args = {}) override;
    void put(std::string_view member, const automation::Value& value) override;
    automation::Value call(std::string_view member, std::span<const automation::Value> args = {}) override;
    std::vector<automation::Value> callWithOut(std::string_view member, std::span<const automation::Value> args,
                                               std::size_t outCount) override;
    std::vector<automation::ObjectPtr> enumerate() override;
    void declareItemsOfOneKind() override { itemsOfOneKind_ = true; }
    // COM's identity rule: the same object answers IUnknown with the same pointer.
    bool sameObject(const automation::AutoObject& other) const override;
    using AutoObject::call;

    IDispatch* dispatch() const noexcept { return dispatch_.Get(); }

    // The member's DISPID, asked of the server once per name and interface (names are case-insensitive).
    DISPID dispIdOf(std::string_view member) { return lookUp(member).id; }

private:
    struct Target {
        DISPID id;
        bool borrowed;  // learnt from another object of the same interface, not from this one
    };
    Target lookUp(std::string_view member);
    DISPID askServer(std::string_view member);

    automation::Value invoke(std::string_view member, WORD flags, std::span<const automation::Value> args);
    Variant invokeRaw(std::string_view member, Target target, WORD flags, std::span<const automation::Value> args);
    // The call with its arguments made already, last first, as DISPPARAMS holds them.
    Variant invokeVariants(std::string_view member, Target target, WORD flags, std::vector<Variant>& reversed);
    // The cache for an object this call returned, when the way it was reached tells its interface.
    std::shared_ptr<DispIdCache> cacheOfResult(std::string_view member, WORD flags, bool withArguments);

    Microsoft::WRL::ComPtr<IDispatch> dispatch_;
    RetryPolicy retry_;
    std::shared_ptr<DispIdCache> cache_;
    // What this object itself answered: never worth asking again.
    std::map<std::string, DISPID, std::less<>> ownIds_;
    bool itemsOfOneKind_ = false;
};

// The instance already running for progId, from the running object table;
// MK_E_UNAVAILABLE when there is none, CO_E_CLASSSTRING when progId is not registered.
automation::ObjectPtr connectRunning(std::string_view progId, RetryPolicy retry = {});
// A new instance of progId's local server.
automation::ObjectPtr createInstance(std::string_view progId, RetryPolicy retry = {});

}  // namespace quillon::win
