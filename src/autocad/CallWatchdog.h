#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "autocad/CallMonitor.h"

namespace quillon::autocad {

// Decides, at each tick of the window's clock, what to do about the CAD
// call in progress: nothing while it is short, say which call is waited on
// once it lasts, and once it has outlasted the limit end the application
// when Quillon started it (and knows its process), or give up on it when it
// is the user's, which Quillon never ends. Each call is given up on once, or,
// when ending its application fails, at most MaxEndAttempts times. Opening a
// drawing has a shorter limit of its own: an open that outlasts it waits on a
// question the application asked, which nobody answers.
class CallWatchdog {
public:
    using Clock = CallMonitor::Clock;

    struct Verdict {
        enum class Action { None, Announce, EndProcess, Abandon };
        Action action = Action::None;
        // Status text for Announce, EndProcess and Abandon.
        std::string text;
    };

    CallWatchdog(Clock::duration announceAfter, Clock::duration limit, Clock::duration openLimit)
        : announceAfter_(announceAfter), limit_(limit), openLimit_(std::min(openLimit, limit)) {}
    // The monitor's name of the call that opens a drawing.
    static constexpr const char* OpenCall = "Documents.Open";
    // Why a drawing whose open outlasted its limit failed.
    static constexpr const char* AskedWhileOpening = "AutoCAD asked a question while opening this drawing";

    // stopping: Stop was taken and the run ends once the call returns, which the text says.
    Verdict check(const CallMonitor::Snapshot& call, Clock::time_point now, bool stopping = false);
    // The application could not be ended: the call is given up on again at the next check, up to
    // MaxEndAttempts attempts in all; then the session is abandoned (a process Quillon may not end
    // would otherwise keep an unattended run from ever ending).
    void retry() {
        failedCall_ = givenUpOn_;
        ++failedEnds_;
        givenUpOn_ = 0;
    }
    static constexpr int MaxEndAttempts = 3;

    // "12 s", "3 min 5 s"
    static std::string durationText(Clock::duration waited);

private:
    Clock::duration announceAfter_;
    Clock::duration limit_;
    Clock::duration openLimit_;
    std::uint64_t givenUpOn_ = 0;
    // Attempts to end the application that failed, for the call failedCall_.
    std::uint64_t failedCall_ = 0;
    int failedEnds_ = 0;
};

}  // namespace quillon::autocad
