#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/win/DrawingListView.h"
#include "app/win/MainWindow.h"
#include "plotting/PlotRunDisplay.h"
#include "plotting/PlotRunList.h"
#include "plotting/StatusLines.h"

namespace quillon::app {

// What a plot run reads and shows, moved to and from the main window's
// controls: the list and the "Print Layouts" box in, Status, the status
// bar, the progress bar, the pointer and each row's result out.
class RunView : public plotting::PlotRunDisplay, public plotting::PlotRunList {
public:
    // Takes the list's selection as it is now: a run of the selection plots
    // the rows selected when it starts, whatever the user selects meanwhile.
    // Status and the panel are shown through `status`; the panel is restored to what it says now.
    RunView(MainWindow& window, DrawingListView& list, const std::string& folder, plotting::StatusLines& status);

    void showInformation(const std::string& title, const std::string& text) override;
    // Where messages and each drawing's outcome also go (an unattended run, the run report).
    std::function<void(const std::string&, const std::string&)> onInformation;
    std::function<void(const plotting::DrawingOutcome&)> onOutcome;
    // A line an unattended run also prints (an application replaced on purpose).
    std::function<void(const std::string&)> onAnnounce;
    void setStatus(const std::string& text) override;
    void repaintStatus() override;
    void announce(const std::string& text) override;
    void setStatusPanelText(const std::string& text) override;
    void restoreStatusPanel() override;
    void setProgress(int value) override;
    void setPointer(plotting::Pointer pointer) override;
    void showOutcome(int entry, const plotting::DrawingOutcome& outcome) override;

    int entryCount() override;
    std::string fileName(int entry) override;
    std::string folder(int entry) override;
    bool isSelected(int entry) override;
    plotting::LayoutsBox layoutsBox() override;
    std::string directoryFolder() override;

private:
    MainWindow& window_;
    DrawingListView& list_;
    const std::string& folder_;
    plotting::StatusLines& status_;
    const std::string panelBefore_;
    std::vector<bool> selectedAtStart_;
};

}  // namespace quillon::app
