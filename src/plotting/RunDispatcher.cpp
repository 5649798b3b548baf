#include "plotting/RunDispatcher.h"

#include <algorithm>

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
        if (kind_ != RunKind::Selected || list_.isSelected(entry)) entries_.push_back(entry);
    savedPanel_ = display_.statusPanelText();
    if (kind_ == RunKind::AllDrawings)
        lastLine_ = run_text::PrintingFolder + list_.directoryFolder() + run_text::Ellipsis;
    display_.setPointer(Pointer::Hourglass);
    display_.setProgress(0);
    refresh();
    return true;
}

int RunDispatcher::sessionsFor(int wanted) {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = std::max(1, std::min(wanted, static_cast<int>(entries_.size())));
    ended_.assign(static_cast<std::size_t>(running_), false);
    return running_;
}

std::optional<int> RunDispatcher::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stop_.load() || refused_ || next_ >= entries_.size()) return std::nullopt;
    const int entry = entries_[next_++];
    inHand_.emplace_back(entry, list_.fileName(entry));
    refresh();
    return entry;
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
    const auto held = std::find_if(inHand_.begin(), inHand_.end(), [&](const auto& e) { return e.first == entry; });
    if (held != inHand_.end()) inHand_.erase(held);
    ++finished_;
    tally_.add(outcome);
    display_.showOutcome(entry, outcome);
    display_.setProgress(progressValue(finished_, static_cast<int>(entries_.size())));
    refresh();
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

bool RunDispatcher::sessionEnded(int session, PlotRun::Ending, int restarts, int plannedRestarts) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto index = static_cast<std::size_t>(session);
    if (index >= ended_.size() || ended_[index]) return false;
    ended_[index] = true;
    tally_.restarts += restarts;
    tally_.plannedRestarts += plannedRestarts;
    if (--running_ > 0) return false;

    // The last session has ended: so has the run.
    const int untaken = static_cast<int>(entries_.size() - next_);
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
    display_.setStatusPanelText(savedPanel_);
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
    return ending_ == PlotRun::Ending::Running && running_ > 0 && next_ >= entries_.size() && inHand_.empty() &&
           finished_ >= static_cast<int>(entries_.size());
}

bool RunDispatcher::sessionRunning(int session) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto index = static_cast<std::size_t>(session);
    return index < ended_.size() && !ended_[index];
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
    const std::string first = inHand_.empty() ? lead : lead + " " + fileNameOf(inHand_.back().second);
    display_.setStatus(lastLine_.empty() ? first : first + "\r\n" + lastLine_);
}

}  // namespace quillon::plotting
