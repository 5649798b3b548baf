#include "plotting/RunDispatcher.h"

#include <algorithm>
#include <chrono>

#include "plotting/PlotRules.h"

namespace quillon::plotting {

namespace {

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

RunDispatcher::RunDispatcher(RunKind kind, PlotRunList& list, PlotRunDisplay& display,
                             const std::atomic<bool>& stopRequested)
    : kind_(kind), list_(list), display_(display), stop_(stopRequested) {}

bool RunDispatcher::start(const PlotSetup& setup) {
    std::lock_guard<std::mutex> lock(mutex_);
    tally_.purpose = setup.purpose;
    if (const auto missing = missingChoice(setup); missing != MissingChoice::None) {
        const auto message = missingChoiceMessage(missing);
        display_.showInformation(message.title, message.text);
        ending_ = PlotRun::Ending::Refused;
        return false;
    }
    const int count = list_.entryCount();
    if (count > PlotRun::MaxEntries) {
        display_.showInformation(run_text::TooManyTitle, run_text::TooManyText);
        ending_ = PlotRun::Ending::Refused;
        return false;
    }
    for (int entry = count; entry >= 1; --entry)
        if (kind_ != RunKind::Selected || list_.isSelected(entry)) toTake_.push_back(entry);
    drawings_ = static_cast<int>(toTake_.size());
    if (kind_ == RunKind::AllDrawings)
        lastLine_ = run_text::PrintingFolder + list_.directoryFolder() + run_text::Ellipsis;
    display_.setPointer(Pointer::Hourglass);
    display_.setProgress(0);
    refresh();
    return true;
}

int RunDispatcher::sessionsFor(int wanted) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int count = std::max(1, std::min(wanted, drawings_));
    sessions_.assign(static_cast<std::size_t>(count), SessionState::Working);
    shares_.clear();
    for (int session = 0; session < count; ++session) shares_.emplace_back(*this, session);
    return count;
}

RunShare& RunDispatcher::shareFor(int session) {
    std::lock_guard<std::mutex> lock(mutex_);
    return shares_.at(static_cast<std::size_t>(session));
}

std::optional<int> RunDispatcher::take(int session) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (stop_.load() || refused_) return std::nullopt;
        if (!toTake_.empty()) break;
        // Nothing to hand out now; a drawing still in another session's hands comes back if that session is lost.
        if (std::none_of(inHand_.begin(), inHand_.end(), [&](const Held& held) { return held.session != session; }))
            return std::nullopt;
        // Stop is a flag, not a notice: looked at now and then.
        handedBack_.wait_for(lock, std::chrono::milliseconds(100));
    }
    const int entry = toTake_.front();
    toTake_.pop_front();
    inHand_.push_back({entry, list_.fileName(entry), session});
    refresh();
    return entry;
}

void RunDispatcher::giveBack(int session, int entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto held = std::find_if(inHand_.begin(), inHand_.end(),
                                   [&](const Held& h) { return h.entry == entry && h.session == session; });
    // Already ended for it (its session was given up on, and its row said so).
    if (held == inHand_.end()) return;
    inHand_.erase(held);
    toTake_.push_front(entry);
    refresh();
    handedBack_.notify_all();
}

bool RunDispatcher::lostWhileOpen(int entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    return lostOnce_.insert(entry).second;
}

void RunDispatcher::sessionStatus(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ending_ != PlotRun::Ending::Running) return;
    lastLine_ = text;
    refresh();
}

void RunDispatcher::announce(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ending_ != PlotRun::Ending::Running) return;
    display_.announce(text);
    lastLine_ = text;
    refresh();
}

void RunDispatcher::finished(int entry, const DrawingOutcome& outcome) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto held = std::find_if(inHand_.begin(), inHand_.end(), [&](const Held& h) { return h.entry == entry; });
    if (held != inHand_.end()) inHand_.erase(held);
    ++finished_;
    tally_.add(outcome);
    display_.showOutcome(entry, outcome);
    display_.setProgress(progressValue(finished_, drawings_));
    refresh();
    handedBack_.notify_all();
}

void RunDispatcher::information(const std::string& title, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (refused_ && lastInformation_ == title + "\n" + text) return;
    lastInformation_ = title + "\n" + text;
    display_.showInformation(title, text);
}

void RunDispatcher::refuse() {
    std::lock_guard<std::mutex> lock(mutex_);
    refused_ = true;
}

bool RunDispatcher::anyWorking() const {
    return std::any_of(sessions_.begin(), sessions_.end(), [](SessionState s) { return s == SessionState::Working; });
}

bool RunDispatcher::sessionEnded(int session, PlotRun::Ending, int restarts, int plannedRestarts) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto index = static_cast<std::size_t>(session);
    if (index >= sessions_.size() || sessions_[index] == SessionState::Ended) return false;
    sessions_[index] = SessionState::Ended;
    tally_.restarts += restarts;
    tally_.plannedRestarts += plannedRestarts;
    std::erase_if(inHand_, [&](const Held& held) { return held.session == session; });
    handedBack_.notify_all();
    if (anyWorking()) return false;

    // The last session has ended: so has the run.
    const int untaken = static_cast<int>(toTake_.size());
    if (refused_ && finished_ == 0) {
        ending_ = PlotRun::Ending::Refused;
    } else if (stop_.load()) {
        ending_ = PlotRun::Ending::Stopped;
    } else if (untaken > 0) {
        // Drawings are left and no session is there to plot them. A session given up on before has
        // failed its own drawing (the record says so); the others plotted the rest.
        ending_ = PlotRun::Ending::ApplicationLost;
    } else {
        ending_ = PlotRun::Ending::Finished;
    }
    inHand_.clear();
    display_.setPointer(Pointer::Normal);
    display_.restoreStatusPanel();
    display_.setProgress(0);
    if (ending_ == PlotRun::Ending::ApplicationLost)
        display_.showInformation(run_text::LostTitle, "AutoCAD stopped responding in every session; " +
                                                std::to_string(untaken) +
                                                " drawings were not plotted.\r\nThe run has ended. The next run "
                                                "connects to AutoCAD again.");
    display_.setStatus(std::to_string(list_.entryCount()) + run_text::FilesFound + "\r\n" +
                       PlotRun::summaryText(ending_, tally_));
    return true;
}

bool RunDispatcher::settled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ending_ == PlotRun::Ending::Running && anyWorking() && toTake_.empty() && inHand_.empty() &&
           finished_ >= drawings_;
}

bool RunDispatcher::sessionRunning(int session) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto index = static_cast<std::size_t>(session);
    return index < sessions_.size() && sessions_[index] == SessionState::Working;
}

PlotRun::Ending RunDispatcher::ending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ending_;
}

PlotRun::Tally RunDispatcher::tally() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return tally_;
}

std::string RunDispatcher::processingText(int n) {
    if (n <= 0) return run_text::Processing;
    return "Processing " + std::to_string(n) + (n == 1 ? " drawing" : " drawings") + run_text::Ellipsis;
}

void RunDispatcher::refresh() {
    const std::string lead = processingText(static_cast<int>(inHand_.size()));
    display_.setStatusPanelText(lead);
    const std::string first = inHand_.empty() ? lead : lead + " " + fileNameOf(inHand_.back().name);
    display_.setStatus(lastLine_.empty() ? first : first + "\r\n" + lastLine_);
}

}  // namespace quillon::plotting
