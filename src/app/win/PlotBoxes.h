#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/MainSettings.h"
#include "app/win/PlotBoxesHost.h"
#include "plotting/PlotRules.h"
#include "plotting/boxes/PlotChoices.h"
#include "plotting/boxes/RecordingComboBox.h"
#include "plotting/boxes/win/WinComboBox.h"
#include "plotting/job/PlotJobFile.h"

namespace quillon::app {

// The plot boxes (device, paper, plot style table) and the copies box: their
// lists are read from the CAD application on its thread and replayed into the
// boxes here; the choices they stand for are remembered between runs.
class PlotBoxes {
public:
    explicit PlotBoxes(PlotBoxesHost& host);

    // StrPrinter, StrPaper and StrCTB: remembered at start, replaced by the plot boxes.
    void remember(const MainSettings& stored);
    void storeInto(MainSettings& settings) const;
    void create();
    void onCommand(int id, int notifyCode);
    // A key going down in a plot box: its text as it was before the key.
    void onKeyDown(int id);
    void fillIfEmpty();
    void copiesChanged();
    // A fill asked of a CAD thread that was given up on never comes back.
    void cadThreadLost() { fillPending_ = false; }

    plotting::PlotSetup setup() const;
    const plotting::PlotChoices& choices() const { return choices_; }
    std::int16_t copies() const { return numOfCopies_; }
    // A job's device, paper and table: the reason when the boxes do not offer one (nothing changes then).
    std::optional<std::string> missingFromLists(plotting::PlotJobSpec& job) const;
    void applyJob(const plotting::PlotJobSpec& job);

private:
    void boxEvent(int id, const std::string& text);
    // The plot box with this control id; none for other ids.
    plotting::WinComboBox* box(int id) const;
    void applyFill(const std::vector<std::pair<plotting::WinComboBox*, plotting::RecordingComboBox>>& boxes,
                   const std::string& error, const char* what);

    PlotBoxesHost& host_;
    plotting::PlotChoices choices_;
    std::unique_ptr<plotting::WinComboBox> deviceBox_;
    std::unique_ptr<plotting::WinComboBox> paperBox_;
    std::unique_ptr<plotting::WinComboBox> plotStyleTableBox_;
    std::int16_t numOfCopies_ = 0;
    bool fillPending_ = false;
    // A fill's replay runs the boxes' change handling; a paper picked meanwhile by the user is kept.
    bool replayingFill_ = false;
    bool paperChosenSinceRefill_ = false;
};

}  // namespace quillon::app
