#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "plotting/PlotRun.h"

namespace quillon::app {

// What an unattended run's exit code says, from how the run ended and what
// became of its drawings. Someone who reads only the code in the morning must
// be able to trust a 0: every drawing of the job was taken up and every sheet
// plotted as asked, without a warning. drawings is how many the run was given;
// no ending means the run never got to end (its application was lost).
RunExitCode runExitCode(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally,
                        int drawings);

// The same for a check, which plots nothing: 0 only when every drawing was checked and is ready, without
// a warning; 1 for a warning, a problem or a drawing not checked.
RunExitCode checkExitCode(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally,
                          int drawings);

// The console's last lines of an unattended run, without the "Quillon: " lead:
// the drawings per outcome, then the report's path (when there is one).
std::vector<std::string> runClosingLines(const plotting::PlotRun::Tally& tally, int drawings,
                                         const std::string& reportPath);

}  // namespace quillon::app
