#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/DrawingOutcome.h"
#include "plotting/PlotRun.h"

namespace quillon::plotting {

// The one record of a run: every drawing, in the run's order, and what became
// of it so far. It is kept on the sessions' side under a lock of its own and
// written out (the run report) whole at each change, whatever the window is
// doing: every drawing "not started" before the first is opened, then each
// "started, not finished" as it is taken up, then its outcome the moment a
// session reports it. A session given up on ends with its drawing in hand
// and is heard no more; when the run is over, every drawing still without an
// outcome gets one that says why. The run's counts, its exit code and its
// summary are all read from here, never kept beside it.
class RunLedger {
public:
    // Writes the record, whose drawing at `changed` changed (EveryDrawing: any of them may have); why not, when
    // it could not be written (the run says so at its end).
    using Writer = std::function<std::optional<std::string>(const std::vector<DrawingOutcome>& record, std::size_t changed)>;
    static constexpr std::size_t EveryDrawing = static_cast<std::size_t>(-1);
    // The run's drawings in the run's order: list entry and full path. The writer is called under the ledger's lock.
    RunLedger(std::vector<std::pair<int, std::string>> drawings, Writer writer,
              RunPurpose purpose = RunPurpose::Plot);

    // The record written before the first drawing is opened: every drawing not started. Once; later calls do nothing.
    void begin();
    void takenUp(int session, int entry);
    // The session let go of the drawing unfinished: it is no longer that session's, and another takes it up.
    void givenBack(int session, int entry);
    // False when the session was given up on or the run is over: the outcome is dropped then.
    bool finished(int session, int entry, const DrawingOutcome& outcome);
    // Nothing the session reports from now on counts; its drawing in hand, if any, fails for this reason.
    std::optional<std::pair<int, DrawingOutcome>> giveUp(int session, const std::string& reason);
    bool givenUp(int session) const;
    // The run is over: drawings in hand fail for inHandReason, drawings never taken up are not started
    // because notStartedReason. Returns what it decided, entry by entry, for the list.
    std::vector<std::pair<int, DrawingOutcome>> close(const std::string& inHandReason,
                                                      const std::string& notStartedReason);

    // The drawings by outcome as the record has them (restarts aside: the sessions count those).
    PlotRun::Tally tally() const;
    int drawingCount() const { return static_cast<int>(record_.size()); }
    // Why the report on disk is not the whole record: the first write that failed.
    std::optional<std::string> recordProblem() const;

private:
    DrawingOutcome ended(std::size_t index, DrawingOutcome::Kind kind, const std::string& reason) const;
    void record(std::size_t index, const DrawingOutcome& outcome);
    void write(std::size_t changed);
    std::optional<std::size_t> indexOf(int entry) const;

    mutable std::mutex mutex_;
    Writer writer_;
    std::vector<int> entries_;
    std::vector<DrawingOutcome> record_;
    std::vector<bool> done_;            // by index: the drawing has its outcome
    std::map<int, int> inHand_;         // session -> entry
    std::map<int, bool> givenUp_;       // sessions given up on
    bool begun_ = false;
    bool closed_ = false;
    std::optional<std::string> problem_;
    // A check's drawings that end without an outcome of their own are said in a check's words.
    RunPurpose purpose_;
};

}  // namespace quillon::plotting
