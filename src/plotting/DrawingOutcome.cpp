#include "plotting/DrawingOutcome.h"

#include "plotting/DrawingPlotter.h"

#include "plotting/DrawingCheck.h"
#include "plotting/xref/XrefPaths.h"

namespace quillon::plotting {

namespace {

std::string layoutCount(int n) { return std::to_string(n) + (n == 1 ? " layout" : " layouts"); }

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : separator) + part;
    return out;
}

// Why the drawing's sheets failed: the first that says more than that the application refused them.
std::string sheetFailure(const DrawingReport& report, const char* refused) {
    for (const auto& sheet : report.sheets)
        if (!sheet.failure.empty() && sheet.failure != PlotNotAccepted) return sheet.failure;
    return refused;
}

}  // namespace

std::size_t DrawingOutcome::sheetsSetUp() const {
    std::size_t n = 0;
    for (const auto& sheet : sheets) n += sheet.leftOut ? 0 : 1;
    return n;
}

std::string DrawingOutcome::passedOverText() const {
    std::vector<std::string> empty;
    for (const auto& sheet : sheets)
        if (sheet.leftOut) empty.push_back(sheet.layout);
    std::string out;
    if (!empty.empty()) out += "; left out as empty: " + joined(empty, ", ");
    if (!unmatchedLayouts.empty()) out += "; not matching the layout patterns: " + joined(unmatchedLayouts, ", ");
    return out;
}

std::string DrawingOutcome::text() const {
    if (purpose == RunPurpose::Check) return checkText(*this);
    std::string out;
    switch (kind) {
        case Kind::ModelPlotted:
            out = "Plotted (model space)";
            if (!warnings.empty()) out += ", with warnings: " + warnings.front().text();
            else if (!plotWarnings.empty()) out += ", with warnings: " + plotWarnings.front();
            break;
        case Kind::LayoutsPlotted:
            out = layoutsPlotted == layoutsTried
                      ? layoutCount(layoutsPlotted) + " plotted"
                      : std::to_string(layoutsPlotted) + " of " + layoutCount(layoutsTried) + " plotted";
            if (layoutsWithWarnings > 0) {
                std::string what = joinedText(warnings);
                for (const auto& warning : plotWarnings) what += (what.empty() ? "" : "; ") + warning;
                out += ", " + std::to_string(layoutsWithWarnings) + " with warnings" + (what.empty() ? "" : ": " + what);
            }
            out += passedOverText();
            break;
        case Kind::Skipped:
            out = "Skipped: " + detail;
            break;
        case Kind::Failed:
            out = "Failed: " + detail;
            break;
        case Kind::NotStarted:
            out = "Not started: " + detail;
            break;
        case Kind::Checked:
            out = checkText(*this);
            break;
        case Kind::Started:
            out = "Started, not finished";
            break;
        case Kind::UpToDate: {
            std::string when = detail;
            if (when.size() > 10 && when[10] == 'T') when[10] = ' ';
            out = "Up to date (plotted " + when + ")";
            break;
        }
    }
    if (!renamedPlotFiles.empty())
        out += std::string(renamedPlotFiles.size() == 1 ? "; plot file" : "; plot files") +
               " named so as not to overwrite one of this run: " + joined(renamedPlotFiles, ", ");
    std::vector<std::string> besideKept;
    for (const auto& sheet : sheets)
        if (sheet.earlier == EarlierPlotFile::Kept && !sheet.plotFile.empty())
            besideKept.push_back(referenceFileName(sheet.plotFile));
    if (!besideKept.empty())
        out += std::string(besideKept.size() == 1 ? "; plot file" : "; plot files") +
               " named so as not to overwrite an earlier one that could not be replaced: " +
               joined(besideKept, ", ");
    if (!obsoleteFiles.empty())
        out += "; " + std::to_string(obsoleteFiles.size()) +
               (obsoleteFiles.size() == 1 ? " plot file of a sheet it no longer has" : " plot files of sheets it no longer has") +
               (obsoleteRemoved ? ", removed" : ", left as they were");
    if (stopped) out += " (stopped)";
    if (!closeError.empty()) out += "; not closed: " + closeError;
    return out;
}

DrawingOutcome outcomeOf(const DrawingReport& report, const std::string& escapedError) {
    // The facts as the plotter gathered them; what became of the drawing is decided here.
    DrawingOutcome outcome = report;
    using Kind = DrawingOutcome::Kind;
    auto set = [&](Kind kind, std::string detail) {
        outcome.kind = kind;
        outcome.detail = std::move(detail);
        return outcome;
    };
    if (!escapedError.empty()) return set(Kind::Failed, escapedError);
    if (!report.fileFound) return set(Kind::Skipped, "file not found");
    if (report.openElsewhere)
        return set(Kind::Skipped, "already open in AutoCAD, which would not open it again read-only");
    if (!report.opened) return set(Kind::Failed, report.openError.empty() ? "could not be opened" : report.openError);
    if (!report.found)
        return set(Kind::Failed, report.activationError.empty() ? "its document was not found after opening"
                                                                : report.activationError);
    // Nothing would come of the drawing: a typo in a pattern is caught by a check, not found in the morning.
    if (!report.noLayoutMatches.empty()) return set(Kind::Skipped, NoLayoutMatches + report.noLayoutMatches);
    if (report.purpose == RunPurpose::Check && outcome.sheetsSetUp() > 0) return set(Kind::Checked, "");
    if (!report.sheets.empty() && outcome.sheetsSetUp() == 0 && !report.stopped)
        return set(Kind::Skipped, EveryLayoutEmpty);
    if (report.purpose == RunPurpose::Check && !report.stopped) return set(Kind::Skipped, "no layout to plot");
    if (report.activeLayoutTried)
        return report.activeLayoutPlotted ? set(Kind::ModelPlotted, "")
                                          : set(Kind::Failed, sheetFailure(report, PlotNotAccepted));
    if (report.layoutsTried > 0 && report.layoutsPlotted == 0)
        return set(Kind::Failed, sheetFailure(report, NoLayoutAccepted));
    if (report.layoutsTried > 0) return set(Kind::LayoutsPlotted, "");
    return set(Kind::Skipped, report.stopped ? StoppedBeforePlotting : "nothing was plotted");
}

}  // namespace quillon::plotting
