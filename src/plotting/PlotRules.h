#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plotting/files/PlotFileNaming.h"
#include "plotting/pdf/CombineChoice.h"
#include "plotting/sheets/LayoutPatterns.h"

namespace quillon::plotting {

class ChangeCheck;
class FirstOpenCheck;

// What a run does with each sheet: plot it, or set it up as a plot would and
// stop short of the plot (a check: nothing is plotted, no plot file written).
enum class RunPurpose { Plot, Check };

// Where each sheet's page settings come from: Quillon's own (extents, fit,
// 90 degrees, centred), the layout's page setup as saved in the drawing, or a
// named page setup of the office's template drawing. The device, paper and
// table chosen are put in with each.
enum class SheetSettings { Quillon, Layout, Template };

// "quillon", "layout", "template": as job files and reports spell them.
const char* sheetSettingsWord(SheetSettings settings);
std::optional<SheetSettings> sheetSettingsFromWord(std::string_view word);

// How a report names a sheet's plot area and scale: "extents, fit", "layout, 1:1", "window, custom scale".
std::string plotAreaAndScaleText(std::int32_t plotType, bool useStandardScale, std::int32_t standardScale);
inline constexpr const char* QuillonsPlotAreaAndScale = "extents, fit";

// The user's choices as the plotting applies them: StrPrinter, StrPaper,
// StrCTB and NumOfCopies of the main window.
struct PlotSetup {
    std::string device;
    std::string paper;
    std::string plotStyleTable;
    std::int16_t copies = 0;
    // Where plot files go and their names.
    PlotFileOptions files{};
    // Every paper layout (the Layouts box), else model space; the report records it.
    bool layouts = true;
    RunPurpose purpose = RunPurpose::Plot;
    // The report whose left-over drawings the run plots again; empty for a fresh run.
    std::string resumes{};
    // Whether the run's PDF sheets are combined once they are plotted.
    CombineChoice combine{};
    // Which paper layouts are sheets, and whether those never used are left out.
    LayoutPatterns layoutPatterns{};
    bool skipEmptyLayouts = true;
    SheetSettings sheetSettings = SheetSettings::Quillon;
    // With SheetSettings::Template: the template drawing and its page setup's name.
    std::string pageSetupFile{};
    std::string pageSetup{};
    // Quillon's own application is replaced after this many drawings (0: never) and once its private
    // memory passes this many MB (0: no bound).
    int cadRestartEvery = 0;
    std::uint64_t cadMemoryLimitMB = 0;
    // Only drawings changed since their last plot are plotted; the others keep their files, "up to date".
    bool onlyChanged = false;
    // The plot files of sheets a drawing no longer has are removed ("obsolete"); else they are left as they are.
    bool removeObsolete = false;
    // What tells a changed drawing from one that is not, and records what each plot was made from; none:
    // nothing is told or recorded.
    std::shared_ptr<ChangeCheck> changes{};
    // The job's checks that need the CAD application, when they wait for the first drawing to be opened;
    // none: they were made before the run.
    std::shared_ptr<FirstOpenCheck> firstOpen{};
    // The title blocks' block name pattern ("*TITLE*;*TB*"; empty: none are read), each sheet's bookmark in a
    // combined file (empty: its layout's name), the register's file name pattern (empty: no register) and
    // the tags it lists, in order (empty: every tag found).
    std::string titleBlocks{};
    std::string bookmarkName{};
    std::string registerName{};
    std::vector<std::string> registerColumns{};
};

// The first choice that counts as not made, in the order the user is told.
enum class MissingChoice { None, Device, Paper, PlotStyleTable };

MissingChoice missingChoice(const PlotSetup& setup);

struct Information {
    const char* title;
    const char* text;
};
// The message for a missing choice; MissingChoice::None has none.
Information missingChoiceMessage(MissingChoice missing);

struct Refusal {
    std::string title;
    std::string text;
};
// Why the plot files of setup cannot be written as asked, found out once before any drawing is opened: a plot
// folder that is not there or cannot be written, an extension a plot file may not have. Nothing when they can.
std::optional<Refusal> plotFilesRefusal(const PlotSetup& setup, const std::function<bool(const std::string&)>& canWriteIn);
// The message refusing a run whose plot folder is missing or cannot be written.
std::string plotFolderRefusal(const std::string& folder);

// The index of the first canonical paper name that equals the chosen paper
// ignoring case or contains it as written; none when nothing matches.
std::optional<std::size_t> matchPaper(const std::vector<std::string>& canonicalNames, std::string_view paper);

// The plot style table to set on a layout whose table is currentTable:
// a drawing with named plot styles ("stb") gets the named twin of the chosen table.
std::string plotStyleTableFor(std::string_view currentTable, std::string_view chosen);

// Plotter configurations ("pc3") are plotted to a file first.
bool plotsToFile(std::string_view device);

// The progress bar's value after k of n entries: k / n * 100 in double
// precision, divided first, truncated towards zero.
int progressValue(int k, int n);

// Text comparisons the way Windows compares file names: ASCII letters ignore case.
bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool endsWith(std::string_view text, std::string_view suffix);
bool contains(std::string_view text, std::string_view part);

}  // namespace quillon::plotting
