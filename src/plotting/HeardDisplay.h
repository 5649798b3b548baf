#pragma once

#include <functional>
#include <string>

#include "plotting/PlotRunDisplay.h"

namespace quillon::plotting {

// One session's display: once the session is no longer heard (it was given up on), nothing it does reaches
// the window any more, but for putting back the status bar's panel.
class HeardDisplay final : public PlotRunDisplay {
public:
    HeardDisplay(PlotRunDisplay& inner, std::function<bool()> heard) : inner_(inner), heard_(std::move(heard)) {}

    void showInformation(const std::string& title, const std::string& text) override {
        if (heard_()) inner_.showInformation(title, text);
    }
    void setStatus(const std::string& text) override {
        if (heard_()) inner_.setStatus(text);
    }
    void announce(const std::string& text) override {
        if (heard_()) inner_.announce(text);
    }
    void repaintStatus() override {
        if (heard_()) inner_.repaintStatus();
    }
    void restoreStatusPanel() override { inner_.restoreStatusPanel(); }
    void setStatusPanelText(const std::string& text) override {
        if (heard_()) inner_.setStatusPanelText(text);
    }
    void setProgress(int value) override {
        if (heard_()) inner_.setProgress(value);
    }
    void setPointer(Pointer pointer) override {
        if (heard_()) inner_.setPointer(pointer);
    }
    void showOutcome(int entry, const DrawingOutcome& outcome) override {
        if (heard_()) inner_.showOutcome(entry, outcome);
    }

private:
    PlotRunDisplay& inner_;
    std::function<bool()> heard_;
};

}  // namespace quillon::plotting
