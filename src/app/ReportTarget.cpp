#include "app/ReportTarget.h"

#include "base/Paths.h"

namespace quillon::app {

std::optional<std::string> reportTargetRefusal(const CommandLine& line) {
    if (!line.report) return std::nullopt;
    const std::string& target = *line.report;
    auto refused = [&](const char* why) { return "The run report cannot be written to " + target + ": " + why; };
    if (base::samePath(target, line.job))
        return refused(line.mode == CommandLine::Mode::ResumeRun ? "it is the report being resumed."
                                                                  : "it is the plot job itself.");
    for (const std::string& report : line.reports)
        if (base::samePath(target, report)) return refused("it is one of the reports to combine.");
    if (base::foldedPath(target).ends_with(".dwg"))
        return refused("it is a drawing.");
    if (base::foldedPath(target).ends_with(".journal"))
        return refused("it is the journal of a report, which a resume reads.");
    return std::nullopt;
}

}  // namespace quillon::app
