#pragma once

#include <memory>
#include <string>

#include "base/TaskMailbox.h"
#include "plotting/PlotRunDisplay.h"

namespace quillon::plotting {

// A run's display as the CAD thread sees it: every change is posted to the
// window's thread, where the real display shows it, in the order made. The
// run never waits for the window; a message box is shown there while the run
// goes on to its end. The status-bar panel's text is mirrored here, since
// the run reads it back and only the run changes it while it works.
class PostingRunDisplay : public PlotRunDisplay {
public:
    PostingRunDisplay(std::shared_ptr<base::TaskMailbox> mailbox, std::shared_ptr<PlotRunDisplay> target,
                      std::string statusPanelText);

    void showInformation(const std::string& title, const std::string& text) override;
    void setStatus(const std::string& text) override;
    void repaintStatus() override;
    void announce(const std::string& text) override;
    std::string statusPanelText() override { return panel_; }
    void setStatusPanelText(const std::string& text) override;
    void setProgress(int value) override;
    void setPointer(Pointer pointer) override;
    void showOutcome(int entry, const DrawingOutcome& outcome) override;

private:
    template <class Fn>
    void post(Fn&& fn);

    std::shared_ptr<base::TaskMailbox> mailbox_;
    std::shared_ptr<PlotRunDisplay> target_;
    std::string panel_;
};

}  // namespace quillon::plotting
