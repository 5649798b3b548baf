#include "plotting/ResumePlan.h"

#include <string>
#include <unordered_map>

#include "plotting/DrawingOutcome.h"
#include "plotting/PathFold.h"

namespace quillon::plotting {

namespace {

struct Choice {
    const char* name;
    std::string (*of)(const ReportRow&);
};

// The run's own choices, written on every row; a resume takes them all.
const Choice Choices[] = {
    {"device", [](const ReportRow& r) { return r.device; }},
    {"paper", [](const ReportRow& r) { return r.paper; }},
    {"plot style table", [](const ReportRow& r) { return r.plotStyleTable; }},
    {"number of copies", [](const ReportRow& r) { return std::to_string(r.copies); }},
    {"Layouts choice", [](const ReportRow& r) { return std::string(r.layouts ? "yes" : "no"); }},
    {"plot folder", [](const ReportRow& r) { return r.plotFolder; }},
    {"plot file name", [](const ReportRow& r) { return r.plotFileName; }},
    {"plot file extension", [](const ReportRow& r) { return r.plotFileExtension; }},
};

bool isCheckOutcome(const std::string& outcome) {
    return outcome == "ready" || outcome == "ready with warnings" || outcome == "problems";
}

bool isPlotted(const std::string& outcome) { return outcome == "plotted" || outcome == "plotted with warnings"; }

// Rows a resume would only repeat: a sheet left out as empty, a drawing whose
// layouts the patterns all pass over or are all empty.
bool nothingToResume(const ReportRow& row) {
    if (row.outcome == LeftOutOutcome) return true;
    return row.outcome == "skipped" &&
           (row.reason.starts_with(NoLayoutMatches) || row.reason == EveryLayoutEmpty);
}

bool isDrawingPath(const std::string& path) { return foldedPath(path).ends_with(".dwg"); }

void checkRow(const ReportRecord& record, const ReportRecord& first) {
    const ReportRow& row = record.row;
    if (isCheckOutcome(row.outcome))
        throw ReportError(record.line,
                          "the report of a check, which plotted nothing: run its job to plot its drawings");
    if (row.drawing.empty()) throw ReportError(record.line, "the row names no drawing");
    if (!isDrawingPath(row.drawing))
        throw ReportError(record.line, "the run ended before it started" +
                                           (row.reason.empty() ? std::string() : " (" + row.reason + ")") +
                                           ": run its job " + row.drawing + " again");
    for (const auto& choice : Choices) {
        const std::string mine = choice.of(row), theirs = choice.of(first.row);
        if (mine != theirs)
            throw ReportError(record.line, std::string("the ") + choice.name + " differs from line " +
                                               std::to_string(first.line) + "'s (\"" + mine + "\", not \"" + theirs +
                                               "\")");
    }
}

}  // namespace

ResumePlan resumePlan(const std::vector<ReportRecord>& records) {
    if (records.empty()) throw ReportError(2, "the report has no rows, so it names no drawing to plot again");
    const ReportRecord& first = records.front();

    struct Drawing {
        std::string path;
        bool inFull = true;
    };
    std::vector<Drawing> drawings;
    std::unordered_map<std::string, std::size_t> byPath;
    for (const auto& record : records) {
        checkRow(record, first);
        const auto [at, isNew] = byPath.emplace(foldedPath(record.row.drawing), drawings.size());
        if (isNew) drawings.push_back({record.row.drawing});
        if (!isPlotted(record.row.outcome) && !nothingToResume(record.row)) drawings[at->second].inFull = false;
    }

    ResumePlan plan;
    const ReportRow& choices = first.row;
    plan.job.device = choices.device;
    plan.job.paper = choices.paper;
    plan.job.plotStyleTable = choices.plotStyleTable;
    plan.job.copies = choices.copies;
    plan.job.layouts = choices.layouts;
    plan.job.plotFolder = choices.plotFolder;
    plan.job.plotFileName = choices.plotFileName;
    plan.job.plotFileExtension = choices.plotFileExtension;
    plan.drawingsInReport = drawings.size();
    for (const auto& drawing : drawings) {
        if (drawing.inFull)
            ++plan.plottedInFull;
        else
            plan.job.drawings.push_back(drawing.path);
    }
    return plan;
}

}  // namespace quillon::plotting
