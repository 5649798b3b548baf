#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/SheetChoice.h"
#include "app/win/PaneHost.h"
#include "app/win/PlotBoxes.h"
#include "app/win/PlotFilesChoice.h"
#include "run/win/RunReportKeeper.h"
#include "app/win/SessionCountBox.h"

namespace quillon::discovery {
class DrawingListView;
}

namespace quillon::app {

// The window's choices a plot job is made of and applied to.
struct WindowChoices {
    PlotBoxes& boxes;
    SessionCountBox& sessions;
    PlotFilesChoice& plotFiles;
    SheetChoice& sheets;
};

// What the plot job commands need of the window around them, besides its choices.
class PlotJobHost : public virtual PaneHost {
public:
    // No job is loaded, saved or resumed while a run is in progress.
    virtual bool runActive() const = 0;
    // The listing: its rows and folder, and new listings of a job's folder or drawings (their generation,
    // 0 when none started).
    virtual discovery::DrawingListView& listView() = 0;
    virtual std::string listedFolder() const = 0;
    virtual std::uint64_t listJobFolder(const std::string& folder, bool subfolders) = 0;
    virtual std::uint64_t listDrawings(std::vector<std::string> paths) = 0;
    // The run reports, and a job's choice of how often Quillon's own application starts afresh.
    virtual run::RunReportKeeper& reports() = 0;
    virtual std::optional<int> jobRestartEvery() const = 0;
    virtual void applyJobRestartEvery(std::optional<int> every) = 0;
    // File > Resume Run... with the report chosen.
    virtual void resumeInWindow(const std::string& report) = 0;
};

}  // namespace quillon::app
