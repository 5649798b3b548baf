#include "plotting/pdf/CombinePlan.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "base/Paths.h"
#include "plotting/DrawingOutcome.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/record/OutcomeWords.h"
#include "plotting/xref/XrefPaths.h"

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

std::string expand(const std::string& pattern, const std::string& drawing, const CombineNaming& naming,
                   const NameValues& values = {}) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const auto close = pattern[i] == '{' ? pattern.find('}', i) : std::string::npos;
        const std::string field = close == std::string::npos ? std::string() : pattern.substr(i + 1, close - i - 1);
        std::optional<std::string> property;
        if (values && field.starts_with("prop:")) property = values("prop", std::string_view(field).substr(5));
        const std::string* value = field == "drawing" ? &drawing
                                   : field == "folder" ? &naming.folderName
                                   : field == "date"   ? &naming.date
                                   : field == "job"    ? &naming.jobName
                                   : property          ? &*property
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

bool plotted(const ReportRow& row) {
    const OutcomeWord* word = findOutcomeWord(row.outcome);
    return word && word->meaning == OutcomeWord::Meaning::PlottedInFull && row.outcome != outcome_word::LeftOut &&
           row.outcome != outcome_word::Obsolete;
}

bool combinedFileRow(const ReportRow& row) {
    const OutcomeWord* word = findOutcomeWord(row.outcome);
    return word && word->meaning == OutcomeWord::Meaning::CombinedFile;
}

// Rows that are sheets of a drawing: neither a combined file's row, nor a drawing that plotted nothing,
// nor a layout the run's own choice left out, which no set is missing.
bool sheetRow(const ReportRow& row) {
    return row.outcome != outcome_word::LeftOut && row.outcome != outcome_word::Obsolete && !combinedFileRow(row) &&
           !row.layout.empty();
}

// A drawing the run's own choices leave nothing of: none of its layouts chosen, or every one empty.
bool nothingToPlot(const ReportRow& row) {
    return row.outcome == outcome_word::LeftOut || row.outcome == outcome_word::Obsolete ||
           (row.outcome == outcome_word::Skipped &&
            (row.reason.starts_with(NoLayoutMatches) || row.reason == EveryLayoutEmpty));
}

// One drawing's rows, in the record's order.
struct DrawingRows {
    std::string path;
    std::vector<const ReportRow*> rows;
};

std::vector<DrawingRows> byDrawing(const std::vector<ReportRow>& rows) {
    std::vector<DrawingRows> drawings;
    std::map<std::string, std::size_t> at;
    for (const ReportRow& row : rows) {
        if (combinedFileRow(row)) continue;
        const auto [found, isNew] = at.emplace(base::foldedPath(row.drawing), drawings.size());
        if (isNew) drawings.push_back({row.drawing, {}});
        drawings[found->second].rows.push_back(&row);
    }
    return drawings;
}

// The drawing's sheets into the target; the drawing itself missing when none of its sheets is there.
// False when it has nothing to combine at all.
bool addDrawing(CombineTarget& target, const DrawingRows& drawing) {
    const std::string name = stem(fileNamePart(drawing.path));
    std::vector<CombinedSheet> sheets;
    std::vector<LeftOutSheet> notPlotted;
    bool nothing = true;
    const ReportRow* own = nullptr;  // the drawing's own row: why it plotted nothing
    for (const ReportRow* row : drawing.rows) {
        if (!nothingToPlot(*row)) nothing = false;
        if (row->layout.empty() && !own) own = row;
        if (!sheetRow(*row)) continue;
        CombinedSheet sheet{name, row->layout, row->plotFile};
        sheet.path = row->drawing;
        sheet.bookmark = row->bookmark;
        sheet.earlier = row->outcome == outcome_word::UpToDate;
        if (const auto pages = combinedPagesFrom(row->combinedPages)) {
            sheet.inCombinedFile = true;
            std::tie(sheet.firstPage, sheet.pageCount) = *pages;
        }
        if (plotted(*row) && !row->plotFile.empty()) sheets.push_back(sheet);
        else notPlotted.push_back({sheet, row->reason.empty() ? row->outcome : row->outcome + ": " + row->reason});
    }
    if (nothing) return false;
    if (sheets.empty()) {
        const ReportRow& why = own ? *own : *drawing.rows.front();
        target.missingDrawings.push_back({name, why.reason.empty() ? why.outcome : why.outcome + ": " + why.reason});
        return true;
    }
    target.sheets.insert(target.sheets.end(), sheets.begin(), sheets.end());
    target.notPlotted.insert(target.notPlotted.end(), notPlotted.begin(), notPlotted.end());
    return true;
}

}  // namespace

std::string combinedPagesText(std::size_t firstPage, std::size_t pages) {
    std::string text = std::to_string(firstPage + 1);
    if (pages > 1) text += "-" + std::to_string(firstPage + pages);
    return text;
}

std::optional<std::pair<std::size_t, std::size_t>> combinedPagesFrom(const std::string& text) {
    std::size_t first = 0, last = 0;
    const auto dash = text.find('-');
    const std::string a = text.substr(0, dash), b = dash == std::string::npos ? a : text.substr(dash + 1);
    auto number = [](const std::string& digits, std::size_t& value) {
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        value = std::stoul(digits);
        return value > 0;
    };
    if (!number(a, first) || !number(b, last) || last < first) return std::nullopt;
    return std::pair{first - 1, last - first + 1};
}

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

std::vector<std::pair<std::string, std::string>> combinedFileNames(const CombineChoice& choice,
                                                                   const std::vector<std::string>& drawings,
                                                                   const PlotFileOptions& files,
                                                                   const CombineNaming& naming) {
    std::vector<std::pair<std::string, std::string>> names;
    if (choice.mode == CombineMode::None) return names;
    if (choice.mode == CombineMode::Run) {
        const std::string pattern = trimmed(choice.fileName).empty() ? DefaultRunCombinedName : choice.fileName;
        std::string name = expand(pattern, "", naming);
        if (name.empty()) name = "Quillon";
        const std::string partSuffix = naming.part.empty() ? "" : " " + naming.part;
        names.emplace_back(naming.runFolder, withTrailingSeparator(naming.runFolder) + name + partSuffix + ".pdf");
        return names;
    }
    for (const std::string& drawing : drawings)
        names.emplace_back(drawing, *drawingCombinedFile(choice, drawing, files, naming, {}));
    return names;
}

std::optional<std::string> drawingCombinedFile(const CombineChoice& choice, const std::string& drawing,
                                               const PlotFileOptions& files, const CombineNaming& naming,
                                               const std::optional<NameValues>& properties) {
    std::string pattern = trimmed(choice.fileName).empty() ? DefaultDrawingCombinedName : choice.fileName;
    if (!valueFields(pattern).empty()) {
        if (properties && !missingValueFields(pattern, *properties).empty()) return std::nullopt;
        // Named before its drawing is open: the usual name, until its properties give it the one asked.
        if (!properties) pattern = DefaultDrawingCombinedName;
    }
    std::string qualified = stem(fileNamePart(drawing));
    if (const auto q = files.qualifiers.find(base::foldedPath(drawing)); q != files.qualifiers.end())
        qualified += " (" + q->second + ")";
    std::string name = expand(pattern, qualified, naming, properties ? *properties : NameValues{});
    if (name.empty()) name = qualified + " sheets";
    const std::string folder = files.folder.empty() ? folderPart(drawing) : withTrailingSeparator(files.folder);
    return folder + keptFileName(std::move(name), folder, ".pdf") + ".pdf";
}

std::string registerFileName(const std::string& pattern, const CombineNaming& naming) {
    std::string name = trimmed(expand(pattern, "", naming));
    if (name.empty()) name = "Register";
    const std::string partSuffix = naming.part.empty() ? "" : " " + naming.part;
    return withTrailingSeparator(naming.runFolder) + name + partSuffix + ".csv";
}

std::vector<CombineTarget> combineTargets(const CombineChoice& choice, const std::vector<ReportRow>& rows,
                                          const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<CombineTarget> targets;
    if (choice.mode == CombineMode::None || files.empty()) return targets;
    const std::vector<DrawingRows> drawings = byDrawing(rows);
    if (choice.mode == CombineMode::Run) {
        CombineTarget target{files.front().second, files.front().first, {}, {}, {}};
        bool any = false;
        for (const DrawingRows& drawing : drawings) any = addDrawing(target, drawing) || any;
        if (any) targets.push_back(std::move(target));
        return targets;
    }
    std::map<std::string, const DrawingRows*> ofPath;
    for (const DrawingRows& drawing : drawings) ofPath.emplace(base::foldedPath(drawing.path), &drawing);
    for (const auto& [subject, file] : files) {
        CombineTarget target{file, subject, {}, {}, {}};
        const auto found = ofPath.find(base::foldedPath(subject));
        if (found == ofPath.end()) {
            target.missingDrawings.push_back({stem(fileNamePart(subject)), "not in the record"});
            targets.push_back(std::move(target));
        } else if (addDrawing(target, *found->second)) {
            targets.push_back(std::move(target));
        }
    }
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
        row.outcome = missing.empty() && target.missingDrawings.empty() && result.frontLeftOut.empty()
                          ? outcome_word::Combined
                          : outcome_word::CombinedWithWarnings;
        row.reason = std::to_string(result.pages) + (result.pages == 1 ? " page" : " pages");
        if (!result.frontLeftOut.empty()) row.reason += "; the register is not in it: " + result.frontLeftOut;
    } else {
        row.outcome = outcome_word::NotCombined;
        row.reason = result.kind == Kind::Stopped ? "stopped before the file was whole" : result.error;
    }
    const std::size_t drawings = target.missingDrawings.size();
    for (std::size_t i = 0; i < drawings; ++i)
        row.reason += (i == 0 ? "; " + std::to_string(drawings) + (drawings == 1 ? " drawing missing: " : " drawings missing: ")
                              : ", ") +
                      target.missingDrawings[i].drawing + " (" + target.missingDrawings[i].why + ")";
    for (std::size_t i = 0; i < missing.size(); ++i) {
        row.reason += (i == 0 ? "; missing: " : ", ") + missing[i].sheet.drawing + " " + missing[i].sheet.layout +
                      " (" + missing[i].why + ")";
    }
    return row;
}

ReportRow combinedRowAhead(const std::string& subject, const std::string& file, const ReportRow& choices) {
    ReportRow row = choices;
    row.drawing = subject;
    row.layout.clear();
    row.plotFile = file;
    row.outcome = outcome_word::NotCombinedYet;
    return row;
}

}  // namespace quillon::plotting
