#pragma once

#include <objidl.h>
#include <windows.h>

#include "win/RetryPolicy.h"

namespace quillon::win {

// Registers a message filter for this thread for the object's life. When the
// server rejects a call as busy, COM asks the filter and this one has the call
// retried until the policy's budget is spent; the previous filter comes back
// afterwards. Wine never consults the filter: DispatchObject retries as well.
class MessageFilterScope {
public:
    explicit MessageFilterScope(RetryPolicy retry = {});
    ~MessageFilterScope();
    MessageFilterScope(const MessageFilterScope&) = delete;
    MessageFilterScope& operator=(const MessageFilterScope&) = delete;

private:
    IMessageFilter* previous_ = nullptr;
};

// The filter's answer to a rejected call after elapsedMs: a delay in
// milliseconds before the retry, or -1 (as DWORD) to give up.
DWORD retryDecision(DWORD elapsedMs, DWORD rejectType, const RetryPolicy& retry);

}  // namespace quillon::win
