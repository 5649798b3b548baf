#include "app/win/RunView.h"

#include <commctrl.h>

#include "app/win/ControlIds.h"
#include "plotting/DrawingOutcome.h"
#include "win/Messages.h"
#include "win/WinProgressBar.h"

namespace quillon::app {

RunView::RunView(MainWindow& window, discovery::DrawingListView& list, plotting::StatusLines& status)
    : window_(window), list_(list), status_(status), panelBefore_(status.panel()) {}

void RunView::showInformation(const std::string& title, const std::string& text) {
    win::showMessage(window_.hwnd(), text, title);
}

void RunView::setStatus(const std::string& text) { status_.showFromRun(text); }

void RunView::repaintStatus() { window_.repaintNow(ids::Status); }

void RunView::setStatusPanelText(const std::string& text) { status_.showPanel(text); }

void RunView::restoreStatusPanel() { status_.showPanel(panelBefore_); }

void RunView::setProgress(int value) { win::WinProgressBar(window_.control(ids::RunProgressBar)).setPosition(value); }

void RunView::setPointer(plotting::Pointer pointer) {
    SetCursor(LoadCursorW(nullptr, pointer == plotting::Pointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

void RunView::showOutcome(int, const plotting::DrawingOutcome& outcome) { list_.setResult(outcome.path, outcome.text()); }

}  // namespace quillon::app
