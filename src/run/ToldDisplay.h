#pragma once

#include <memory>
#include <string>

#include "plotting/PlotRunDisplay.h"
#include "run/Teller.h"

namespace quillon::run {

// A run's display that also tells: its messages go through the teller (a box, or the console of an
// unattended run), and so do the lines worth more than Status and each plot file written.
class ToldDisplay final : public plotting::PlotRunDisplay {
public:
    ToldDisplay(std::shared_ptr<plotting::PlotRunDisplay> shown, Teller& teller)
        : shown_(std::move(shown)), teller_(teller) {}

    void showInformation(const std::string& title, const std::string& text) override { teller_.tell(title, text); }
    void setStatus(const std::string& text) override { shown_->setStatus(text); }
    void repaintStatus() override { shown_->repaintStatus(); }
    void setStatusPanelText(const std::string& text) override { shown_->setStatusPanelText(text); }
    void restoreStatusPanel() override { shown_->restoreStatusPanel(); }
    void setProgress(int value) override { shown_->setProgress(value); }
    void setPointer(plotting::Pointer pointer) override { shown_->setPointer(pointer); }
    void announce(const std::string& text) override {
        shown_->setStatus(text);
        teller_.line(text);
    }
    void showOutcome(int entry, const plotting::DrawingOutcome& outcome) override;

private:
    std::shared_ptr<plotting::PlotRunDisplay> shown_;
    Teller& teller_;
};

}  // namespace quillon::run
