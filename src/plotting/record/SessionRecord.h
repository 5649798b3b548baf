#pragma once

#include <memory>

#include "plotting/RunEvents.h"
#include "plotting/record/RunLedger.h"

namespace quillon::plotting {

// One session's events as the run's ledger keeps them: what it takes up and finishes goes into the record
// first, on the session's own thread; once the session is given up on, nothing it reports counts.
class SessionRecord final : public RunEvents {
public:
    SessionRecord(std::shared_ptr<RunLedger> ledger, int session) : ledger_(std::move(ledger)), session_(session) {}

    void takenUp(int entry) override { ledger_->takenUp(session_, entry); }
    void givenBack(int entry) override { ledger_->givenBack(session_, entry); }
    bool finished(int entry, const DrawingOutcome& outcome) override {
        return ledger_->finished(session_, entry, outcome);
    }
    // Whether the session is still heard: a session given up on shows nothing more.
    bool heard() const { return !ledger_->givenUp(session_); }

private:
    std::shared_ptr<RunLedger> ledger_;
    int session_;
};

}  // namespace quillon::plotting
