#include "plotting/record/ReportColumns.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <cstdio>
#include <iterator>

#include "plotting/PlotRules.h"
#include "plotting/pdf/CombinePlan.h"
#include "plotting/record/OutcomeWords.h"
#include "plotting/titleblocks/TitleValuesText.h"

namespace quillon::plotting {

namespace {

constexpr int MostCopies = 32767;

using Why = std::optional<std::string>;

bool isDate(const std::string& text) {
    static constexpr std::string_view Shape = "0000-00-00";
    if (text.size() != Shape.size()) return false;
    for (std::size_t i = 0; i < Shape.size(); ++i)
        if (Shape[i] == '0' ? !(text[i] >= '0' && text[i] <= '9') : text[i] != Shape[i]) return false;
    return true;
}

// Seconds only inform; a number a spreadsheet wrote back differently is not a reason to refuse.
double secondsOf(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

Why copiesInto(ReportRow& row, std::string&& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > MostCopies)
        return "not a whole number from 1 to 32767";
    row.copies = value;
    return std::nullopt;
}

Why outcomeInto(ReportRow& row, std::string&& text) {
    if (!findOutcomeWord(text)) return "not one a run writes";
    row.outcome = std::move(text);
    return std::nullopt;
}

Why layoutsInto(ReportRow& row, std::string&& text) {
    if (text != "yes" && text != "no") return "not yes or no";
    row.layouts = text == "yes";
    return std::nullopt;
}

Why sheetSettingsInto(ReportRow& row, std::string&& text) {
    const auto settings = sheetSettingsFromWord(text);
    if (!settings) return "not quillon, layout or template";
    row.sheetSettings = sheetSettingsWord(*settings);
    return std::nullopt;
}

Why combineInto(ReportRow& row, std::string&& text) {
    const auto mode = combineModeFromWord(text);
    if (!mode) return "not no, drawing or run";
    row.combine.mode = *mode;
    return std::nullopt;
}

Why keepSheetsInto(ReportRow& row, std::string&& text) {
    if (text != "yes" && text != "no") return "not yes or no";
    row.combine.keepSheetFiles = text == "yes";
    return std::nullopt;
}

Why restartEveryInto(ReportRow& row, std::string&& text) {
    const bool number = !text.empty() && text.size() <= 7 && text.find_first_not_of("0123456789") == std::string::npos;
    if (!text.empty() && (!number || std::stol(text) > MaxCadRestartEvery)) return "not a number of drawings";
    row.cadRestartEvery = std::move(text);
    return std::nullopt;
}

// A text column: written and read as it stands.
template <std::string ReportRow::*Member>
std::string text(const ReportRow& row) {
    return row.*Member;
}

template <std::string ReportRow::*Member>
Why textInto(ReportRow& row, std::string&& text) {
    row.*Member = std::move(text);
    return std::nullopt;
}

// A choice a resume takes from the report into its job.
template <auto RowMember, auto JobMember>
void replay(const ReportRow& row, PlotJobSpec& job) {
    job.*JobMember = row.*RowMember;
}

const ReportColumn Columns[] = {
    // The columns of the first reports.
    {"Drawing", text<&ReportRow::drawing>, textInto<&ReportRow::drawing>, ""},
    {"Layout", text<&ReportRow::layout>, textInto<&ReportRow::layout>, ""},
    {"Device", text<&ReportRow::device>, textInto<&ReportRow::device>, "", "device",
     replay<&ReportRow::device, &PlotJobSpec::device>},
    {"Paper", text<&ReportRow::paper>, textInto<&ReportRow::paper>, "", "paper", replay<&ReportRow::paper, &PlotJobSpec::paper>},
    {"Plot style table", text<&ReportRow::plotStyleTable>, textInto<&ReportRow::plotStyleTable>, "", "plot style table",
     replay<&ReportRow::plotStyleTable, &PlotJobSpec::plotStyleTable>},
    {"Copies", [](const ReportRow& r) { return std::to_string(r.copies); }, copiesInto, "1", "number of copies",
     replay<&ReportRow::copies, &PlotJobSpec::copies>},
    {"Plot file", text<&ReportRow::plotFile>, textInto<&ReportRow::plotFile>, ""},
    {"Outcome", text<&ReportRow::outcome>, outcomeInto, ""},
    {"Reason or warning", text<&ReportRow::reason>, textInto<&ReportRow::reason>, ""},
    {"Started", text<&ReportRow::started>, textInto<&ReportRow::started>, ""},
    {"Seconds", [](const ReportRow& r) { return secondsText(r.seconds); },
     [](ReportRow& r, std::string&& text) -> Why {
         r.seconds = secondsOf(text);
         return std::nullopt;
     },
     "0"},
    // The run's own choices, on every row, so that a later run can take up what one left. Before
    // them, runs plotted every paper layout, with plot files beside each drawing, named as usual.
    {"Layouts", [](const ReportRow& r) { return std::string(r.layouts ? "yes" : "no"); }, layoutsInto, "yes",
     "Layouts choice", replay<&ReportRow::layouts, &PlotJobSpec::layouts>},
    {"Plot folder", text<&ReportRow::plotFolder>, textInto<&ReportRow::plotFolder>, "", "plot folder",
     replay<&ReportRow::plotFolder, &PlotJobSpec::plotFolder>},
    {"Plot file name", text<&ReportRow::plotFileName>, textInto<&ReportRow::plotFileName>, "", "plot file name",
     replay<&ReportRow::plotFileName, &PlotJobSpec::plotFileName>},
    {"Plot file extension", text<&ReportRow::plotFileExtension>, textInto<&ReportRow::plotFileExtension>, "", "plot file extension",
     replay<&ReportRow::plotFileExtension, &PlotJobSpec::plotFileExtension>},
    {"DWG version", text<&ReportRow::dwgVersion>, textInto<&ReportRow::dwgVersion>, ""},
    {"Resumes", text<&ReportRow::resumes>, textInto<&ReportRow::resumes>, ""},
    // Which layouts were sheets and where their settings came from. Before them, runs plotted every
    // layout with Quillon's own settings.
    {"Sheet settings", text<&ReportRow::sheetSettings>, sheetSettingsInto, "quillon", "sheet settings",
     replay<&ReportRow::sheetSettings, &PlotJobSpec::sheetSettings>},
    {"Page setup file", text<&ReportRow::pageSetupFile>, textInto<&ReportRow::pageSetupFile>, "", "page setup file",
     replay<&ReportRow::pageSetupFile, &PlotJobSpec::pageSetupFile>},
    {"Page setup", text<&ReportRow::pageSetup>, textInto<&ReportRow::pageSetup>, "", "page setup",
     replay<&ReportRow::pageSetup, &PlotJobSpec::pageSetup>},
    {"Include layouts", text<&ReportRow::includeLayouts>, textInto<&ReportRow::includeLayouts>, "", "include layouts",
     replay<&ReportRow::includeLayouts, &PlotJobSpec::includeLayouts>},
    {"Exclude layouts", text<&ReportRow::excludeLayouts>, textInto<&ReportRow::excludeLayouts>, "", "exclude layouts",
     replay<&ReportRow::excludeLayouts, &PlotJobSpec::excludeLayouts>},
    {"Plot area and scale", text<&ReportRow::plotAreaAndScale>, textInto<&ReportRow::plotAreaAndScale>, ""},
    // Whether the PDF sheets were combined; before these columns, runs never combined them.
    {"Combine", [](const ReportRow& r) { return r.combine.mode == CombineMode::None ? std::string("no") : combineModeWord(r.combine.mode); },
     combineInto, "no", "combining choice", [](const ReportRow& r, PlotJobSpec& job) { job.combine.mode = r.combine.mode; }},
    {"Combined file name", [](const ReportRow& r) { return r.combine.fileName; },
     [](ReportRow& r, std::string&& text) -> Why {
         r.combine.fileName = std::move(text);
         return std::nullopt;
     },
     "", "combined file name", [](const ReportRow& r, PlotJobSpec& job) { job.combine.fileName = r.combine.fileName; }},
    {"Keep sheet files", [](const ReportRow& r) { return std::string(r.combine.keepSheetFiles ? "yes" : "no"); },
     keepSheetsInto, "yes", "keep the single-sheet files choice",
     [](const ReportRow& r, PlotJobSpec& job) { job.combine.keepSheetFiles = r.combine.keepSheetFiles; }},
    // How often the night's application was started afresh, so that a resume runs as the night did.
    {"Restart AutoCAD every", text<&ReportRow::cadRestartEvery>, restartEveryInto, "", "AutoCAD restart choice",
     [](const ReportRow& r, PlotJobSpec& job) {
         if (!r.cadRestartEvery.empty()) job.cadRestartEvery = std::stoi(r.cadRestartEvery);
     }},
    // Where a plotter's sheets went; before this column, always to a file.
    {"Output", text<&ReportRow::output>,
     [](ReportRow& r, std::string&& text) -> Why {
         if (!plotOutputFromWord(text)) return "not file or device";
         r.output = std::move(text);
         return std::nullopt;
     },
     "file", "output", replay<&ReportRow::output, &PlotJobSpec::output>},
    // The names decided once over the whole job, the job's order and the carried rows of a resume. Before
    // them a later step decided names again: nothing stands for them (a resume decides the qualifiers).
    {"Qualifier", [](const ReportRow& r) { return r.qualifier.value_or(""); },
     [](ReportRow& r, std::string&& text) -> Why {
         r.qualifier = std::move(text);
         return std::nullopt;
     },
     nullptr},
    {"Name date", text<&ReportRow::nameDate>,
     [](ReportRow& r, std::string&& text) -> Why {
         if (!text.empty() && !isDate(text)) return "not a date as YYYY-MM-DD";
         r.nameDate = std::move(text);
         return std::nullopt;
     },
     ""},
    {"Job position", [](const ReportRow& r) { return r.jobPosition > 0 ? std::to_string(r.jobPosition) : std::string(); },
     [](ReportRow& r, std::string&& text) -> Why {
         int value = 0;
         const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
         if (!text.empty() && (error != std::errc() || end != text.data() + text.size() || value < 1))
             return "not a place in the job";
         r.jobPosition = value;
         return std::nullopt;
     },
     ""},
    {"Carried from", text<&ReportRow::carriedFrom>, textInto<&ReportRow::carriedFrom>, ""},
    // Plotting only what changed: the choice, and the content the sheet was made from and made. Before
    // them every run plotted every drawing, and nothing recorded what from.
    {"Plot", text<&ReportRow::plot>,
     [](ReportRow& r, std::string&& text) -> Why {
         if (text != "all" && text != "changed") return "not all or changed";
         r.plot = std::move(text);
         return std::nullopt;
     },
     "all", "plot choice", [](const ReportRow& r, PlotJobSpec& job) { job.onlyChanged = r.plot == "changed"; }},
    {"Drawing content hash", text<&ReportRow::drawingHash>, textInto<&ReportRow::drawingHash>, ""},
    {"Plot file content hash", text<&ReportRow::plotFileHash>, textInto<&ReportRow::plotFileHash>, ""},
    // Where a sheet whose own file went into a combined file is in it: before the column, a resume found it
    // under its bookmark, which two same-named drawings of one set share.
    {"Pages in combined file", text<&ReportRow::combinedPages>,
     [](ReportRow& r, std::string&& text) -> Why {
         if (!text.empty() && !combinedPagesFrom(text)) return "not pages such as 3 or 3-4";
         r.combinedPages = std::move(text);
         return std::nullopt;
     },
     ""},
    // Names from title blocks and drawing properties, and the register: the run's choices, then the block each
    // sheet took and its attributes, so that a register made later describes sheets it never opened, and the
    // sheet's bookmark. Before them no title block was read and no register made.
    {"Title blocks", text<&ReportRow::titleBlocks>, textInto<&ReportRow::titleBlocks>, "", "title blocks",
     replay<&ReportRow::titleBlocks, &PlotJobSpec::titleBlocks>},
    {"Bookmark name", text<&ReportRow::bookmarkName>, textInto<&ReportRow::bookmarkName>, "", "bookmark name",
     replay<&ReportRow::bookmarkName, &PlotJobSpec::bookmarkName>},
    {"Register", text<&ReportRow::registerName>, textInto<&ReportRow::registerName>, "", "register",
     replay<&ReportRow::registerName, &PlotJobSpec::registerName>},
    {"Register columns", text<&ReportRow::registerColumns>, textInto<&ReportRow::registerColumns>, "",
     "register columns",
     [](const ReportRow& r, PlotJobSpec& job) { job.registerColumns = registerColumnsFrom(r.registerColumns); }},
    {"Title block", text<&ReportRow::titleBlock>, textInto<&ReportRow::titleBlock>, ""},
    {"Title block values", text<&ReportRow::titleValues>,
     [](ReportRow& r, std::string&& text) -> Why {
         if (!titleValuesFrom(text)) return "not the values of a title block";
         r.titleValues = std::move(text);
         return std::nullopt;
     },
     ""},
    {"Bookmark", text<&ReportRow::bookmark>, textInto<&ReportRow::bookmark>, ""},
};

const ReportColumn Part{"Part", text<&ReportRow::part>, textInto<&ReportRow::part>, ""};

// How many of the columns each format had, oldest first. An issue that adds columns adds one entry, after
// the last (docs/report-format.md).
constexpr std::size_t FormatColumns[] = {11, 17, 23, 26, 27, 28, 32, 35, 36, 43};

static_assert(FormatColumns[std::size(FormatColumns) - 1] == std::size(Columns),
              "the newest format writes every column");

}  // namespace

std::span<const ReportColumn> reportColumns() { return Columns; }

const ReportColumn& partColumn() { return Part; }

std::vector<std::string> headingsOf(const ReportFormat& format) {
    std::vector<std::string> headings;
    for (std::size_t i = 0; i < format.columns; ++i) headings.emplace_back(Columns[i].heading);
    if (format.withPart) headings.emplace_back(Part.heading);
    return headings;
}

ReportFormat currentReportFormat(bool withPart) {
    return {static_cast<int>(std::size(FormatColumns)), std::size(Columns), withPart};
}

std::optional<ReportFormat> reportFormatOf(const std::vector<std::string>& headings) {
    for (std::size_t v = 0; v < std::size(FormatColumns); ++v)
        for (const bool withPart : {false, true}) {
            const ReportFormat format{static_cast<int>(v + 1), FormatColumns[v], withPart};
            if (headingsOf(format) == headings) return format;
        }
    return std::nullopt;
}

}  // namespace quillon::plotting
