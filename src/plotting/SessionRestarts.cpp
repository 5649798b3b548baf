#include "plotting/SessionRestarts.h"

namespace quillon::plotting {

SessionRestarts::InHand SessionRestarts::lost(int entry, bool crashed) {
    if (triedAgain_ == entry) {
        triedAgain_.reset();
        return crashed ? InHand::EndedTwice : InHand::Fail;
    }
    if (!crashed) return InHand::Fail;
    triedAgain_ = entry;
    return InHand::TryAgain;
}

void SessionRestarts::startedAgainAfterLoss() {
    ++inARow_;
    openedInApplication_ = 0;
    spareAsked_ = false;
}

void SessionRestarts::finished(int entry) {
    inARow_ = 0;
    if (triedAgain_ == entry) triedAgain_.reset();
}

std::optional<std::string> SessionRestarts::dueOnPurpose(std::optional<std::uint64_t> memoryMB) const {
    if (policy_.every > 0 && openedInApplication_ >= policy_.every)
        return "AutoCAD restarted after " + std::to_string(openedInApplication_) + " drawings";
    if (policy_.memoryLimitMB > 0 && memoryMB && *memoryMB > policy_.memoryLimitMB)
        return "AutoCAD restarted after its memory passed " + std::to_string(policy_.memoryLimitMB) + " MB (" +
               std::to_string(*memoryMB) + " MB, " + std::to_string(openedInApplication_) + " drawings)";
    return std::nullopt;
}

void SessionRestarts::startedAgainOnPurpose() {
    openedInApplication_ = 0;
    spareAsked_ = false;
}

bool SessionRestarts::spareDue(std::optional<int> drawingsLeft) const {
    if (drawingsLeft && openedInApplication_ + 1 + *drawingsLeft <= policy_.every) return false;
    // With fewer drawings per application than the lead, as soon as the application in use is there.
    return policy_.every > 0 && !spareAsked_ && openedInApplication_ >= policy_.every - SpareLead;
}

}  // namespace quillon::plotting
