#pragma once

#include <string>

#include "plotting/PlotRunDisplay.h"
#include "plotting/RunDispatcher.h"

namespace quillon::plotting {

// One session's view of the run's display: its status lines and outcomes go
// to the dispatcher, and what belongs to the whole run (progress, pointer,
// panel) is left to it.
class SessionRunDisplay : public PlotRunDisplay {
public:
    explicit SessionRunDisplay(RunDispatcher& dispatcher) : dispatcher_(dispatcher) {}

    void showInformation(const std::string& title, const std::string& text) override {
        dispatcher_.information(title, text);
    }
    void setStatus(const std::string& text) override { dispatcher_.sessionStatus(text); }
    void repaintStatus() override {}
    void announce(const std::string& text) override { dispatcher_.announce(text); }
    std::string statusPanelText() override { return {}; }
    void setStatusPanelText(const std::string&) override {}
    void setProgress(int) override {}
    void setPointer(Pointer) override {}
    void showOutcome(int entry, const DrawingOutcome& outcome) override { dispatcher_.finished(entry, outcome); }

private:
    RunDispatcher& dispatcher_;
};

}  // namespace quillon::plotting
