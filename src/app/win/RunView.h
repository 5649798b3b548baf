#pragma once

#include <windows.h>

#include <string>

#include "discovery/win/DrawingListView.h"
#include "app/win/MainWindow.h"
#include "plotting/PlotRunDisplay.h"
#include "plotting/StatusLines.h"

namespace quillon::app {

// What a plot run shows in the main window: Status, the status bar, the progress bar, the pointer and each
// row's result. The run reads nothing from here: what it plots came in its request.
class RunView : public plotting::PlotRunDisplay {
public:
    // Status and the panel are shown through `status`; the panel is restored to what it says now.
    RunView(MainWindow& window, discovery::DrawingListView& list, plotting::StatusLines& status);

    void showInformation(const std::string& title, const std::string& text) override;
    void setStatus(const std::string& text) override;
    void repaintStatus() override;
    void setStatusPanelText(const std::string& text) override;
    void restoreStatusPanel() override;
    void setProgress(int value) override;
    void setPointer(plotting::Pointer pointer) override;
    void showOutcome(int entry, const plotting::DrawingOutcome& outcome) override;

private:
    MainWindow& window_;
    discovery::DrawingListView& list_;
    plotting::StatusLines& status_;
    const std::string panelBefore_;
};

}  // namespace quillon::app
