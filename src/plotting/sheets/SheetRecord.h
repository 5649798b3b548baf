#pragma once

#include <string>
#include <utility>
#include <vector>

#include "plotting/files/PlotFileWriter.h"
#include "plotting/sheets/SetupWarning.h"

namespace quillon::plotting {

// One sheet sent to the CAD application: which layout, to which file, whether
// the application took it, and what of the set-up did not take.
struct SheetRecord {
    std::string layout;
    std::string plotFile;  // empty when plotted to the device
    bool plotted = false;
    std::vector<SetupWarning> warnings;
    // A check set the sheet up and, by design, did not plot it.
    bool checked = false;
    EarlierPlotFile earlier = EarlierPlotFile::None;
    // The earlier file that could not be replaced, when kept, and why, as the system said it.
    std::string keptFile{};
    std::string keptReason{};
    // Why the sheet was not plotted; empty when it was.
    std::string failure{};
    // What the plot itself leaves the user to know (the sheet went to the
    // device instead of its file, an earlier file was kept): warnings, as a
    // setting that did not take is.
    std::vector<std::string> plotWarnings{};
    // Never set up: a layout never used (its block holds nothing), left out by choice.
    bool leftOut = false;
    // Sent to the plotter, as the run asked, with no plot file.
    bool sentToDevice = false;
    // The plot area and scale the sheet was set up with: "layout, 1:1".
    std::string plotAreaAndScale{};
    // Where its settings came from: "Quillon's settings", "own page setup", "page setup \"A1 Issue\"".
    std::string settingsFrom{};
    // What the row says besides, not a warning.
    std::string note{};
    // Its file from an earlier run still holds it: nothing was plotted now.
    bool upToDate = false;
    // The plot file's content hash as the plot record has it.
    std::string plotFileHash{};
    // When plotFile is a combined file that holds the sheet: its pages there ("3-4").
    std::string combinedPages{};
    // The title block the sheet's names took ("A1-TITLE (1 of 2 found)", "none found"; empty: none was
    // looked for) and its attributes' tags and values in its order.
    std::string titleBlock{};
    std::vector<std::pair<std::string, std::string>> titleValues{};
    // Its bookmark in a combined file, when the run names bookmarks by a pattern (empty: its layout's name).
    std::string bookmark{};
};

// Why a sheet was left out.
inline constexpr const char* EmptyLayoutReason = "empty layout";

}  // namespace quillon::plotting
