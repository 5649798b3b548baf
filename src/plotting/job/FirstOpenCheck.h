#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "autocad/CadConnection.h"
#include "plotting/PlotRules.h"
#include "plotting/job/PlotJobFile.h"

namespace quillon::plotting {

// The checks of a job that need the CAD application, made once for the run at the first drawing that will be
// opened rather than before the run: a run of changed drawings connects to the application only once it
// knows one will be opened, so a night where nothing changed starts none. The job's device, paper and plot
// style table are checked against the application's lists, then the template's page setup and the device's
// papers (refusalBeforeFirstOpen). Shared by the run's sessions: the first to come makes them.
class FirstOpenCheck {
public:
    FirstOpenCheck(PlotJobSpec job, bool paper) : job_(std::move(job)), paper_(paper) {}

    // Why the run cannot go on, made on this connection the first time; nothing when all is well or when
    // nothing could be read (the run then meets the same trouble drawing by drawing).
    std::optional<std::string> refusal(autocad::CadConnection& connection, const PlotSetup& setup);

private:
    std::optional<std::string> make(autocad::CadConnection& connection, const PlotSetup& setup);

    PlotJobSpec job_;
    bool paper_;
    std::mutex mutex_;
    std::optional<std::optional<std::string>> made_;
};

}  // namespace quillon::plotting
