#include "plotting/PostingRunDisplay.h"

#include <utility>

namespace quillon::plotting {

PostingRunDisplay::PostingRunDisplay(std::shared_ptr<base::TaskMailbox> mailbox,
                                     std::shared_ptr<PlotRunDisplay> target)
    : mailbox_(std::move(mailbox)), target_(std::move(target)) {}

template <class Fn>
void PostingRunDisplay::post(Fn&& fn) {
    mailbox_->post([target = target_, fn = std::forward<Fn>(fn)] { fn(*target); });
}

void PostingRunDisplay::showInformation(const std::string& title, const std::string& text) {
    post([title, text](PlotRunDisplay& d) { d.showInformation(title, text); });
}

void PostingRunDisplay::setStatus(const std::string& text) {
    post([text](PlotRunDisplay& d) { d.setStatus(text); });
}

void PostingRunDisplay::announce(const std::string& text) {
    post([text](PlotRunDisplay& d) { d.announce(text); });
}

void PostingRunDisplay::repaintStatus() {
    post([](PlotRunDisplay& d) { d.repaintStatus(); });
}

void PostingRunDisplay::setStatusPanelText(const std::string& text) {
    post([text](PlotRunDisplay& d) { d.setStatusPanelText(text); });
}

void PostingRunDisplay::restoreStatusPanel() {
    post([](PlotRunDisplay& d) { d.restoreStatusPanel(); });
}

void PostingRunDisplay::setProgress(int value) {
    post([value](PlotRunDisplay& d) { d.setProgress(value); });
}

void PostingRunDisplay::setPointer(Pointer pointer) {
    post([pointer](PlotRunDisplay& d) { d.setPointer(pointer); });
}

void PostingRunDisplay::showOutcome(int entry, const DrawingOutcome& outcome) {
    post([entry, outcome](PlotRunDisplay& d) { d.showOutcome(entry, outcome); });
}

}  // namespace quillon::plotting
