#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/DrawingOutcome.h"

namespace quillon::plotting {

// Every drawing of one run and what became of it, kept on the sessions' side
// under a lock of its own: each outcome is written (to the run report) the
// moment a session reports it, whatever the window is doing. A session given
// up on ends with its drawing in hand and is heard no more; when the run is
// over, every drawing still without an outcome gets one that says why, so
// each drawing of a run ends with at least one row.
class RunLedger {
public:
    using Writer = std::function<void(const DrawingOutcome&)>;
    // The run's drawings: list entry and full path. The writer is called under the ledger's lock.
    RunLedger(std::vector<std::pair<int, std::string>> drawings, Writer writer,
              RunPurpose purpose = RunPurpose::Plot);

    void takenUp(int session, int entry);
    // False when the session was given up on or the run is over: the outcome is dropped then.
    bool finished(int session, int entry, const DrawingOutcome& outcome);
    // Nothing the session reports from now on counts; its drawing in hand, if any, fails for this reason.
    std::optional<std::pair<int, DrawingOutcome>> giveUp(int session, const std::string& reason);
    bool givenUp(int session) const;
    // The run is over: drawings in hand fail for inHandReason, drawings never taken up are not started
    // because notStartedReason. Returns what it decided, entry by entry, for the list.
    std::vector<std::pair<int, DrawingOutcome>> close(const std::string& inHandReason,
                                                      const std::string& notStartedReason);

private:
    DrawingOutcome ended(int entry, DrawingOutcome::Kind kind, const std::string& reason);
    void record(int entry, const DrawingOutcome& outcome);

    mutable std::mutex mutex_;
    Writer writer_;
    std::vector<std::pair<int, std::string>> drawings_;
    std::map<int, bool> done_;          // entries with an outcome
    std::map<int, int> inHand_;         // session -> entry
    std::map<int, bool> givenUp_;       // sessions given up on
    bool closed_ = false;
    // A check's drawings that end without an outcome of their own are said in a check's words.
    RunPurpose purpose_;
};

}  // namespace quillon::plotting
