#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "run/CadWork.h"
#include "app/win/PaneHost.h"
#include "run/win/RunReportKeeper.h"
#include "plotting/PlotRules.h"
#include "plotting/RunDeadline.h"
#include "plotting/PlotRun.h"
#include "run/RunRequest.h"

namespace quillon::discovery {
class DrawingListView;
}

namespace quillon::app {

// What the command line's job needs of the window around it: the listing it waits for, the run it starts,
// the way out it takes when done.
class JobHost : public virtual PaneHost, public virtual run::CadWork {
public:
    // A message box shown from a message of its own, never inside the task that asks for it.
    virtual void notify(const std::string& title, const std::string& text) = 0;
    virtual run::RunReportKeeper& reports() = 0;
    virtual void startRun(plotting::RunKind kind, plotting::RunPurpose purpose, const std::string& resumes) = 0;
    // A run as the request says, the window's choices untouched by it.
    virtual void startRequestedRun(run::RunRequest request) = 0;
    // How many sessions the user's settings plot with, when neither the command line nor the job says.
    virtual int storedSessions() const = 0;
    // Exit, as the menu's.
    virtual void exitCommand() = 0;
    // The listing: its rows and folder; a request's generation, and whether it is still the latest.
    virtual discovery::DrawingListView& listView() = 0;
    virtual std::string listedFolder() const = 0;
    virtual std::uint64_t askListing() = 0;
    virtual bool latestListing(std::uint64_t generation) const = 0;
    // The window's choices as a run starting now takes them: device, paper, table, plot files and sheets.
    virtual plotting::PlotSetup chosenSetup() const = 0;
};

}  // namespace quillon::app
