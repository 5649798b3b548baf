#pragma once

#include <memory>
#include <string>

#include "base/TaskMailbox.h"
#include "plotting/PlotRunDisplay.h"

namespace quillon::plotting {

// A run's display as the CAD thread sees it: every change is posted to the
// window's thread, where the real display shows it, in the order made. The
// run never waits for the window; a message box is shown there while the run
// goes on to its end.
class PostingRunDisplay : public PlotRunDisplay {
public:
    PostingRunDisplay(std::shared_ptr<base::TaskMailbox> mailbox, std::shared_ptr<PlotRunDisplay> target);

    void showInformation(const std::string& title, const std::string& text) override;
    void setStatus(const std::string& text) override;
    void repaintStatus() override;
    void announce(const std::string& text) override;
    void setStatusPanelText(const std::string& text) override;
    void restoreStatusPanel() override;
    void setProgress(int value) override;
    void setPointer(Pointer pointer) override;
    void showOutcome(int entry, const DrawingOutcome& outcome) override;

private:
    template <class Fn>
    void post(Fn&& fn);

    std::shared_ptr<base::TaskMailbox> mailbox_;
    std::shared_ptr<PlotRunDisplay> target_;
};

}  // namespace quillon::plotting
