#include "app/win/PlotFilesChoice.h"

#include "run/win/RunReportKeeper.h"
#include "dialogs/win/PlotFilesDialog.h"

namespace quillon::app {

void PlotFilesChoice::command(HWND owner) {
    dialogs::PlotFilesDialog dialog(choice_);
    const auto chosen = dialog.ask(owner);
    if (!chosen) return;
    choice_ = *chosen;
    savePlotFileSettings(settings_, choice_);
}

void PlotFilesChoice::applyJob(const plotting::PlotJobSpec& job) {
    // The folder the user picked stays remembered for the dialog.
    choice_.inFolder = !job.plotFolder.empty();
    if (choice_.inFolder) choice_.folder = job.plotFolder;
    choice_.pattern = job.plotFileName;
    extension_ = job.plotFileExtension;
    choice_.combine = job.combine;
    choice_.output = plotting::plotOutputFromWord(job.output).value_or(plotting::PlotOutput::File);
}

void PlotFilesChoice::putInto(plotting::PlotJobSpec& job) const {
    job.plotFolder = choice_.runFolder();
    job.plotFileName = choice_.pattern;
    job.plotFileExtension = extension_;
    job.combine = choice_.combine;
    job.output = choice_.output == plotting::PlotOutput::Device ? plotting::plotOutputWord(choice_.output) : "";
}

plotting::PlotFileOptions PlotFilesChoice::runOptions() const {
    const std::string now = run::RunReportKeeper::isoLocalTime(std::chrono::system_clock::now());
    plotting::PlotFileOptions options{choice_.runFolder(), choice_.pattern, extension_, now.substr(0, 10), {}, {}, choice_.output};
    return options;
}

}  // namespace quillon::app
