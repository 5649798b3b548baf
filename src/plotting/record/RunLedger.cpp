#include "plotting/record/RunLedger.h"

#include "base/Swallowed.h"

namespace quillon::plotting {

RunLedger::RunLedger(std::vector<std::pair<int, std::string>> drawings, Writer writer, RunPurpose purpose)
    : writer_(std::move(writer)), purpose_(purpose) {
    for (auto& [entry, path] : drawings) {
        entries_.push_back(entry);
        DrawingOutcome outcome;
        outcome.kind = DrawingOutcome::Kind::NotStarted;
        outcome.purpose = purpose;
        outcome.path = std::move(path);
        record_.push_back(std::move(outcome));
    }
    done_.assign(record_.size(), false);
}

std::optional<std::size_t> RunLedger::indexOf(int entry) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i] == entry) return i;
    return std::nullopt;
}

void RunLedger::write(std::size_t changed) {
    begun_ = true;
    if (!writer_) return;
    std::optional<std::string> problem;
    try {
        problem = writer_(record_, changed);
    } catch (...) {
        problem = base::describe(std::current_exception(), "the run report could not be written");
    }
    // The run goes on (the drawings matter more than their record) and says so at its end.
    if (problem && !problem_) problem_ = problem;
}

void RunLedger::begin() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!begun_ && !closed_) write(EveryDrawing);
}

void RunLedger::takenUp(int session, int entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || givenUp_.count(session)) return;
    inHand_[session] = entry;
    const auto index = indexOf(entry);
    if (!index || done_[*index]) return;
    // Should the process die now, the report says the drawing was in hand, and a resume takes it up.
    DrawingOutcome& outcome = record_[*index];
    outcome.kind = DrawingOutcome::Kind::Started;
    outcome.detail.clear();
    outcome.started = std::chrono::system_clock::now();
    write(*index);
}

void RunLedger::givenBack(int session, int entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto held = inHand_.find(session);
    if (held != inHand_.end() && held->second == entry) inHand_.erase(held);
}

void RunLedger::record(std::size_t index, const DrawingOutcome& outcome) {
    done_[index] = true;
    record_[index] = outcome;
    write(index);
}

bool RunLedger::finished(int session, int entry, const DrawingOutcome& outcome) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || givenUp_.count(session)) return false;
    const auto held = inHand_.find(session);
    if (held != inHand_.end() && held->second == entry) inHand_.erase(held);
    if (const auto index = indexOf(entry)) record(*index, outcome);
    return true;
}

DrawingOutcome RunLedger::ended(std::size_t index, DrawingOutcome::Kind kind, const std::string& reason) const {
    DrawingOutcome outcome;
    outcome.kind = kind;
    outcome.purpose = purpose_;
    outcome.detail = reason;
    outcome.path = record_[index].path;
    outcome.started = record_[index].kind == DrawingOutcome::Kind::Started ? record_[index].started
                                                                            : std::chrono::system_clock::now();
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
    const auto index = indexOf(entry);
    if (!index || done_[*index]) return std::nullopt;
    auto outcome = ended(*index, DrawingOutcome::Kind::Failed, reason);
    record(*index, outcome);
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
    for (std::size_t i = 0; i < record_.size(); ++i) {
        if (done_[i]) continue;
        const bool inHand = held.count(entries_[i]) || record_[i].kind == DrawingOutcome::Kind::Started;
        auto outcome = inHand ? ended(i, DrawingOutcome::Kind::Failed, inHandReason)
                              : ended(i, DrawingOutcome::Kind::NotStarted, notStartedReason);
        done_[i] = true;
        record_[i] = outcome;
        decided.emplace_back(entries_[i], std::move(outcome));
    }
    inHand_.clear();
    // One write for the whole end, even when nothing was left: a run that was never begun has its record now.
    write(EveryDrawing);
    return decided;
}

PlotRun::Tally RunLedger::tally() const {
    std::lock_guard<std::mutex> lock(mutex_);
    PlotRun::Tally tally;
    tally.purpose = purpose_;
    for (std::size_t i = 0; i < record_.size(); ++i)
        if (done_[i] && record_[i].kind != DrawingOutcome::Kind::NotStarted) tally.add(record_[i]);
    return tally;
}

std::optional<std::string> RunLedger::recordProblem() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return problem_;
}

}  // namespace quillon::plotting
