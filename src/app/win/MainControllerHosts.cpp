#include "app/win/MainController.h"

#include "app/win/ControlIds.h"
#include "win/Utf.h"
#include "win/WinCheckBox.h"

// The parts' hosts: each call handed on to the part whose job it is.
namespace quillon::app {

bool MainController::runActive() const { return runs_.active(); }

bool MainController::closing() const { return exit_->closing(); }

bool MainController::leaving() const { return exit_->leaving(); }

bool MainController::unattended() const { return job_.unattended(); }

void MainController::fillPlotBoxesIfEmpty() { boxes_.fillIfEmpty(); }

void MainController::drawingsListed(std::uint64_t listing, bool complete) { job_.drawingsListed(listing, complete); }

void MainController::postCad(std::function<void(autocad::CadSession&)> task) { runs_.postCad(std::move(task)); }

discovery::DrawingListView& MainController::listView() { return search_.listView(); }

std::string MainController::listedFolder() const { return search_.currentFolder(); }

plotting::PlotSetup MainController::chosenSetup() const {
    plotting::PlotSetup setup = boxes_.setup();
    setup.files = plotFiles_.runOptions();
    plotFiles_.applyNames(setup);
    // Grey (each drawing as it was last saved) plots the layouts of those that have them, as ticked does.
    setup.layouts = win::WinCheckBox(window_.control(ids::ChkLayouts)).tick() != win::WinCheckBox::Tick::Clear;
    // The sheets' patterns apply only to a run of layouts.
    sheets_.applyTo(setup);
    return setup;
}

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

void MainController::cadLost(const std::string& why, bool duringRun) {
    if (!job_.unattended()) {
        notify("AutoCAD Not Responding", why + "\r\nThe next run connects to AutoCAD again.");
        return;
    }
    // A run ended by it has told its outcome already.
    if (!duringRun) job_.cadLost(why);
}

bool MainController::leaveWithoutCad() { return exit_->leaveWithoutCad(); }

void MainController::stopSearch() { search_.requestStop(); }

void MainController::closeAbout() { about_.close(); }

void MainController::startRun(plotting::RunKind kind, plotting::RunPurpose purpose, const std::string& resumes) {
    startWindowRun(kind, purpose, resumes);
}

std::optional<std::string> MainController::applyJob(const plotting::PlotJobSpec& job, std::uint64_t* listing,
                                                    plotting::PlotJobSpec* applied, bool checkLists) {
    return jobs_.applyJob(job, listing, applied, checkLists);
}

std::optional<std::string> MainController::loadJob(const std::string& file) { return jobs_.loadJob(win::toWide(file)); }

std::vector<plotting::RunListSnapshot::Row> MainController::listedRows() {
    const discovery::DrawingListView& list = search_.listView();
    std::vector<plotting::RunListSnapshot::Row> rows;
    rows.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) rows.push_back({list.row(i).name, list.row(i).folder.str(), false});
    return rows;
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

std::optional<int> MainController::jobRestartEvery() const { return jobRestartEvery_; }

void MainController::applyJobRestartEvery(std::optional<int> every) { jobRestartEvery_ = every; }

void MainController::resumeInWindow(const std::string& report) { job_.resumeInWindow(report); }

}  // namespace quillon::app
