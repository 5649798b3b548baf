#pragma once

#include <memory>
#include <string>

#include "plotting/PlotRunDisplay.h"
#include "plotting/record/RunLedger.h"

namespace quillon::plotting {

// One session's display as its run sees it: what it takes up and finishes is
// kept in the run's ledger first, then shown; once the session is given up
// on, nothing it does reaches the window any more.
class LedgerDisplay : public PlotRunDisplay {
public:
    LedgerDisplay(PlotRunDisplay& inner, std::shared_ptr<RunLedger> ledger, int session)
        : inner_(inner), ledger_(std::move(ledger)), session_(session) {}

    void showInformation(const std::string& title, const std::string& text) override {
        if (!ledger_->givenUp(session_)) inner_.showInformation(title, text);
    }
    void setStatus(const std::string& text) override {
        if (!ledger_->givenUp(session_)) inner_.setStatus(text);
    }
    void announce(const std::string& text) override {
        if (!ledger_->givenUp(session_)) inner_.announce(text);
    }
    void repaintStatus() override {
        if (!ledger_->givenUp(session_)) inner_.repaintStatus();
    }
    void restoreStatusPanel() override { inner_.restoreStatusPanel(); }
    void setStatusPanelText(const std::string& text) override {
        if (!ledger_->givenUp(session_)) inner_.setStatusPanelText(text);
    }
    void setProgress(int value) override {
        if (!ledger_->givenUp(session_)) inner_.setProgress(value);
    }
    void setPointer(Pointer pointer) override {
        if (!ledger_->givenUp(session_)) inner_.setPointer(pointer);
    }
    void takenUp(int entry, const std::string& path) override {
        ledger_->takenUp(session_, entry);
        inner_.takenUp(entry, path);
    }
    void givenBack(int entry) override {
        ledger_->givenBack(session_, entry);
        inner_.givenBack(entry);
    }
    void showOutcome(int entry, const DrawingOutcome& outcome) override {
        if (ledger_->finished(session_, entry, outcome)) inner_.showOutcome(entry, outcome);
    }

private:
    PlotRunDisplay& inner_;
    std::shared_ptr<RunLedger> ledger_;
    int session_;
};

}  // namespace quillon::plotting
