#include "win/MessageFilter.h"

#include "win/ComObject.h"
#include "win/WinError.h"

namespace quillon::win {

namespace {

class BusyMessageFilter : public ComObject<IMessageFilter> {
public:
    explicit BusyMessageFilter(RetryPolicy retry) : retry_(retry) {}

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override {
        return retryDecision(elapsedMs, rejectType, retry_);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        // Let COM's modal loop do its default: paint and system messages
        // go through, input waits until the call is over.
        return PENDINGMSG_WAITDEFPROCESS;
    }

private:
    RetryPolicy retry_;
};

}  // namespace

DWORD retryDecision(DWORD elapsedMs, DWORD rejectType, const RetryPolicy& retry) {
    bool busy = rejectType == SERVERCALL_RETRYLATER || rejectType == SERVERCALL_REJECTED;
    if (!busy || elapsedMs >= static_cast<DWORD>(retry.budget.count())) return static_cast<DWORD>(-1);
    return static_cast<DWORD>(retry.pause.count());
}

MessageFilterScope::MessageFilterScope(RetryPolicy retry) {
    auto* filter = new BusyMessageFilter(retry);
    HRESULT hr = CoRegisterMessageFilter(filter, &previous_);
    // COM holds its own reference once registered.
    filter->Release();
    throwIfFailed(hr, "Registering the message filter");
}

MessageFilterScope::~MessageFilterScope() {
    IMessageFilter* ours = nullptr;
    CoRegisterMessageFilter(previous_, &ours);
    if (ours) ours->Release();
    if (previous_) previous_->Release();
}

}  // namespace quillon::win
