#include "autocad/CallMonitor.h"

namespace quillon::autocad {

void CallMonitor::beginCall(std::string call) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.inCall = true;
    state_.call = std::move(call);
    state_.since = Clock::now();
    ++state_.callNumber;
}

void CallMonitor::endCall() {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.inCall = false;
}

CallMonitor::Snapshot CallMonitor::snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

void CallMonitor::setServer(std::optional<std::uint32_t> process, bool startedByQuillon) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_.serverProcess = process;
        state_.startedByQuillon = startedByQuillon;
    }
    if (observer_) observer_(process, startedByQuillon);
}

void CallMonitor::markEndedByWatchdog() {
    std::lock_guard<std::mutex> lock(mutex_);
    endedByWatchdog_ = true;
    endedCall_ = state_.inCall ? state_.call : std::string();
}

std::string CallMonitor::endedCall() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return endedCall_;
}

bool CallMonitor::takeEndedByWatchdog() {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool ended = endedByWatchdog_;
    endedByWatchdog_ = false;
    return ended;
}

}  // namespace quillon::autocad
