#include "app/win/PlotFilesChoice.h"

#include "run/win/RunReportKeeper.h"
#include "dialogs/win/PlotFilesDialog.h"
#include "autocad/CadSession.h"
#include "plotting/titleblocks/DrawingTags.h"

namespace quillon::app {

void PlotFilesChoice::command(HWND owner) {
    dialogs::PlotFilesDialog dialog(choice_, *this);
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
    choice_.titleBlocks = job.titleBlocks;
    choice_.registerName = job.registerName;
    bookmarkName_ = job.bookmarkName;
    registerColumns_ = job.registerColumns;
}

void PlotFilesChoice::putInto(plotting::PlotJobSpec& job) const {
    job.plotFolder = choice_.runFolder();
    job.plotFileName = choice_.pattern;
    job.plotFileExtension = extension_;
    job.combine = choice_.combine;
    job.output = choice_.output == plotting::PlotOutput::Device ? plotting::plotOutputWord(choice_.output) : "";
    job.titleBlocks = choice_.titleBlocks;
    job.registerName = choice_.registerName;
    job.bookmarkName = bookmarkName_;
    job.registerColumns = choice_.registerName.empty() || choice_.titleBlocks.empty() ? std::vector<std::string>{}
                                                                                      : registerColumns_;
}

void PlotFilesChoice::applyNames(plotting::PlotSetup& setup) const {
    setup.titleBlocks = choice_.titleBlocks;
    setup.registerName = choice_.registerName;
    setup.bookmarkName = bookmarkName_;
    setup.registerColumns = registerColumns_;
}

void PlotFilesChoice::listTags(const std::string& file, const std::string& titleBlocks, const std::string& namePattern,
                               Done done) {
    cad_.postCad([file, titleBlocks, namePattern, done = std::move(done)](autocad::CadSession& session) {
        plotting::DrawingTags tags;
        std::string error;
        try {
            tags = plotting::drawingTags(session.connection(), file, titleBlocks, namePattern);
        } catch (const automation::AutomationError& failure) {
            error = failure.description().empty() ? failure.what() : failure.description();
        }
        session.mailbox()->post([done, tags, error] { done(tags, error); });
    });
}

plotting::PlotFileOptions PlotFilesChoice::runOptions() const {
    const std::string now = run::RunReportKeeper::isoLocalTime(std::chrono::system_clock::now());
    plotting::PlotFileOptions options{choice_.runFolder(), choice_.pattern, extension_, now.substr(0, 10), {}, {}, choice_.output};
    return options;
}

}  // namespace quillon::app
