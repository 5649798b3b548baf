#include "plotting/changes/SheetChoices.h"

#include "base/Paths.h"
#include "plotting/changes/FileKey.h"
#include "plotting/titleblocks/TitleValuesText.h"

namespace quillon::plotting {

std::vector<std::pair<std::string, std::string>> sheetChoices(const PlotSetup& setup, base::FileSystem& files) {
    std::string pageSetupFile = setup.pageSetupFile;
    if (setup.sheetSettings == SheetSettings::Template && !pageSetupFile.empty()) {
        // The template's content, not its name: an office edits its page setups in place.
        const auto hash = contentHash(files, pageSetupFile);
        pageSetupFile += " " + hash.value_or("unreadable");
    }
    // Names the application matches ignoring case: a job's spelling and the one a run took from the
    // application's lists are the same device.
    std::vector<std::pair<std::string, std::string>> choices{
        {"device", base::foldedName(setup.device)},
        {"paper", base::foldedName(setup.paper)},
        {"plot style table", base::foldedName(setup.plotStyleTable)},
        {"sheet settings", sheetSettingsWord(setup.sheetSettings)},
        {"page setup file", pageSetupFile},
        {"page setup", setup.pageSetup},
        {"layouts choice", setup.layouts ? "every layout" : "model space"},
        {"include layouts", setup.layoutPatterns.include},
        {"exclude layouts", setup.layoutPatterns.exclude},
        {"empty layouts choice", setup.skipEmptyLayouts ? "left out" : "plotted"},
        {"plot file name", setup.files.pattern},
        {"plot file extension", setup.files.extension},
    };
    // Only when used, so that records made before them still stand for runs that do not use them. The tags
    // the register lists choose among several title blocks of a sheet, and so its name.
    if (!setup.titleBlocks.empty()) {
        choices.emplace_back("title blocks", setup.titleBlocks);
        choices.emplace_back("register columns", registerColumnsText(setup.registerColumns));
    }
    if (!setup.bookmarkName.empty()) choices.emplace_back("bookmark name", setup.bookmarkName);
    return choices;
}

}  // namespace quillon::plotting
