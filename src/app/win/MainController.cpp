#include "app/win/MainController.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include <utility>
#include <vector>

#include "app/MainSettings.h"
#include "app/win/AppMessages.h"
#include "app/win/ControlIds.h"
#include "win/WinCheckBox.h"
#include "app/win/MainPlacement.h"
#include "autocad/CadSession.h"
#include "base/Paths.h"
#include "win/Messages.h"
#include "win/Utf.h"
#include "win/WinProgressBar.h"

namespace quillon::app {

namespace {

std::wstring moduleFileName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

// WM_COPYDATA tag of a folder another program asks Quillon to list.
constexpr ULONG_PTR kSelectFolderData = 0x51464C44;

}  // namespace

MainController::MainController(SettingsStore& settings, std::shared_ptr<autocad::CadLauncher> launcher,
                               std::shared_ptr<base::TaskMailbox> mailbox)
    : settings_(settings), launcher_(std::move(launcher)), mailbox_(std::move(mailbox)),
      window_(*this),
      status_([this](const std::string& text) { window_.setText(ids::Status, win::toWide(text)); },
              [this](const std::string& text) { window_.statusBar().setStatusText(win::toWide(text)); }) {
    exit_ = std::make_unique<ExitSequence>(*this, runs_);
}

MainController::~MainController() = default;

void MainController::couldNotStart(const std::string& why) {
    if (startFailureShown_ || exit_->unloaded()) return;
    startFailureShown_ = true;
    job_.cadUnavailable(why);
    exit_->setClosing();
    auto close = [hwnd = window_.hwnd()] { SendMessageW(hwnd, WM_CLOSE, 0, 0); };
    if (!job_.unattended()) {
        // The window closes once the user has read why.
        notifyThen(autocad::connection_text::FailureTitle, autocad::connection_text::FailureMessage, close);
        return;
    }
    tell(autocad::connection_text::FailureTitle, autocad::connection_text::FailureMessage);
    close();
}

void MainController::notifyThen(const std::string& title, const std::string& text, std::function<void()> then) {
    notices_.push_back(Notice{title, text, std::move(then)});
    if (treeShown()) PostMessageW(window_.hwnd(), kNoticeMessage, 0, 0);
}

void MainController::showNotices() {
    if (showingNotice_) return;
    showingNotice_ = true;
    while (!notices_.empty()) {
        Notice notice = std::move(notices_.front());
        notices_.pop_front();
        showInformation(notice.title, notice.text);
        if (notice.then) notice.then();
    }
    showingNotice_ = false;
}

bool MainController::start() {
    window_.create(POINT{0, 0});
    runs_.start(mailbox_, runSettings());
    // With /run, /check or /resume: the first work of the CAD thread, before anything there can start AutoCAD.
    job_.checkBeforeCad();

    // 1-2: position and the remembered plot choices.
    auto stored = loadMainSettings(settings_);
    boxes_.remember(stored);
    sessions_.load(job_.commandLine().sessions);
    win::WinCheckBox(window_.control(ids::ChangedOnlyBox)).setTicked(loadPlotChangedOnly(settings_));
    restorePosition();

    search_.create();
    boxes_.create();

    // 4: the program's folder is where the drawing list starts; setting it searches it.
    std::string program = win::toUtf8(moduleFileName());
    search_.pathChange(base::folderOf(program));
    if (exit_->closing()) return false;

    // 5: attach to the CAD application or start it; a failure closes the window once it is known.
    runs_.postCad([this](autocad::CadSession& session) {
        if (!job_.connectsLate()) session.connection().connectAutoCAD();
    });
    runs_.postCad([this](autocad::CadSession& session) { session.mailbox()->post([this] { cadReady(); }); });

    search_.addColumns();

    // 7: the progress bar lives in the status bar's second panel.
    HWND progress = window_.control(ids::RunProgressBar);
    const win::WinProgressBar bar(progress);
    bar.setRange(0, 100);
    bar.setPosition(100);
    window_.statusBar().embedProgress(progress, 1, 3, window_.dpi());
    bar.setPosition(0);

    status_.showPanel(win::toUtf8(win::StatusBar::FirstPanelText));
    status_.show(win::toUtf8(SearchPane::StartHint));
    window_.enable(ids::PrintAllButton, false);
    helpFile_ = win::toWide(base::addBackslash(base::folderOf(program)) + "help.chm");

    window_.show();
    return true;
}

void MainController::cadReady() {
    startUp_ = treeShown() ? StartUp::Ready : StartUp::CadAnswered;
    markReadyWhenStarted();
}

void MainController::restorePosition() { restoreMainPlacement(window_, loadMainSettings(settings_)); }

void MainController::onCommand(int id, int notifyCode) {
    switch (id) {
        case ids::MnuFileExit:
        case ids::ExitButton: exit_->exitCommand(); break;
        case ids::MnuViewStatusBar: window_.toggleStatusBar(); break;
        case ids::HelpMain: openHelp(); break;
        case ids::MnuHelpAbout: about_.showOrActivate(); break;
        case ids::MnuSelectAll: search_.selectAll(); break;
        case ids::CmdAction: stopPressed(); break;
        case ids::SubfoldersBox:
            if (notifyCode == BN_CLICKED) search_.searchAgain(SearchPane::Cause::CheckBoxClick);
            break;
        case ids::CopiesBox:
            if (notifyCode == EN_CHANGE) boxes_.copiesChanged();
            break;
        case ids::ChangedOnlyBox:
            if (notifyCode == BN_CLICKED)
                savePlotChangedOnly(settings_, win::WinCheckBox(window_.control(ids::ChangedOnlyBox)).ticked());
            break;
        case ids::TxtSessions:
            if (notifyCode == EN_CHANGE) sessions_.changed();
            break;
        case ids::DeviceBox:
        case ids::PaperBox:
        case ids::PlotStyleTableBox: boxes_.onCommand(id, notifyCode); break;
        case ids::PrintAllButton: startWindowRun(plotting::RunKind::AllListed); break;
        case ids::MnuAllPrint: startWindowRun(plotting::RunKind::AllDrawings); break;
        case ids::MnuPrintMultiple: startWindowRun(plotting::RunKind::Selected); break;
        case ids::MnuOpenJob: jobs_.openJobCommand(); break;
        case ids::MnuSaveJob: jobs_.saveJobCommand(); break;
        case ids::MnuOpenReport: jobs_.openLastReport(); break;
        case ids::MnuCheckDrawings:
            // The drawings a plot would take: the selected ones, else every one listed.
            startWindowRun(search_.listView().selectedRows().empty() ? plotting::RunKind::AllListed
                                                                     : plotting::RunKind::Selected,
                           plotting::RunPurpose::Check);
            break;
        case ids::MnuResumeRun: jobs_.resumeRunCommand(); break;
        case ids::MnuPlotFiles:
            if (!runs_.active()) plotFiles_.command(window_.hwnd());
            break;
        case ids::BtnSheets:
        case ids::MnuSheets:
            if (!runs_.active()) sheetsCommand_.command(window_.hwnd());
            break;
        default: break;
    }
}

bool MainController::onNotify(const NMHDR& header, LRESULT& result) {
    return search_.onNotify(header, result);
}

void MainController::openHelp() { HtmlHelpW(window_.hwnd(), helpFile_.c_str(), HH_DISPLAY_TOPIC, 0); }

void MainController::closeHelp() { HtmlHelpW(window_.hwnd(), L"", HH_CLOSE_ALL, 0); }

void MainController::onClose() { exit_->closeRequested(); }

void MainController::saveSettings() {
    MainSettings current;
    captureMainPlacement(window_.hwnd(), current);
    boxes_.storeInto(current);
    try {
        saveMainSettings(settings_, current, false);
    } catch (const std::exception& error) {
        // The program is closing either way; say why the choices will not be there next time.
        win::showMessage(window_.hwnd(), std::string("The settings could not be saved: ") + error.what(), "Quillon");
    }
}

void MainController::onDestroyed() {
    job_.leaving();
    PostQuitMessage(job_.exitCode());
}

void MainController::onAppMessage(UINT message, WPARAM, LPARAM) {
    if (message == kSearchUpdatesMessage) search_.takeUpdates();
    // Until the folder tree has started the program's own message loop, a message box waits: one shown from
    // the shell dialog's start-up loop would be stuck under the program's loop.
    else if (message == kNoticeMessage && treeShown()) showNotices();
    else if (message == kExitQuestionMessage) exit_->askNow();
}

bool MainController::onCopyData(const COPYDATASTRUCT& data) {
    if (data.dwData != kSelectFolderData || !data.lpData || runs_.active()) return false;
    std::wstring folder(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
    while (!folder.empty() && folder.back() == L'\0') folder.pop_back();
    search_.pathChange(win::toUtf8(folder));
    return true;
}

void MainController::onFolderSelected(const std::optional<std::wstring>& path) {
    if (!treeShown()) {
        // The program's own loop runs from now on: a notice that waited for it (the CAD application could
        // not be started, say, while the program is already closing) is shown now.
        startUp_ = startUp_ == StartUp::CadAnswered ? StartUp::Ready : StartUp::TreeShown;
        if (!notices_.empty()) PostMessageW(window_.hwnd(), kNoticeMessage, 0, 0);
    }
    if (exit_->closing()) return;
    if (runs_.active()) {
        folderAfterRun_ = path;
        return;
    }
    if (path) search_.pathChange(win::toUtf8(*path));
    else search_.showNoFolder();
    markReadyWhenStarted();
}

void MainController::listFolderPickedDuringRun() {
    if (auto picked = std::exchange(folderAfterRun_, std::nullopt)) onFolderSelected(*picked);
}

void MainController::markReadyWhenStarted() {
    // Start-up ends with the tree's first selection and the CAD application's first answers (the plot
    // lists, the connection): programs that drive Quillon (tests, the demo) wait for this.
    if (startUp_ != StartUp::Ready || exit_->closing() || GetPropW(window_.hwnd(), L"QuillonReady")) return;
    SetPropW(window_.hwnd(), L"QuillonReady", reinterpret_cast<HANDLE>(1));
    job_.startCommandLineJob();
}

void MainController::onControlKeyDown(int id, WPARAM key) {
    if (id == ids::SubfoldersBox) {
        if (key == VK_RETURN) search_.searchAgain(SearchPane::Cause::CheckBoxEnter);
        return;
    }
    boxes_.onKeyDown(id);
}

void MainController::onTimer(UINT_PTR id) { search_.onTimer(id); }

bool MainController::onSetCursor(HWND over, int hitTest) { return search_.onSetCursor(over, hitTest); }

void MainController::stopPressed() {
    search_.requestStop();
    runs_.requestStop();
}

void MainController::setBusy(bool busy) {
    for (int id : {ids::SubfoldersBox, ids::PrintAllButton, ids::DeviceBox, ids::PaperBox, ids::PlotStyleTableBox,
                   ids::ChkLayouts, ids::CopiesBox, ids::TxtSessions, ids::SpnSessions, ids::BtnSheets,
                   ids::ChangedOnlyBox})
        window_.enable(id, !busy);
    if (!busy && search_.listView().size() == 0) window_.enable(ids::PrintAllButton, false);
    HMENU print = window_.menu().printPopup();
    for (int id : {ids::MnuAllPrint, ids::MnuPrintMultiple})
        EnableMenuItem(print, static_cast<UINT>(id), MF_BYCOMMAND | (busy ? MF_GRAYED : MF_ENABLED));
}

void MainController::setStatus(const std::string& text) {
    status_.show(text);
    window_.repaintNow(ids::Status);
}

void MainController::hideMainWindow() { ShowWindow(window_.hwnd(), SW_HIDE); }

void MainController::showMainWindow() { window_.show(); }

void MainController::showInformation(const std::string& title, const std::string& text) {
    win::showMessage(window_.hwnd(), text, title);
}

void MainController::onClockTick() {
    runs_.watchCalls();
    exit_->onClockTick();
}

}  // namespace quillon::app
