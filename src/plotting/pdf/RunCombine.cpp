#include "plotting/pdf/RunCombine.h"

#include <map>
#include <set>
#include <tuple>

#include "base/Paths.h"
#include "plotting/record/OutcomeWords.h"

namespace quillon::plotting {

namespace {

// Every name a combined file of the record has had: the record's names now, and those its rows give.
std::set<std::string> combinedNames(const RunCombineInput& input) {
    std::set<std::string> names;
    for (const auto& [subject, file] : input.files) names.insert(base::foldedPath(file));
    for (const ReportRow& row : input.rows) {
        const OutcomeWord* word = findOutcomeWord(row.outcome);
        if (word && word->meaning == OutcomeWord::Meaning::CombinedFile && !row.plotFile.empty())
            names.insert(base::foldedPath(row.plotFile));
    }
    return names;
}

// Marks the sheets whose rows name a combined file (their own files went into it): each is the n-th sheet of
// its drawing and layout in that file, counted in the record's order as it was written.
void markCombinedSources(std::vector<CombineTarget>& targets, const std::set<std::string>& combined) {
    std::map<std::tuple<std::string, std::string, std::string>, std::size_t> seen;
    for (CombineTarget& target : targets)
        for (CombinedSheet& sheet : target.sheets) {
            const std::string folded = base::foldedPath(sheet.file);
            if (!sheet.inCombinedFile && !combined.count(folded)) continue;
            sheet.inCombinedFile = true;
            sheet.occurrence = seen[{folded, sheet.drawing, sheet.layout}]++;
        }
}

}  // namespace

bool takePlace(ReportRow& row, const SheetPlace& place) {
    if ((!place.moves && !place.fromCombined) || row.layout != place.layout ||
        !base::samePath(row.drawing, place.drawing) || !base::samePath(row.plotFile, place.from))
        return false;
    row.plotFile = place.into;
    row.combinedPages = place.pages;
    return true;
}

RunCombineOutput combineRun(const RunCombineInput& input, PdfFileAccess& files, const std::function<bool()>& stop,
                            const std::function<void(const std::string&)>& status) {
    RunCombineOutput output;
    std::vector<CombineTarget> targets = combineTargets(input.choice, input.rows, input.files);
    const std::set<std::string> combined = combinedNames(input);
    markCombinedSources(targets, combined);
    for (const CombineTarget& target : targets) {
        if (stop && stop()) {
            output.stopped = true;
            break;
        }
        CombineResult result;
        if (target.sheets.empty()) {
            result.error = "no sheet of it was plotted";
        } else {
            if (status)
                status("Combining " + std::to_string(target.sheets.size()) +
                       (target.sheets.size() == 1 ? " sheet into " : " sheets into ") + target.file);
            // A drawing's own combined file holds its sheets alone: the set's front pages go in the run's.
            result = combinePdfSheets(target.sheets, target.file, files, {nullptr, stop},
                                      input.choice.mode == CombineMode::Run ? input.front : CombineFront{});
        }
        output.rows.emplace_back(target.subject, combinedRow(target, result, input.choices));
        // A sheet or a drawing the run did not plot makes the file incomplete as surely as one that could not be read.
        if (output.rows.back().second.outcome != outcome_word::Combined) ++output.withWarnings;
        if (result.kind == CombineResult::Kind::Stopped) {
            output.stopped = true;
            break;
        }
        if (result.file.empty()) continue;
        std::vector<SheetPlace> places;
        bool anyMoves = false;
        for (const PlacedSheet& placed : result.placed) {
            const CombinedSheet& sheet = target.sheets[placed.sheet];
            // An earlier combined file is a set, not a single sheet; a kept file is no step's to remove.
            const std::string folded = base::foldedPath(sheet.file);
            const bool moves = !input.choice.keepSheetFiles && !sheet.inCombinedFile && !sheet.earlier &&
                               !combined.count(folded) && !base::samePath(sheet.file, result.file) &&
                               !(input.kept && input.kept(folded));
            anyMoves = anyMoves || moves;
            places.push_back({sheet.path, sheet.layout, sheet.file, result.file,
                              combinedPagesText(placed.firstPage, placed.pages), sheet.inCombinedFile, moves});
        }
        const bool recorded = !input.recordPlaces || input.recordPlaces(places);
        if (!anyMoves || !recorded) continue;
        for (const SheetPlace& place : places)
            if (place.moves) files.remove(place.from);
    }
    // Stopped before some files were begun: they count as not made.
    if (output.stopped) ++output.withWarnings;
    return output;
}

}  // namespace quillon::plotting
