#include "app/win/MainController.h"

// The parts' hosts: each call handed on to the part whose job it is.
namespace quillon::app {

bool MainController::runActive() const { return runs_.active(); }

bool MainController::closing() const { return exit_->closing(); }

bool MainController::leaving() const { return exit_->leaving(); }

bool MainController::unattended() const { return job_.unattended(); }

void MainController::fillPlotBoxesIfEmpty() { boxes_.fillIfEmpty(); }

void MainController::drawingsListed(std::uint64_t listing, bool complete) { job_.drawingsListed(listing, complete); }

void MainController::postCad(std::function<void(autocad::CadSession&)> task) { runs_.postCad(std::move(task)); }

bool MainController::searchRunning() const { return search_.running(); }

DrawingListView& MainController::listView() { return search_.listView(); }

std::string MainController::listedFolder() const { return search_.currentFolder(); }

plotting::PlotSetup MainController::plotChoices() const { return boxes_.setup(); }

plotting::PlotFileOptions MainController::plotFileOptions() const { return plotFiles_.runOptions(); }

plotting::PlotSetup MainController::chosenSetup() const {
    plotting::PlotSetup setup = plotChoices();
    setup.files = plotFileOptions();
    applySheets(setup);
    return setup;
}

void MainController::applySheets(plotting::PlotSetup& setup) const { sheets_.applyTo(setup); }

plotting::CombineChoice MainController::combineChoice() const { return plotFiles_.combine(); }

int MainController::runSessions() const { return sessions_.runSessions(); }

RunNames MainController::takeRunNames() { return job_.takeRunNames(); }

std::vector<std::string> MainController::keptFiles() const { return job_.keptFiles(); }

std::string MainController::unattendedJobFile() const {
    return job_.unattended() ? job_.commandLine().job : std::string();
}

bool MainController::jobHadFolder() const { return job_.jobHadFolder(); }

void MainController::refuseRun(const std::string& why) { job_.refuseRun(why); }

void MainController::runEnded(std::uint64_t /*generation: always the coordinator's run in progress*/,
                              std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally) {
    job_.runEnded(ending, tally);
    if (exit_->leaving()) {
        exit_->proceed();
        return;
    }
    listFolderPickedDuringRun();
}

void MainController::cadThreadLost() { boxes_.cadThreadLost(); }

void MainController::cadLost(const std::string& why) { job_.cadLost(why); }

bool MainController::leaveWithoutCad() { return exit_->leaveWithoutCad(); }

void MainController::stopSearch() { search_.requestStop(); }

void MainController::closeAbout() { about_.close(); }

RunReportKeeper& MainController::reports() { return runs_.reports(); }

void MainController::setDeadline(std::optional<plotting::RunDeadline> deadline, std::string text) {
    runs_.setDeadline(deadline, std::move(text));
}

void MainController::startRun(plotting::RunKind kind, plotting::RunPurpose purpose, const std::string& resumes) {
    runs_.startRun(kind, purpose, resumes);
}

void MainController::exitCommand() { exit_->exitCommand(); }

std::uint64_t MainController::askListing() { return search_.ask(); }

bool MainController::latestListing(std::uint64_t generation) const { return search_.latest(generation); }

std::uint64_t MainController::listJobFolder(const std::string& folder, bool subfolders) {
    return search_.listJobFolder(folder, subfolders);
}

std::uint64_t MainController::listDrawings(std::vector<std::string> paths) {
    return search_.listDrawings(std::move(paths));
}

std::optional<int> MainController::jobRestartEvery() const { return runs_.jobRestartEvery(); }

void MainController::applyJobRestartEvery(std::optional<int> every) { runs_.applyJobRestartEvery(every); }

void MainController::resumeInWindow(const std::string& report) { job_.resumeInWindow(report); }

}  // namespace quillon::app
