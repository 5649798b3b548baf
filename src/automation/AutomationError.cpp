#include "automation/AutomationError.h"

#include <cstdio>

namespace quillon::automation {

FailureKind classifyFailure(std::int32_t code) {
    switch (code) {
        case hresult::CallRejected:
        case hresult::RetryLater: return FailureKind::Busy;
        case hresult::Disconnected:
        case hresult::ServerUnavailable:
        case hresult::CallFailed:
        case hresult::ObjectNotConnected: return FailureKind::Disconnected;
        default: return FailureKind::Failed;
    }
}

std::string hresultText(std::int32_t code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(code));
    return buffer;
}

namespace {
std::string whatText(std::int32_t code, const std::string& description) {
    return description.empty() ? "Automation error " + hresultText(code) : description + " (" + hresultText(code) + ")";
}
}  // namespace

AutomationError::AutomationError(std::int32_t code, std::string description)
    : std::runtime_error(whatText(code, description)), code_(code), description_(std::move(description)) {}

}  // namespace quillon::automation
