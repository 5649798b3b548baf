#include "plotting/RunCombine.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "plotting/OutcomeWords.h"

namespace quillon::plotting {

std::vector<ReportRow> rowsWithResumed(const std::vector<ReportRow>& resumed, const std::vector<ReportRow>& rows) {
    std::set<std::string> again;
    for (const ReportRow& row : rows) again.insert(row.drawing);
    std::vector<ReportRow> merged;
    std::set<std::string> placed;
    for (const ReportRow& row : resumed) {
        // An earlier run's combined file is not a sheet: its sheets are in the rows themselves.
        const OutcomeWord* word = findOutcomeWord(row.outcome);
        if (word && word->meaning == OutcomeWord::Meaning::CombinedFile) continue;
        if (!again.count(row.drawing)) {
            merged.push_back(row);
        } else if (placed.insert(row.drawing).second) {
            for (const ReportRow& now : rows)
                if (now.drawing == row.drawing) merged.push_back(now);
        }
    }
    for (const ReportRow& now : rows)
        if (!placed.count(now.drawing) && std::none_of(resumed.begin(), resumed.end(),
                                                      [&](const ReportRow& r) { return r.drawing == now.drawing; }))
            merged.push_back(now);
    return merged;
}

namespace {

// Marks the sheets whose rows name a combined file of the resumed report (their own files went into it):
// each is the n-th sheet of its drawing and layout in that file, counted in the report's order as it was written.
void markCombinedSources(std::vector<CombineTarget>& targets, const std::vector<ReportRow>& resumed) {
    std::set<std::string> combinedFiles;
    for (const ReportRow& row : resumed) {
        const OutcomeWord* word = findOutcomeWord(row.outcome);
        if (word && word->meaning == OutcomeWord::Meaning::CombinedFile && !row.plotFile.empty())
            combinedFiles.insert(row.plotFile);
    }
    if (combinedFiles.empty()) return;
    std::map<std::tuple<std::string, std::string, std::string>, std::size_t> seen;
    for (CombineTarget& target : targets) {
        for (CombinedSheet& sheet : target.sheets) {
            if (!combinedFiles.count(sheet.file)) continue;
            sheet.inCombinedFile = true;
            sheet.occurrence = seen[{sheet.file, sheet.drawing, sheet.layout}]++;
        }
    }
}

}  // namespace

RunCombineOutput combineRun(const RunCombineInput& input, PdfFileAccess& files, const std::function<bool()>& stop,
                            const std::function<void(const std::string&)>& status) {
    RunCombineOutput output;
    const std::vector<ReportRow> rows = input.resumed.empty() ? input.rows : rowsWithResumed(input.resumed, input.rows);
    std::vector<CombineTarget> targets = combineTargets(input.choice, rows, input.naming);
    markCombinedSources(targets, input.resumed);
    for (const CombineTarget& target : targets) {
        if (stop && stop()) {
            output.stopped = true;
            break;
        }
        if (status)
            status("Combining " + std::to_string(target.sheets.size()) +
                   (target.sheets.size() == 1 ? " sheet into " : " sheets into ") + target.file);
        const CombineResult result = combinePdfSheets(target.sheets, target.file, files, {nullptr, stop});
        output.rows.push_back(combinedRow(target, result, input.choices));
        // A sheet the run did not plot makes the file incomplete as surely as one that could not be read.
        if (output.rows.back().outcome != outcome_word::Combined) ++output.withWarnings;
        if (result.kind == CombineResult::Kind::Stopped) {
            output.stopped = true;
            break;
        }
        if (input.choice.keepSheetFiles || result.file.empty()) continue;
        std::vector<std::pair<std::string, std::string>> moves;
        for (const CombinedSheet& sheet : target.sheets) {
            // An earlier combined file is last night's set, not a single sheet: it is never removed here.
            if (sheet.inCombinedFile) continue;
            const bool leftOut = std::any_of(result.leftOut.begin(), result.leftOut.end(),
                                             [&](const LeftOutSheet& l) { return l.sheet.file == sheet.file; });
            if (!leftOut) moves.emplace_back(sheet.file, result.file);
        }
        if (moves.empty() || (input.recordMoves && !input.recordMoves(moves))) continue;
        for (const auto& move : moves) files.remove(move.first);
    }
    // Stopped before some files were begun: they count as not made.
    if (output.stopped) ++output.withWarnings;
    return output;
}

}  // namespace quillon::plotting
