// Where the main window's runs put their plot files and how they name them.
#include "app/win/ConsoleOutput.h"
#include "app/win/MainController.h"
#include "dialogs/win/PlotFilesDialog.h"

namespace quillon::app {

void MainController::plotFilesCommand() {
    if (runActive_) return;
    dialogs::PlotFilesDialog dialog(plotFileChoice_);
    const auto chosen = dialog.ask(window_.hwnd());
    if (!chosen) return;
    plotFileChoice_ = *chosen;
    savePlotFileSettings(settings_, plotFileChoice_);
}

void MainController::takeJobPlotFiles(const plotting::PlotJobSpec& job) {
    // A job without a plot folder plots beside each drawing; the window's folder stays remembered.
    plotFileChoice_.inFolder = !job.plotFolder.empty();
    if (plotFileChoice_.inFolder) plotFileChoice_.folder = job.plotFolder;
    plotFileChoice_.pattern = job.plotFileName;
    plotFileExtension_ = job.plotFileExtension;
}

void MainController::putJobPlotFiles(plotting::PlotJobSpec& job) const {
    job.plotFolder = plotFileChoice_.runFolder();
    job.plotFileName = plotFileChoice_.pattern;
    job.plotFileExtension = plotFileExtension_;
}

plotting::PlotFileOptions MainController::runPlotFiles() const {
    // {date} is the run's start, the same for every sheet of the run.
    const std::string now = RunReportKeeper::isoLocalTime(std::chrono::system_clock::now());
    return {plotFileChoice_.runFolder(), plotFileChoice_.pattern, plotFileExtension_, now.substr(0, 10)};
}

void MainController::announcePlotFiles(const plotting::DrawingOutcome& outcome) const {
    if (!unattended_) return;
    for (const auto& sheet : outcome.sheets)
        if (sheet.plotted && !sheet.plotFile.empty())
            ConsoleOutput::writeLine("Quillon: plot file " + sheet.plotFile +
                                     (sheet.earlier == plotting::EarlierPlotFile::Kept
                                          ? " (" + sheet.keptFile + " could not be replaced)"
                                          : ""));
}

}  // namespace quillon::app
