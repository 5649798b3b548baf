#include "app/RunExit.h"

namespace quillon::app {

namespace {

int notStarted(const plotting::PlotRun::Tally& tally, int drawings) {
    const int done = tally.plotted + tally.upToDate + tally.skipped + tally.failed + tally.ready +
                     tally.readyWithWarnings + tally.problems;
    return drawings > done ? drawings - done : 0;
}

// The code an ending decides alone; none for a run that went to its end (Finished).
std::optional<RunExitCode> endingCode(std::optional<plotting::PlotRun::Ending> ending) {
    using Ending = plotting::PlotRun::Ending;
    if (!ending || *ending == Ending::ApplicationLost) return RunExitCode::CadUnavailable;
    if (*ending == Ending::Refused) return RunExitCode::BadJobOrArguments;
    if (*ending == Ending::Stopped) return RunExitCode::Stopped;
    // A run still running has not ended as asked.
    if (*ending != Ending::Finished) return RunExitCode::SomeNotPlotted;
    return std::nullopt;
}

}  // namespace

RunExitCode runExitCode(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally,
                        int drawings) {
    if (const auto code = endingCode(ending)) return *code;
    const bool asAsked = tally.failed == 0 && tally.skipped == 0 && tally.sheetsWithWarnings == 0 &&
                         tally.sheetsRefused == 0 && tally.notClosed == 0 && tally.obsoleteFiles == 0 &&
                         tally.combineProblems == 0 && notStarted(tally, drawings) == 0;
    return asAsked ? RunExitCode::AllPlotted : RunExitCode::SomeNotPlotted;
}

RunExitCode checkExitCode(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally,
                          int drawings) {
    if (const auto code = endingCode(ending)) return *code;
    const bool allReady = tally.ready == drawings && tally.readyWithWarnings == 0 && tally.problems == 0 &&
                          tally.skipped == 0 && tally.failed == 0;
    return allReady ? RunExitCode::AllPlotted : RunExitCode::SomeNotPlotted;
}

std::vector<std::string> runClosingLines(const plotting::PlotRun::Tally& tally, int drawings,
                                         const std::string& reportPath) {
    auto n = [](int count) { return std::to_string(count); };
    if (tally.purpose == plotting::RunPurpose::Check) {
        std::vector<std::string> lines = {"ready: " + n(tally.ready) + " of " + n(drawings) + " drawings",
                                          "ready with warnings: " + n(tally.readyWithWarnings),
                                          "problems: " + n(tally.problems),
                                          "not checked: " + n(notStarted(tally, drawings) + tally.skipped + tally.failed)};
        if (!reportPath.empty()) lines.push_back("check report " + reportPath);
        return lines;
    }
    std::vector<std::string> lines = {
        "plotted: " + n(tally.plotted) + " of " + n(drawings) + " drawings (" + n(tally.sheets) + " sheets, " +
            n(tally.sheetsWithWarnings) + " with warnings, " + n(tally.sheetsRefused) + " not accepted" +
            (tally.notClosed > 0 ? ", " + n(tally.notClosed) + " drawings left open" : "") + ")",
        "skipped: " + n(tally.skipped),
        "failed: " + n(tally.failed),
        "not started: " + n(notStarted(tally, drawings)),
    };
    if (tally.upToDate > 0) lines.insert(lines.begin() + 1, "up to date: " + n(tally.upToDate) + " drawings, not opened");
    if (tally.obsoleteFiles > 0)
        lines.insert(lines.end() - 1, "obsolete: " + n(tally.obsoleteFiles) + " plot files of sheets no longer in their drawings");
    if (!reportPath.empty()) lines.push_back("run report " + reportPath);
    return lines;
}

}  // namespace quillon::app
