#include "plotting/record/ResumePlan.h"

#include <set>
#include <string>
#include <unordered_map>

#include "base/Paths.h"
#include "plotting/DrawingOutcome.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/record/OutcomeWords.h"
#include "plotting/record/ReportColumns.h"

namespace quillon::plotting {

namespace {

bool means(const std::string& outcome, OutcomeWord::Meaning meaning) {
    const OutcomeWord* word = findOutcomeWord(outcome);
    return word && word->meaning == meaning;
}

// A drawing a resume would only skip again: the patterns pass over every
// layout of it, or every layout to plot is empty.
bool nothingToResume(const ReportRow& row) {
    return row.outcome == outcome_word::Skipped &&
           (row.reason.starts_with(NoLayoutMatches) || row.reason == EveryLayoutEmpty);
}

bool isDrawingPath(const std::string& path) { return base::foldedPath(path).ends_with(".dwg"); }

void checkRow(const ReportRecord& record, const ReportRecord& first) {
    const ReportRow& row = record.row;
    if (means(row.outcome, OutcomeWord::Meaning::OfACheck))
        throw ReportError(record.line,
                          "the report of a check, which plotted nothing: run its job to plot its drawings");
    if (row.drawing.empty()) throw ReportError(record.line, "the row names no drawing");
    if (!isDrawingPath(row.drawing))
        throw ReportError(record.line, "the run ended before it started" +
                                           (row.reason.empty() ? std::string() : " (" + row.reason + ")") +
                                           ": run its job " + row.drawing + " again");
    for (const auto& column : reportColumns()) {
        if (!column.choice) continue;
        const std::string mine = column.write(row), theirs = column.write(first.row);
        if (mine != theirs)
            throw ReportError(record.line, std::string("the ") + column.choice + " differs from line " +
                                               std::to_string(first.line) + "'s (\"" + mine + "\", not \"" + theirs +
                                               "\")");
    }
}

// The names the report recorded, and its rows to carry, each naming the report it was first written in.
void recordNames(ResumePlan& plan, const std::vector<ReportRecord>& records, const std::string& report) {
    JobNames& names = plan.names;
    names.qualifiersRecorded = true;
    for (const auto& record : records) {
        ReportRow row = record.row;
        if (means(row.outcome, OutcomeWord::Meaning::CombinedFile)) {
            if (!row.plotFile.empty()) names.combined[base::foldedPath(row.drawing)] = row.plotFile;
        } else if (!row.qualifier) {
            names.qualifiersRecorded = false;
        } else if (!row.qualifier->empty()) {
            names.qualifiers[base::foldedPath(row.drawing)] = *row.qualifier;
        }
        if (names.date.empty()) names.date = row.nameDate;
        if (row.carriedFrom.empty()) row.carriedFrom = report;
        names.carried.push_back(std::move(row));
    }
    if (!names.qualifiersRecorded) names.qualifiers.clear();
}

bool combineLeft(const ResumePlan& plan, const std::vector<ReportRecord>& records,
                 const std::function<bool(const std::string&)>& exists) {
    if (plan.job.combine.mode == CombineMode::None) return false;
    bool anyCombined = false, anySheet = false;
    for (const auto& record : records) {
        const ReportRow& row = record.row;
        if (!means(row.outcome, OutcomeWord::Meaning::CombinedFile)) {
            anySheet = anySheet || (means(row.outcome, OutcomeWord::Meaning::PlottedInFull) && !row.plotFile.empty());
            continue;
        }
        anyCombined = true;
        if (row.outcome != outcome_word::Combined) return true;
        if (exists && !row.plotFile.empty() && !exists(row.plotFile)) return true;
    }
    // A report of a run killed before its combine (one from before combined files had rows from the start).
    return !anyCombined && anySheet;
}

}  // namespace

ResumePlan resumePlan(const std::vector<ReportRecord>& records, const std::string& report,
                      const std::function<bool(const std::string&)>& exists) {
    if (records.empty()) throw ReportError(2, "the report has no rows, so it names no drawing to plot again");
    const ReportRecord& first = records.front();

    struct Drawing {
        std::string path;
        bool inFull = true;
    };
    std::vector<Drawing> drawings;
    std::unordered_map<std::string, std::size_t> byPath;
    for (const auto& record : records) {
        // A combined file is made again from the sheets at the resume's end.
        if (means(record.row.outcome, OutcomeWord::Meaning::CombinedFile)) continue;
        checkRow(record, first);
        const auto [at, isNew] = byPath.emplace(base::foldedPath(record.row.drawing), drawings.size());
        if (isNew) drawings.push_back({record.row.drawing});
        if (!means(record.row.outcome, OutcomeWord::Meaning::PlottedInFull) && !nothingToResume(record.row)) drawings[at->second].inFull = false;
    }

    ResumePlan plan;
    for (const auto& column : reportColumns())
        if (column.replay) column.replay(first.row, plan.job);
    plan.drawingsInReport = drawings.size();
    // A sheet whose row names a combined file (its own file went into it) is named afresh, never so.
    std::set<std::string> combined;
    for (const auto& record : records)
        if (means(record.row.outcome, OutcomeWord::Meaning::CombinedFile)) combined.insert(base::foldedPath(record.row.plotFile));
    for (const auto& record : records) {
        const ReportRow& row = record.row;
        if (means(row.outcome, OutcomeWord::Meaning::CombinedFile) || row.plotFile.empty() || row.layout.empty() ||
            combined.count(base::foldedPath(row.plotFile)) || !means(row.outcome, OutcomeWord::Meaning::PlottedInFull))
            continue;
        plan.names.sheets.emplace(recordedSheetKey(row.drawing, row.layout), row.plotFile);
    }
    for (const auto& drawing : drawings) {
        plan.names.listing.push_back(drawing.path);
        if (drawing.inFull)
            ++plan.plottedInFull;
        else
            plan.job.drawings.push_back(drawing.path);
    }
    recordNames(plan, records, report);
    plan.combineLeft = combineLeft(plan, records, exists);
    return plan;
}

}  // namespace quillon::plotting
