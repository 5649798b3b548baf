#include "app/win/MainController.h"

#include "app/MainSettings.h"
#include "app/OwedVariablesSetting.h"
#include "app/win/ControlIds.h"
#include "win/WinCheckBox.h"
#include "app/win/RunView.h"
#include "discovery/win/WinFileSystem.h"
#include "plotting/pdf/win/WinPdfFileAccess.h"
#include "win/LocalClock.h"

// The window's side of the runs: the request a Print button makes, and what the runs ask of the window.
namespace quillon::app {

run::RunSettings MainController::runSettings() const {
    run::RunSettings settings;
    settings.callTimeout = loadCallTimeout(settings_);
    settings.openTimeout = loadOpenTimeout(settings_, settings.callTimeout);
    const CadRestartSettings restarts = loadCadRestarts(settings_);
    settings.restartEvery = restarts.every;
    settings.memoryLimitMB = restarts.memoryLimitMB;
    settings.owed = std::make_shared<autocad::OwedVariables>(std::make_shared<OwedVariablesSetting>(settings_));
    return settings;
}

run::RunRequest MainController::windowRunRequest(plotting::RunKind kind, plotting::RunPurpose purpose,
                                                 const std::string& resumes) {
    run::RunRequest request;
    request.kind = kind;
    // The rows and the selection there are now: a run of the selection plots what was selected at its start.
    discovery::DrawingListView& list = search_.listView();
    request.rows.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto& row = list.row(i);
        request.rows.push_back({std::string(row.name), row.folder.str(), list.isSelected(i)});
    }
    request.listedFolder = search_.currentFolder();
    request.setup = chosenSetup();
    request.setup.purpose = purpose;
    request.setup.resumes = resumes;
    request.setup.combine = plotFiles_.combine();
    request.setup.onlyChanged = win::WinCheckBox(window_.control(ids::ChangedOnlyBox)).ticked();
    request.sessions = sessions_.runSessions();
    request.restartEvery = jobRestartEvery_;
    request.names = job_.takeRunNames();
    request.kept = job_.keptFiles();
    if (job_.unattended()) request.jobFile = job_.commandLine().job;
    request.jobHadFolder = job_.jobHadFolder();
    return request;
}

void MainController::startWindowRun(plotting::RunKind kind, plotting::RunPurpose purpose, const std::string& resumes) {
    if (runs_.active() || exit_->closing()) return;
    if (search_.running()) {
        setStatus("\r\nThe search is still running: wait for it to finish, or stop it, before plotting.");
        return;
    }
    runs_.startRun(windowRunRequest(kind, purpose, resumes));
}

void MainController::startRequestedRun(run::RunRequest request) {
    if (runs_.active() || exit_->closing()) return;
    runs_.startRun(std::move(request));
}

int MainController::storedSessions() const { return loadCadSessions(settings_); }

std::shared_ptr<plotting::PlotRunDisplay> MainController::runDisplay(const run::RunRequest&) {
    return std::make_shared<RunView>(window_, search_.listView(), status_);
}

std::unique_ptr<plotting::PdfFileAccess> MainController::pdfFiles() {
    return std::make_unique<plotting::WinPdfFileAccess>();
}

std::unique_ptr<base::FileSystem> MainController::fileSystem() { return std::make_unique<discovery::WinFileSystem>(); }

plotting::LocalTime MainController::localNow() { return win::localNow(); }

void MainController::showWindow() {
    if (!IsWindowVisible(window_.hwnd())) showMainWindow();
}

}  // namespace quillon::app
