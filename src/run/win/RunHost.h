#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "app/win/PaneHost.h"
#include "autocad/CadLauncher.h"
#include "autocad/ConnectionUi.h"
#include "plotting/PlotRules.h"
#include "plotting/PlotRun.h"
#include "plotting/pdf/CombineChoice.h"
#include "plotting/record/JobNames.h"

namespace quillon::app {

class DrawingListView;

// What names the files of a run (see plotting::JobNames): the whole listing of its job, or what the
// report it resumes recorded.
using RunNames = plotting::JobNames;

// What the runs need of the window around them: what a run starting now takes (the list, the choices, who
// it is for), where it shows, and whom it tells. Called on the window's thread.
class RunHost : public virtual PaneHost {
public:
    virtual SettingsStore& settings() = 0;
    // Shared with the CAD threads, which may outlive the window.
    virtual const std::shared_ptr<autocad::CadLauncher>& launcher() const = 0;
    // What the CAD sessions say and ask of the window.
    virtual autocad::ConnectionUi& connectionUi() = 0;

    // The listing a run takes: whether it is still being searched, its rows, and its folder.
    virtual bool searchRunning() const = 0;
    virtual DrawingListView& listView() = 0;
    virtual std::string listedFolder() const = 0;
    // The window's choices: device, paper, table, copies; the plot files; the sheets; the combined PDF; how
    // many sessions plot side by side.
    virtual plotting::PlotSetup plotChoices() const = 0;
    virtual plotting::PlotFileOptions plotFileOptions() const = 0;
    virtual void applySheets(plotting::PlotSetup& setup) const = 0;
    virtual plotting::CombineChoice combineChoice() const = 0;
    virtual int runSessions() const = 0;
    // Given once to the run starting now; and the files no step of it may write over (the job, the report
    // it resumes, the /report copy), besides the drawings and the run's own report.
    virtual RunNames takeRunNames() = 0;
    virtual std::vector<std::string> keptFiles() const = 0;
    // With /run, /check or /resume no one is at the window; the job file it ran (empty: none) and whether
    // that job named a folder.
    virtual bool unattended() const = 0;
    virtual std::string unattendedJobFile() const = 0;
    virtual bool jobHadFolder() const = 0;
    // The way out: closing refuses a new run; leaving (the same, said of a run already going) ends it.
    virtual bool closing() const = 0;
    virtual bool leaving() const = 0;

    // A message box, or with /run the console and Status.
    virtual void tell(const std::string& title, const std::string& text) = 0;
    // A message box shown from a message of its own, never inside the task that asks for it.
    virtual void notify(const std::string& title, const std::string& text) = 0;
    virtual void setBusy(bool busy) = 0;
    virtual void showMainWindow() = 0;
    // The CAD application could not be started: the program says so and closes.
    virtual void couldNotStart(const std::string& why) = 0;
    // The run cannot start with these choices.
    virtual void refuseRun(const std::string& why) = 0;
    // The run of that generation ended (its end counts only for the run in progress, which it was).
    virtual void runEnded(std::uint64_t generation, std::optional<plotting::PlotRun::Ending> ending,
                          const plotting::PlotRun::Tally& tally) = 0;
    // Every session was given up on: a fill the plot boxes asked for never comes back, and an unattended
    // job with no run yet ends there. True from leaveWithoutCad when the program goes without them.
    virtual void cadThreadLost() = 0;
    virtual void cadLost(const std::string& why) = 0;
    virtual bool leaveWithoutCad() = 0;
};

}  // namespace quillon::app
