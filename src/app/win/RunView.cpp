#include "app/win/RunView.h"

#include <commctrl.h>

#include "app/win/ControlIds.h"
#include "plotting/DrawingOutcome.h"
#include "win/Messages.h"
#include "win/Utf.h"
#include "win/WinCheckBox.h"
#include "win/WinProgressBar.h"

namespace quillon::app {

RunView::RunView(MainWindow& window, DrawingListView& list, const std::string& folder, plotting::StatusLines& status)
    : window_(window),
      list_(list),
      folder_(folder),
      status_(status),
      panelBefore_(status.panel()),
      selectedAtStart_(list.size(), false) {
    for (std::size_t row : list.selectedRows())
        if (row < selectedAtStart_.size()) selectedAtStart_[row] = true;
}

void RunView::showInformation(const std::string& title, const std::string& text) {
    if (onInformation) onInformation(title, text);
    else win::showMessage(window_.hwnd(), text, title);
}

void RunView::setStatus(const std::string& text) { status_.showFromRun(text); }

void RunView::announce(const std::string& text) {
    setStatus(text);
    if (onAnnounce) onAnnounce(text);
}

void RunView::repaintStatus() { window_.repaintNow(ids::Status); }

void RunView::setStatusPanelText(const std::string& text) { status_.showPanel(text); }

void RunView::restoreStatusPanel() { status_.showPanel(panelBefore_); }

void RunView::setProgress(int value) { win::WinProgressBar(window_.control(ids::RunProgressBar)).setPosition(value); }

void RunView::setPointer(plotting::Pointer pointer) {
    SetCursor(LoadCursorW(nullptr, pointer == plotting::Pointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

void RunView::showOutcome(int, const plotting::DrawingOutcome& outcome) {
    if (onOutcome) onOutcome(outcome);
    list_.setResult(outcome.path, outcome.text());
}

int RunView::entryCount() { return static_cast<int>(list_.size()); }

std::string RunView::fileName(int entry) { return list_.row(static_cast<std::size_t>(entry - 1)).name; }

std::string RunView::folder(int entry) { return list_.row(static_cast<std::size_t>(entry - 1)).folder; }

bool RunView::isSelected(int entry) {
    const auto row = static_cast<std::size_t>(entry - 1);
    return row < selectedAtStart_.size() && selectedAtStart_[row];
}

plotting::LayoutsBox RunView::layoutsBox() {
    switch (win::WinCheckBox(window_.control(ids::ChkLayouts)).tick()) {
        case win::WinCheckBox::Tick::Ticked: return plotting::LayoutsBox::Ticked;
        case win::WinCheckBox::Tick::Grey: return plotting::LayoutsBox::Grey;
        case win::WinCheckBox::Tick::Clear: break;
    }
    return plotting::LayoutsBox::Clear;
}

std::string RunView::directoryFolder() { return folder_; }

}  // namespace quillon::app
