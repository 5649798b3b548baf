#include "plotting/RunLedger.h"

namespace quillon::plotting {

RunLedger::RunLedger(std::vector<std::pair<int, std::string>> drawings, Writer writer, RunPurpose purpose)
    : writer_(std::move(writer)), drawings_(std::move(drawings)), purpose_(purpose) {}

void RunLedger::takenUp(int session, int entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || givenUp_.count(session)) return;
    inHand_[session] = entry;
}

void RunLedger::record(int entry, const DrawingOutcome& outcome) {
    done_[entry] = true;
    if (!writer_) return;
    try {
        writer_(outcome);
    } catch (...) {
        // A report that cannot be written costs the run nothing.
    }
}

bool RunLedger::finished(int session, int entry, const DrawingOutcome& outcome) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || givenUp_.count(session)) return false;
    const auto held = inHand_.find(session);
    if (held != inHand_.end() && held->second == entry) inHand_.erase(held);
    record(entry, outcome);
    return true;
}

DrawingOutcome RunLedger::ended(int entry, DrawingOutcome::Kind kind, const std::string& reason) {
    DrawingOutcome outcome;
    outcome.kind = kind;
    outcome.purpose = purpose_;
    outcome.detail = reason;
    for (const auto& [listed, path] : drawings_)
        if (listed == entry) outcome.path = path;
    outcome.started = std::chrono::system_clock::now();
    return outcome;
}

std::optional<std::pair<int, DrawingOutcome>> RunLedger::giveUp(int session, const std::string& reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || givenUp_.count(session)) return std::nullopt;
    givenUp_[session] = true;
    const auto held = inHand_.find(session);
    if (held == inHand_.end()) return std::nullopt;
    const int entry = held->second;
    inHand_.erase(held);
    if (done_.count(entry)) return std::nullopt;
    auto outcome = ended(entry, DrawingOutcome::Kind::Failed, reason);
    record(entry, outcome);
    return std::make_pair(entry, outcome);
}

bool RunLedger::givenUp(int session) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_ || givenUp_.count(session) > 0;
}

std::vector<std::pair<int, DrawingOutcome>> RunLedger::close(const std::string& inHandReason,
                                                             const std::string& notStartedReason) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::pair<int, DrawingOutcome>> decided;
    if (closed_) return decided;
    closed_ = true;
    std::map<int, bool> held;
    for (const auto& [session, entry] : inHand_) held[entry] = true;
    for (const auto& [entry, path] : drawings_) {
        if (done_.count(entry)) continue;
        auto outcome = held.count(entry) ? ended(entry, DrawingOutcome::Kind::Failed, inHandReason)
                                         : ended(entry, DrawingOutcome::Kind::NotStarted, notStartedReason);
        record(entry, outcome);
        decided.emplace_back(entry, std::move(outcome));
    }
    inHand_.clear();
    return decided;
}

}  // namespace quillon::plotting
