#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/HungCall.h"
#include "autocad/CallMonitor.h"

namespace quillon::run {

// What the way out needs of the runs and their CAD sessions: to stop the run, clean up the CAD side, and
// end (or leave) a call that does not answer. Called on the window's thread.
class CadExit {
public:
    virtual ~CadExit() = default;
    virtual bool active() const = 0;
    virtual void requestStop() = 0;
    virtual bool hasCad() const = 0;
    // The CAD clean-up before leaving; then() runs on the window's thread once it is done.
    virtual void postCleanUp(std::function<void()> then) = 0;
    // A call some session has waited on at least `after`.
    virtual std::optional<HungCall> hungMainCall(autocad::CallMonitor::Clock::duration after) = 0;
    virtual std::vector<HungCall> hungFurtherCalls(autocad::CallMonitor::Clock::duration after) = 0;
    // Ends the application of that call if the same call still hangs now; false when nothing was ended.
    virtual bool endHungCall(const HungCall& call) = 0;
    // Whether the first session is still inside that very call.
    virtual bool stillHung(const HungCall& call) = 0;
    // Gives up on every session: their runs end, the program goes on (or leaves) without them.
    virtual void giveUpCad(const std::string& why) = 0;
};

}  // namespace quillon::run
