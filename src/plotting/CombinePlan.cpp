#include "plotting/CombinePlan.h"

#include <algorithm>

#include "plotting/OutcomeWords.h"
#include "plotting/PlotFileNaming.h"
#include "plotting/XrefPaths.h"

namespace quillon::plotting {

namespace {

std::string_view fileNamePart(std::string_view path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string folderPart(std::string_view path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? std::string() : std::string(path.substr(0, separator + 1));
}

std::string stem(std::string_view name) {
    const auto dot = name.find_last_of('.');
    return std::string(dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot));
}

std::string expand(const std::string& pattern, const std::string& drawing, const CombineNaming& naming) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const auto close = pattern[i] == '{' ? pattern.find('}', i) : std::string::npos;
        const std::string field = close == std::string::npos ? std::string() : pattern.substr(i + 1, close - i - 1);
        const std::string* value = field == "drawing" ? &drawing
                                   : field == "folder" ? &naming.folderName
                                   : field == "date"   ? &naming.date
                                   : field == "job"    ? &naming.jobName
                                                       : nullptr;
        if (value) {
            out += *value;
            i = close + 1;
        } else {
            out += pattern[i++];
        }
    }
    // What Windows cannot hold in a name, or would drop from its end.
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
    return out;
}

std::string trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    while (!text.empty() && text.front() == ' ') text.erase(text.begin());
    return text;
}

bool plotted(const ReportRow& row) { return row.outcome == "plotted" || row.outcome == "plotted with warnings"; }

// Rows that are sheets of a drawing: neither a combined file's row, nor a drawing that plotted nothing,
// nor a layout the run's own choice left out, which no set is missing.
bool sheetRow(const ReportRow& row) {
    if (row.outcome == outcome_word::LeftOut) return false;
    const OutcomeWord* word = findOutcomeWord(row.outcome);
    return !(word && word->meaning == OutcomeWord::Meaning::CombinedFile) && !row.layout.empty();
}

}  // namespace

std::string combineModeWord(CombineMode mode) {
    return mode == CombineMode::PerDrawing ? "drawing" : mode == CombineMode::Run ? "run" : "";
}

std::optional<CombineMode> combineModeFromWord(const std::string& word) {
    if (word.empty() || word == "no") return CombineMode::None;
    if (word == "drawing") return CombineMode::PerDrawing;
    if (word == "run") return CombineMode::Run;
    return std::nullopt;
}

std::optional<std::string> combineRefusal(const CombineChoice& choice, const std::string& device,
                                          const std::string& plotFileName) {
    if (choice.mode == CombineMode::None) return std::nullopt;
    if (deviceExtension(device) != ".pdf")
        return "Only PDF sheets can be combined: the device " + device + " does not make PDF files.";
    const std::string pattern = trimmed(choice.fileName);
    if (pattern.find("{layout}") != std::string::npos)
        return "The combined file's name cannot have {layout}: it holds every sheet.";
    if (choice.mode != CombineMode::PerDrawing || pattern.empty()) return std::nullopt;
    if (pattern.find("{drawing}") == std::string::npos)
        return "The name of each drawing's combined file must have {drawing}, or the drawings' files would meet.";
    const std::string sheets = trimmed(plotFileName);
    if (pattern == "{drawing}" || pattern == sheets)
        return "The combined file's name \"" + choice.fileName + "\" would be a sheet's own name.";
    return std::nullopt;
}

std::vector<CombineTarget> combineTargets(const CombineChoice& choice, const std::vector<ReportRow>& rows,
                                          const CombineNaming& naming) {
    std::vector<CombineTarget> targets;
    if (choice.mode == CombineMode::None) return targets;
    const std::string partSuffix = naming.part.empty() ? "" : " " + naming.part;
    auto sheetOf = [](const ReportRow& row) {
        return CombinedSheet{stem(fileNamePart(row.drawing)), row.layout, row.plotFile};
    };
    auto add = [](CombineTarget& target, const ReportRow& row, const CombinedSheet& sheet) {
        if (plotted(row) && !row.plotFile.empty()) target.sheets.push_back(sheet);
        else target.notPlotted.push_back({sheet, row.reason.empty() ? row.outcome : row.outcome + ": " + row.reason});
    };
    if (choice.mode == CombineMode::Run) {
        CombineTarget target;
        const std::string pattern = trimmed(choice.fileName).empty() ? DefaultRunCombinedName : choice.fileName;
        std::string name = expand(pattern, "", naming);
        if (name.empty()) name = "Quillon";
        target.file = withTrailingSeparator(naming.runFolder) + name + partSuffix + ".pdf";
        target.subject = naming.runFolder;
        for (const ReportRow& row : rows)
            if (sheetRow(row)) add(target, row, sheetOf(row));
        if (!target.sheets.empty() || !target.notPlotted.empty()) targets.push_back(std::move(target));
        return targets;
    }
    const std::string pattern = trimmed(choice.fileName).empty() ? DefaultDrawingCombinedName : choice.fileName;
    for (const ReportRow& row : rows) {
        if (!sheetRow(row)) continue;
        auto found = std::find_if(targets.begin(), targets.end(),
                                  [&](const CombineTarget& t) { return t.subject == row.drawing; });
        if (found == targets.end()) {
            CombineTarget target;
            target.subject = row.drawing;
            targets.push_back(std::move(target));
            found = targets.end() - 1;
        }
        add(*found, row, sheetOf(row));
        if (found->file.empty() && !found->sheets.empty()) {
            const std::string drawing = stem(fileNamePart(row.drawing));
            std::string name = expand(pattern, drawing, naming);
            if (name.empty()) name = drawing + " sheets";
            found->file = folderPart(row.plotFile) + name + partSuffix + ".pdf";
        }
    }
    // A drawing none of whose sheets was plotted has nothing to combine; its own rows say why.
    targets.erase(std::remove_if(targets.begin(), targets.end(), [](const CombineTarget& t) { return t.sheets.empty(); }),
                  targets.end());
    return targets;
}

ReportRow combinedRow(const CombineTarget& target, const CombineResult& result, const ReportRow& choices) {
    ReportRow row = choices;
    row.drawing = target.subject;
    row.layout.clear();
    row.plotFile = result.file.empty() ? target.file : result.file;
    std::vector<LeftOutSheet> missing = target.notPlotted;
    missing.insert(missing.end(), result.leftOut.begin(), result.leftOut.end());
    using Kind = CombineResult::Kind;
    if (result.kind == Kind::Combined || result.kind == Kind::CombinedWithWarnings) {
        row.outcome = missing.empty() ? outcome_word::Combined : outcome_word::CombinedWithWarnings;
        row.reason = std::to_string(result.pages) + (result.pages == 1 ? " page" : " pages");
    } else {
        row.outcome = outcome_word::NotCombined;
        row.reason = result.kind == Kind::Stopped ? "the run was stopped before the file was whole" : result.error;
    }
    for (std::size_t i = 0; i < missing.size(); ++i) {
        row.reason += (i == 0 ? "; missing: " : ", ") + missing[i].sheet.drawing + " " + missing[i].sheet.layout +
                      " (" + missing[i].why + ")";
    }
    return row;
}

}  // namespace quillon::plotting
