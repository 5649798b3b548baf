#pragma once

#include <functional>
#include <optional>
#include <utility>

#include "base/Swallowed.h"
#include "plotting/PlotRun.h"

namespace quillon::plotting {

// Says once that a run's work is over, when the last holder lets go of it:
// work that runs to its end, ends in an exception or is dropped before it
// ever ran says so alike (the last two without an ending), so whoever waits
// for the end of a run is never left waiting.
class RunEndSignal {
public:
    using Signal = std::function<void(std::optional<PlotRun::Ending>, const PlotRun::Tally&)>;

    explicit RunEndSignal(Signal signal) : signal_(std::move(signal)) {}
    RunEndSignal(const RunEndSignal&) = delete;
    RunEndSignal& operator=(const RunEndSignal&) = delete;
    ~RunEndSignal() {
        try {
            if (signal_) signal_(ending_, tally_);
        } catch (...) {
            base::swallowed("said from a destructor, on whatever thread let go last: nothing may escape");
        }
    }

    void set(PlotRun::Ending ending, const PlotRun::Tally& tally) {
        ending_ = ending;
        tally_ = tally;
    }

private:
    Signal signal_;
    std::optional<PlotRun::Ending> ending_;
    PlotRun::Tally tally_;
};

}  // namespace quillon::plotting
