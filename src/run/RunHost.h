#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/FileSystem.h"
#include "plotting/PlotRun.h"
#include "plotting/PlotRunDisplay.h"
#include "plotting/RunDeadline.h"
#include "plotting/StatusLines.h"
#include "plotting/pdf/PdfFileAccess.h"
#include "plotting/register/RegisterPages.h"
#include "run/RunReports.h"
#include "run/RunRequest.h"
#include "run/RunSession.h"
#include "run/Teller.h"

namespace quillon::run {

// What the runs need of the program around them: the sessions they plot with, the reports they keep, whom
// they tell and where they show, the files and the clock; and what they tell the program back. Called on
// the window's thread (pdfFiles() on the combining thread).
class RunHost {
public:
    virtual ~RunHost() = default;
    virtual RunSessions& sessions() = 0;
    virtual RunReports& reports() = 0;
    virtual Teller& teller() = 0;
    // Status's lines; setStatus says a line there at once.
    virtual plotting::StatusLines& statusLines() = 0;
    virtual void setStatus(const std::string& text) = 0;
    // What a run starting now shows through: the list's rows, Status, the progress bar and the pointer.
    virtual std::shared_ptr<plotting::PlotRunDisplay> runDisplay(const RunRequest& request) = 0;
    // How the combine reaches PDF files; made on the thread that combines.
    virtual std::unique_ptr<plotting::PdfFileAccess> pdfFiles() = 0;
    // TrueType fonts a drawing register may embed for text the standard font cannot show; none: it shows '?'.
    virtual plotting::RegisterFonts registerFonts() { return plotting::systemRegisterFonts(); }
    // How the combine reaches the plot record beside the files; made on the thread that combines.
    virtual std::unique_ptr<base::FileSystem> fileSystem() = 0;
    // The date and time the local clock shows now.
    virtual plotting::LocalTime localNow() = 0;

    // The way out: closing refuses a new run; leaving (the same, said of a run already going) ends it.
    virtual bool closing() const = 0;
    virtual bool leaving() const = 0;
    // While a run works, nothing may start a search, another run or a list refill.
    virtual void setBusy(bool busy) = 0;
    // A window hidden while the application started comes back once the application is given up on.
    virtual void showWindow() = 0;
    // The CAD application could not be started: the program says so and closes.
    virtual void couldNotStart(const std::string& why) = 0;
    // The run cannot start with these choices.
    virtual void refuseRun(const std::string& why) = 0;
    // The run of that generation ended (its end counts only for the run in progress, which it was).
    virtual void runEnded(std::uint64_t generation, std::optional<plotting::PlotRun::Ending> ending,
                          const plotting::PlotRun::Tally& tally) = 0;
    // Every session was given up on: a fill the plot boxes asked for never comes back.
    virtual void cadThreadLost() = 0;
    // The application was given up on and the program goes on: said to the user (a run it ended already
    // said so); an unattended job with no run yet ends there.
    virtual void cadLost(const std::string& why, bool duringRun) = 0;
    // True when the program goes without the sessions given up on.
    virtual bool leaveWithoutCad() = 0;
};

}  // namespace quillon::run
