#include "run/JobRequest.h"

#include "plotting/files/PlotFileNaming.h"
#include "plotting/sheets/LayoutPatterns.h"

namespace quillon::run {

void takeJobChoices(RunRequest& request, const plotting::PlotJobSpec& job, const std::string& runDate) {
    plotting::PlotSetup& setup = request.setup;
    setup.device = job.device;
    setup.paper = job.paper;
    setup.plotStyleTable = job.plotStyleTable;
    setup.copies = static_cast<std::int16_t>(job.copies > 1 ? job.copies : 1);
    setup.files.folder = job.plotFolder;
    setup.files.pattern = job.plotFileName;
    setup.files.extension = job.plotFileExtension;
    setup.files.runDate = runDate;
    setup.files.output = plotting::plotOutputFromWord(job.output).value_or(plotting::PlotOutput::File);
    setup.combine = job.combine;
    setup.layouts = job.layouts;
    setup.layoutPatterns =
        job.layouts ? plotting::LayoutPatterns{job.includeLayouts, job.excludeLayouts} : plotting::LayoutPatterns{};
    setup.skipEmptyLayouts = job.skipEmptyLayouts;
    setup.sheetSettings = plotting::sheetSettingsFromWord(job.sheetSettings).value_or(plotting::SheetSettings::Quillon);
    setup.pageSetupFile = job.pageSetupFile;
    setup.pageSetup = job.pageSetup;
    setup.onlyChanged = job.onlyChanged;
    setup.removeObsolete = job.removeObsolete;
    setup.titleBlocks = job.titleBlocks;
    setup.bookmarkName = job.bookmarkName;
    setup.registerName = job.registerName;
    setup.registerColumns = job.registerColumns;
    request.restartEvery = job.cadRestartEvery;
}

}  // namespace quillon::run
