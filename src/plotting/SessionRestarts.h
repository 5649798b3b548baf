#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillon::plotting {

// When one session starts its own application again, and why.
//
// After a loss: only losses in a row count. The session is given up on once
// MaxInARow new applications were started with no drawing reaching its end
// between them, so an application that dies every twenty drawings costs a
// restart each time and never the night. The drawing in hand when the
// application died is tried once more on the new one; a second death on it
// fails it alone. A call the watchdog had to end is not tried again: the
// question it waited on would only wait again.
//
// On purpose: after `every` drawings opened in one application, or once its
// private memory passes a bound. These are counted apart from losses.
//
// Ahead of a restart after `every` drawings, the next application is started
// in the background while the one in use plots its last SpareLead drawings,
// so that the restart only hands over. Losses and the memory bound come
// unannounced: they get none of their own, only what is there already.
class SessionRestarts {
public:
    struct Policy {
        int every = 0;                    // drawings per application; 0: never
        std::uint64_t memoryLimitMB = 0;  // 0: no bound
    };
    static constexpr int MaxInARow = 3;
    // How many drawings before its restart the next application is started. A start takes about as long
    // as a few drawings (each opened, plotted and closed); one that is not ready when the restart comes
    // saves nothing, while one started early only holds its memory idle a little longer.
    static constexpr int SpareLead = 3;
    static constexpr const char* EndedTwice = "AutoCAD ended twice while this drawing was open";

    SessionRestarts() = default;
    explicit SessionRestarts(Policy policy) : policy_(policy) {}

    // What becomes of the drawing in hand when its application was lost.
    enum class InHand { TryAgain, Fail, EndedTwice };
    InHand lost(int entry, bool crashed);
    bool mayStartAgain() const { return inARow_ < MaxInARow; }
    bool triedAgain(int entry) const { return triedAgain_ == entry; }
    void startedAgainAfterLoss();

    void opened() { ++openedInApplication_; }
    // The drawing reached its end on a working application, with any outcome.
    void finished(int entry);

    // Before the next drawing: why its application is to be replaced first; nothing when it is not.
    // memoryMB is the application's private memory, where known.
    std::optional<std::string> dueOnPurpose(std::optional<std::uint64_t> memoryMB) const;
    bool watchesMemory() const { return policy_.memoryLimitMB > 0; }
    void startedAgainOnPurpose();
    // Before the next drawing: whether the next application is to be started now, ahead of a restart
    // after `every` drawings; once for each application. Never when at most `drawingsLeft` follow this
    // one and the restart cannot come before the run ends.
    bool spareDue(std::optional<int> drawingsLeft) const;
    void spareAsked() { spareAsked_ = true; }

    int inARow() const { return inARow_; }

private:
    Policy policy_{};
    int inARow_ = 0;
    int openedInApplication_ = 0;
    std::optional<int> triedAgain_;
    bool spareAsked_ = false;
};

}  // namespace quillon::plotting
