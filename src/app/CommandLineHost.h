#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plotting/PlotRun.h"
#include "plotting/RunDeadline.h"
#include "plotting/RunListSnapshot.h"
#include "plotting/StatusLines.h"
#include "plotting/job/PlotJobFile.h"
#include "plotting/record/AnsiCodePage.h"
#include "run/CadWork.h"
#include "run/RunReports.h"
#include "run/RunRequest.h"

namespace quillon::app {

// What the command-line run needs of the system it runs on: the console, a path as the system reads it, the
// code page a spreadsheet saves in, and the local clock.
class CommandLineSystem {
public:
    virtual ~CommandLineSystem() = default;
    virtual void attachConsole() = 0;
    virtual void consoleLine(const std::string& text) = 0;
    // The full path the system makes of a path: "night.qjob" and "C:/Jobs/night.qjob" may be one file.
    virtual std::string fullPath(const std::string& path) = 0;
    virtual const plotting::AnsiCodePage& codePage() = 0;
    virtual plotting::LocalTime localNow() = 0;
};

// What the command line's job needs of the program around it: the CAD work, the listing of its drawings,
// the runs it asks for and the way out. Called on the window's thread.
class CommandLineHost : public virtual run::CadWork {
public:
    virtual CommandLineSystem& system() = 0;
    // A message box shown from a message of its own, never inside the task that asks for it.
    virtual void notify(const std::string& title, const std::string& text) = 0;
    virtual void setStatus(const std::string& text) = 0;
    virtual plotting::StatusLines& statusLines() = 0;
    virtual run::RunReports& reports() = 0;
    // The job applied: checked against the application's lists, shown in the window and its drawings listed.
    // `listing` is that listing's generation (0: none started, the way out has begun); `applied` the job with
    // its device and plot style table named as the application offers them. Without checkLists the lists are
    // not read (a run that connects late checks them at its first open) and the job is applied as written.
    virtual std::optional<std::string> applyJob(const plotting::PlotJobSpec& job, std::uint64_t* listing,
                                                plotting::PlotJobSpec* applied, bool checkLists) = 0;
    // A job named on the command line without /run: loaded into the window for the user.
    virtual std::optional<std::string> loadJob(const std::string& file) = 0;
    // Lists these drawings in place of what is listed; the listing's generation (0: none).
    virtual std::uint64_t listDrawings(std::vector<std::string> paths) = 0;
    // The rows listed now, in the list's order, and their folder.
    virtual std::vector<plotting::RunListSnapshot::Row> listedRows() = 0;
    virtual std::string listedFolder() const = 0;
    // A listing request's generation, and whether it is still the latest.
    virtual std::uint64_t askListing() = 0;
    virtual bool latestListing(std::uint64_t generation) const = 0;
    // The window's choices, for a resume the user asked for in the window.
    virtual plotting::PlotSetup chosenSetup() const = 0;
    virtual void startRun(plotting::RunKind kind, plotting::RunPurpose purpose, const std::string& resumes) = 0;
    virtual void startRequestedRun(run::RunRequest request) = 0;
    // How many sessions the user's settings plot with, when neither the command line nor the job says.
    virtual int storedSessions() const = 0;
    // Exit, as the menu's.
    virtual void exitCommand() = 0;
};

}  // namespace quillon::app
