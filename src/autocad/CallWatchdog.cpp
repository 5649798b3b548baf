#include "autocad/CallWatchdog.h"

namespace quillon::autocad {

std::string CallWatchdog::durationText(Clock::duration waited) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(waited).count();
    if (seconds < 60) return std::to_string(seconds) + " s";
    return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
}

CallWatchdog::Verdict CallWatchdog::check(const CallMonitor::Snapshot& call, Clock::time_point now, bool stopping) {
    Verdict verdict;
    if (!call.inCall) return verdict;
    const auto waited = call.waited(now);
    if (waited < announceAfter_) return verdict;
    const std::string waiting = (stopping ? "Stopping: the run ends once AutoCAD answers " : "Waiting for AutoCAD to answer ") +
                                call.call + " (" + durationText(waited) + ") ...";
    verdict.text = waiting;
    const bool opening = call.call == OpenCall;
    if (waited < (opening ? openLimit_ : limit_) || givenUpOn_ == call.callNumber) {
        verdict.action = Verdict::Action::Announce;
        return verdict;
    }
    givenUpOn_ = call.callNumber;
    if (failedCall_ != call.callNumber) failedEnds_ = 0;
    // The open waits on a box of the application's: said as such, not as an application that stopped answering.
    const std::string what = opening ? std::string(AskedWhileOpening) + " (" + durationText(waited) + ")"
                                     : "AutoCAD stopped answering (" + call.call + ", " + durationText(waited) + ")";
    if (call.startedByQuillon && call.serverProcess && failedEnds_ >= MaxEndAttempts) {
        verdict.action = Verdict::Action::Abandon;
        verdict.text = what + " and could not be ended (" + std::to_string(MaxEndAttempts) +
                       " attempts). It is left running; Quillon goes on without it.";
    } else if (call.startedByQuillon && call.serverProcess) {
        verdict.action = Verdict::Action::EndProcess;
        verdict.text = what + ". Quillon is ending the AutoCAD it started and goes on.";
    } else {
        verdict.action = Verdict::Action::Abandon;
        verdict.text = what + ". It is left running.";
    }
    return verdict;
}

}  // namespace quillon::autocad
