#include "app/win/MainController.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include <utility>
#include <vector>

#include "app/MainSettings.h"
#include "app/ScreenGeometry.h"
#include "app/win/ControlIds.h"
#include "autocad/CadSession.h"
#include "discovery/CopiesBox.h"
#include "discovery/DrawingTexts.h"
#include "plotting/PlotLists.h"
#include "plotting/PostingRunDisplay.h"
#include "plotting/RunListSnapshot.h"
#include "base/Paths.h"
#include "win/Messages.h"
#include "win/Utf.h"

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

BOOL CALLBACK collectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT& r = info.rcWork;
        reinterpret_cast<std::vector<ScreenRect>*>(data)->push_back(ScreenRect{r.left, r.top, r.right, r.bottom});
    }
    return TRUE;
}

constexpr UINT kSearchUpdatesMessage = WM_APP + 1;
constexpr UINT kCadMailMessage = WM_APP + 2;
constexpr const char* kLostTitle = "AutoCAD Not Responding";
// While a search runs the list takes its rows at this steady pace, not row by row.
constexpr UINT_PTR kSearchPaceTimer = 0x5153;
constexpr UINT kSearchPaceMs = 40;
constexpr wchar_t kStartHint[] =
    L"\r\nClick \"Select a Folder\" Button or use the Directroy list to Select your drawing's Folder.";
// WM_COPYDATA tag of a folder another program asks Quillon to list.
constexpr ULONG_PTR kSelectFolderData = 0x51464C44;

}  // namespace

MainController::MainController(SettingsStore& settings, autocad::CadLauncher& launcher)
    : settings_(settings),
      launcher_(launcher),
      window_(*this),
      watchdog_(AnnounceCallAfter, DefaultCallTimeout) {}

MainController::~MainController() {
    if (mailbox_) mailbox_->close();
    endExtraSessions();
    // An idle CAD thread ends at once; a hung one is not waited for.
    if (cad_ && !cad_->finish(2000)) cad_->abandon();
}

void MainController::startCadThread() {
    monitor_ = std::make_shared<autocad::CallMonitor>();
    cad_ = makeCadThread(monitor_);
}

std::unique_ptr<autocad::CadThread> MainController::makeCadThread(std::shared_ptr<autocad::CallMonitor> monitor) {
    auto mailbox = mailbox_;
    autocad::CadLauncher& launcher = launcher_;
    autocad::ConnectionUi& window = *this;
    return std::make_unique<autocad::CadThread>(
        [mailbox, monitor, &launcher, &window]() -> std::unique_ptr<autocad::CadSession> {
            struct Session : autocad::CadSession {
                discovery::WinFileSystem files;
                Session(autocad::CadLauncher& l, std::shared_ptr<base::TaskMailbox> m, autocad::ConnectionUi& w,
                        std::shared_ptr<autocad::CallMonitor> c)
                    : autocad::CadSession(l, std::move(m), w, std::move(c), files) {}
            };
            return std::make_unique<Session>(launcher, mailbox, window, monitor);
        },
        [mailbox, this](const std::string& error) {
            mailbox->post([this, error] { setStatus("\r\nQuillon could not finish talking to AutoCAD: " + error); });
        });
}

void MainController::postCad(std::function<void(autocad::CadSession&)> job) {
    if (!cad_) return;
    cad_->post([job = std::move(job), this](autocad::CadSession& session) {
        // Once the application could not be started the program is leaving; trying again takes seconds each time.
        if (session.startFailed()) return;
        job(session);
        if (session.connection().takeStartFailure()) {
            session.noteStartFailed();
            session.mailbox()->post([this] { couldNotStart(); });
        }
    });
}

void MainController::couldNotStart() {
    if (startFailureShown_ || unloaded_) return;
    startFailureShown_ = true;
    if (unattended_) exitCode_ = static_cast<int>(RunExitCode::CadUnavailable);
    tell(autocad::connection_text::FailureTitle, autocad::connection_text::FailureMessage);
    closing_ = true;
    SendMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
}

bool MainController::start() {
    window_.create(POINT{0, 0});
    mailbox_ = std::make_shared<base::TaskMailbox>(
        [hwnd = window_.hwnd()] { PostMessageW(hwnd, kCadMailMessage, 0, 0); });
    callTimeout_ = loadCallTimeout(settings_);
    watchdog_.setLimit(callTimeout_);
    startCadThread();

    // 1-2: position and the remembered plot choices.
    auto stored = loadMainSettings(settings_);
    choices_ = plotting::PlotChoices(stored.cadPrinter, stored.cadPaper, stored.cadCTB);
    cadSessions_ = loadCadSessions(settings_);
    plotFileChoice_ = loadPlotFileSettings(settings_);
    sessionsOverride_ = commandLine_.sessions;
    showSessions(runSessions());
    restorePosition();

    listView_ = std::make_unique<DrawingListView>(window_.control(ids::ListView1), listModel_);
    auto box = [this](int id) {
        return std::make_unique<WinComboBox>(window_.control(id),
                                             [this, id](const std::string& text) { plotBoxEvent(id, text); });
    };
    printerBox_ = box(ids::CmbPrinter);
    paperBox_ = box(ids::CmbPaper);
    ctbBox_ = box(ids::CmbCTB);
    search_ = std::make_unique<discovery::SearchRunner>(
        discovery::SearchServices{fileSystem_, numbers_, dates_, types_},
        [hwnd = window_.hwnd()] { PostMessageW(hwnd, kSearchUpdatesMessage, 0, 0); });

    // 4: the program's folder is where the drawing list starts; setting it searches it.
    std::string program = win::toUtf8(moduleFileName());
    pathChange(base::folderOf(program));
    if (closing_) return false;

    // 5: attach to the CAD application or start it; a failure closes the window once it is known.
    postCad([](autocad::CadSession& session) { session.connection().connectAutoCAD(); });
    postCad([this](autocad::CadSession& session) {
        session.mailbox()->post([this] {
            cadReady_ = true;
            markReadyWhenStarted();
        });
    });

    listView_->addColumns(window_.dpi());

    // 7: the progress bar lives in the status bar's second panel.
    HWND progress = window_.control(ids::ProgressBar1);
    SendMessageW(progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(progress, PBM_SETPOS, 100, 0);
    window_.statusBar().embedProgress(progress, 1, 3, window_.dpi());
    SendMessageW(progress, PBM_SETPOS, 0, 0);

    window_.setText(ids::Status, kStartHint);
    window_.enable(ids::Command2, false);
    helpFile_ = win::toWide(base::addBackslash(base::folderOf(program)) + "help.chm");

    ShowWindow(window_.hwnd(), SW_SHOWNORMAL);
    UpdateWindow(window_.hwnd());
    return true;
}

void MainController::restorePosition() {
    auto stored = loadMainSettings(settings_);
    int dpi = static_cast<int>(GetDpiForSystem());
    RECT outer{};
    GetWindowRect(window_.hwnd(), &outer);
    ScreenRect wanted{twipsToPixels(stored.mainLeft, dpi), twipsToPixels(stored.mainTop, dpi), 0, 0};
    wanted.right = wanted.left + (outer.right - outer.left);
    wanted.bottom = wanted.top + (outer.bottom - outer.top);
    std::vector<ScreenRect> workAreas;
    EnumDisplayMonitors(nullptr, nullptr, collectWorkArea, reinterpret_cast<LPARAM>(&workAreas));
    ScreenRect placed = keepOnScreen(wanted, workAreas);
    SetWindowPos(window_.hwnd(), nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainController::onCommand(int id, int notifyCode) {
    switch (id) {
        case ids::MnuFileExit:
        case ids::Command3: exitCommand(); break;
        case ids::MnuViewStatusBar: window_.toggleStatusBar(); break;
        case ids::HelpMain: openHelp(); break;
        case ids::MnuHelpAbout: about_.showOrActivate(); break;
        case ids::MnuSelectAll: selectAllDrawings(); break;
        case ids::CmdAction: stopPressed(); break;
        case ids::Check1:
            if (notifyCode == BN_CLICKED) searchAgain(SearchCause::CheckBoxClick);
            break;
        case ids::Text2:
            if (notifyCode == EN_CHANGE) copiesChanged();
            break;
        case ids::TxtSessions:
            if (notifyCode == EN_CHANGE) sessionsChanged();
            break;
        case ids::CmbPrinter:
        case ids::CmbPaper:
        case ids::CmbCTB: {
            WinComboBox* box = plotBox(id);
            if (!box) break;
            if (notifyCode == CBN_SELCHANGE) plotBoxEvent(id, box->selectedText());
            else if (notifyCode == CBN_EDITCHANGE) plotBoxEvent(id, box->text());
            break;
        }
        case ids::Command2: startRun(plotting::RunKind::AllListed); break;
        case ids::MnuAllPrint: startRun(plotting::RunKind::AllDrawings); break;
        case ids::MnuPrintMultiple: startRun(plotting::RunKind::Selected); break;
        case ids::MnuOpenJob: openJobCommand(); break;
        case ids::MnuSaveJob: saveJobCommand(); break;
        case ids::MnuOpenReport: openLastReport(); break;
        case ids::MnuPlotFiles: plotFilesCommand(); break;
        default: break;
    }
}

bool MainController::onNotify(const NMHDR& header, LRESULT& result) {
    if (!listView_ || header.idFrom != static_cast<UINT_PTR>(ids::ListView1)) return false;
    switch (header.code) {
        case LVN_GETDISPINFOW:
            listView_->fillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
            return true;
        case LVN_COLUMNCLICK:
            if (!runActive_) listView_->clickColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            return true;
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_FOCUSED))
                previewFocusedRow();
            return true;
        }
        case NM_CLICK: previewFocusedRow(); return true;
        case LVN_KEYDOWN: {
            const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
            if (key.wVKey == 'A' && (GetKeyState(VK_CONTROL) & 0x8000)) selectAllDrawings();
            return true;
        }
        case NM_RCLICK: {
            POINT at{};
            GetCursorPos(&at);
            window_.menu().showPrintPopup(window_.hwnd(), at);
            result = TRUE;
            return true;
        }
        default: return false;
    }
}

void MainController::exitCommand() {
    exitCommandPending_ = true;
    proceedWithExit();
}

void MainController::openHelp() { HtmlHelpW(window_.hwnd(), helpFile_.c_str(), HH_DISPLAY_TOPIC, 0); }

void MainController::selectAllDrawings() {
    if (listView_) listView_->selectAll();
}

void MainController::onClose() {
    closing_ = true;
    closePending_ = true;
    proceedWithExit();
}

void MainController::proceedWithExit() {
    if (unloaded_ && !cleanUpPosted_) return;
    if (!exitRequestedAt_) exitRequestedAt_ = autocad::CallMonitor::Clock::now();
    // A search or run in progress ends first; the run closes the drawing it opened.
    stopRequested_ = true;
    runStop_->store(true);
    if (search_) search_->requestStop();
    if (runActive_ || cleanUpPosted_) return;  // going on when the run or the clean-up reports back

    if (exitCommandPending_) {
        // Exit: the CAD clean-up first, then the window closes as from its title bar.
        exitCommandPending_ = false;
        if (!cad_) {
            SendMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
            return;
        }
        cleanUpPosted_ = true;
        cad_->post([this](autocad::CadSession& session) {
            session.connection().cleanUpAtExit();
            session.mailbox()->post([this] {
                cleanUpPosted_ = false;
                SendMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
            });
        });
        return;
    }
    if (!closePending_) return;
    closePending_ = false;
    // Query-unload: the help viewer's windows go with the program.
    HtmlHelpW(window_.hwnd(), L"", HH_CLOSE_ALL, 0);

    // Unload: the other windows first, then the settings, then the CAD clean-up.
    about_.close();
    if (!IsIconic(window_.hwnd())) saveSettings();
    unloaded_ = true;
    if (!cad_) {
        DestroyWindow(window_.hwnd());
        return;
    }
    cleanUpPosted_ = true;
    cad_->post([this](autocad::CadSession& session) {
        session.connection().cleanUpAtExit();
        session.mailbox()->post([this] { DestroyWindow(window_.hwnd()); });
    });
}

void MainController::saveSettings() {
    RECT outer{};
    GetWindowRect(window_.hwnd(), &outer);
    int dpi = static_cast<int>(GetDpiForSystem());
    MainSettings current;
    current.mainLeft = pixelsToTwips(outer.left, dpi);
    current.mainTop = pixelsToTwips(outer.top, dpi);
    current.cadPaper = choices_.paper();
    current.cadPrinter = choices_.printer();
    current.cadCTB = choices_.ctb();
    try {
        saveMainSettings(settings_, current, false);
    } catch (const std::exception& error) {
        // The program is closing either way; say why the choices will not be there next time.
        win::showMessage(window_.hwnd(), std::string("The settings could not be saved: ") + error.what(), "Quillon");
    }
}

void MainController::onDestroyed() { PostQuitMessage(exitCode_); }

void MainController::onAppMessage(UINT message, WPARAM, LPARAM) {
    if (message == kSearchUpdatesMessage) takeSearchUpdates();
    // Until the folder tree has started the program's own message loop, what the CAD thread says waits: a
    // message box shown from the shell dialog's start-up loop would be stuck under the program's loop.
    else if (message == kCadMailMessage && mailbox_ && treeReady_) mailbox_->drain();
}

bool MainController::onCopyData(const COPYDATASTRUCT& data) {
    if (data.dwData != kSelectFolderData || !data.lpData || runActive_) return false;
    std::wstring folder(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
    while (!folder.empty() && folder.back() == L'\0') folder.pop_back();
    pathChange(win::toUtf8(folder));
    return true;
}

void MainController::onFolderSelected(const std::optional<std::wstring>& path) {
    if (closing_) return;
    if (runActive_) {
        folderAfterRun_ = path;
        return;
    }
    if (path) {
        pathChange(win::toUtf8(*path));
    } else {
        // A virtual item (Control Panel, Network) holds no drawings: an empty
        // list, no error. A search still running is dropped with all it would
        // still deliver, and the texts no longer name its folder.
        search_->abandon();
        endSearch();
        listView_->clear();
        window_.preview().setDrawing({});
        window_.setPreviewTip(L"");
        window_.enable(ids::Command2, false);
        window_.setText(ids::Label1, L"No folder is listed.");
        window_.setText(ids::Status, kStartHint);
    }
    if (!treeReady_) {
        treeReady_ = true;
        PostMessageW(window_.hwnd(), kCadMailMessage, 0, 0);
    }
    markReadyWhenStarted();
}

void MainController::markReadyWhenStarted() {
    // Start-up ends with the tree's first selection and the CAD application's first answers (the plot
    // lists, the connection): programs that drive Quillon (tests, the demo) wait for this.
    if (!treeReady_ || !cadReady_ || closing_ || GetPropW(window_.hwnd(), L"QuillonReady")) return;
    SetPropW(window_.hwnd(), L"QuillonReady", reinterpret_cast<HANDLE>(1));
    startCommandLineJob();
}

void MainController::pathChange(const std::string& folder) {
    // The directory list's path: no trailing backslash except at a drive root.
    std::string path = folder;
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (path.size() == 2 && path[1] == ':') path += '\\';
    currentFolder_ = path;
    searchAgain(SearchCause::FolderChange);
}

void MainController::searchAgain(SearchCause cause) {
    if (runActive_) return;
    if (cause == SearchCause::FolderChange)
        SendMessageW(window_.control(ids::Check1), BM_SETCHECK, BST_UNCHECKED, 0);
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    // Enter fills the plot lists before it empties the list; the other two the other way round.
    if (cause == SearchCause::CheckBoxEnter) fillPlotListsIfEmpty();
    listView_->clear();
    window_.preview().setDrawing({});
    window_.setPreviewTip(L"");
    if (cause != SearchCause::CheckBoxEnter) fillPlotListsIfEmpty();
    if (closing_) return;
    stopRequested_ = false;
    sortWhenSearchEnds_ = cause == SearchCause::CheckBoxEnter;
    setStatus(discovery::search_text::searching(currentFolder_.empty() ? "" : base::addBackslash(currentFolder_)));
    bool subfolders = SendMessageW(window_.control(ids::Check1), BM_GETCHECK, 0, 0) == BST_CHECKED;
    search_->start(discovery::SearchRequest{currentFolder_, discovery::search_text::Pattern, subfolders});
    SetTimer(window_.hwnd(), kSearchPaceTimer, kSearchPaceMs, nullptr);
}

void MainController::onControlKeyDown(int id, WPARAM key) {
    if (id == ids::Check1) {
        if (key == VK_RETURN) searchAgain(SearchCause::CheckBoxEnter);
        return;
    }
    // The box's text as it was before this key: the change that follows brings the new text.
    if (WinComboBox* box = plotBox(id)) plotBoxEvent(id, box->text());
}

void MainController::takeSearchUpdates() {
    if (!search_) return;
    auto updates = search_->takeUpdates();
    listView_->add(std::move(updates.rows));
    if (updates.label) window_.setText(ids::Label1, win::toWide(*updates.label));
    if (updates.status) setStatus(*updates.status);
    if (updates.finished) {
        if (listView_->size() > 0) window_.enable(ids::Command2, true);
        if (sortWhenSearchEnds_ && !stopRequested_) listView_->showSorted();
        endSearch();
        // An unattended job's folder is listed: its run starts now.
        if (std::exchange(runWhenListed_, false)) startRun(plotting::RunKind::AllListed);
    }
}

void MainController::endSearch() {
    KillTimer(window_.hwnd(), kSearchPaceTimer);
    sortWhenSearchEnds_ = false;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void MainController::onTimer(UINT_PTR id) {
    if (id == kSearchPaceTimer) takeSearchUpdates();
}

bool MainController::onSetCursor(HWND over, int hitTest) {
    // The busy cursor stays for the whole search, whatever the mouse does;
    // Stop keeps the arrow, since it is the one thing to click meanwhile.
    if (!search_ || !search_->running() || hitTest != HTCLIENT) return false;
    if (over == window_.control(ids::CmdAction)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

void MainController::stopPressed() {
    stopRequested_ = true;
    runStop_->store(true);
    if (search_) search_->requestStop();
}

void MainController::fillPlotListsIfEmpty() {
    if (printerBox_->itemCount() >= 2 || fillPending_ || closing_) return;
    fillPending_ = true;
    postCad([this](autocad::CadSession& session) {
        plotting::RecordingComboBox devices, papers, styles;
        std::string error;
        try {
            plotting::fillPlotLists(session.connection(), devices, papers, styles);
        } catch (const automation::AutomationError& failure) {
            error = failure.description();
        }
        session.mailbox()->post([this, devices, papers, styles, error] {
            fillPending_ = false;
            // A full fill resets every choice to its placeholder, as it always has.
            paperChosenSinceRefill_ = false;
            applyFill({{printerBox_.get(), devices}, {paperBox_.get(), papers}, {ctbBox_.get(), styles}}, error,
                      "The plot lists");
        });
    });
}

void MainController::applyFill(const std::vector<std::pair<WinComboBox*, plotting::RecordingComboBox>>& boxes,
                               const std::string& error, const char* what) {
    if (closing_) return;
    // The user may have picked a paper while the list was being read: that choice stands.
    const bool keepPaper = paperChosenSinceRefill_;
    const std::string paper = choices_.paper();
    replayingFill_ = true;
    for (const auto& [box, filled] : boxes) filled.replay(*box);
    replayingFill_ = false;
    if (keepPaper && paperBox_->text() != paper) paperBox_->setText(paper);
    if (!error.empty()) setStatus(std::string("\r\n") + what + " could not be filled: " + error);
}

WinComboBox* MainController::plotBox(int id) const {
    switch (id) {
        case ids::CmbPrinter: return printerBox_.get();
        case ids::CmbPaper: return paperBox_.get();
        case ids::CmbCTB: return ctbBox_.get();
        default: return nullptr;
    }
}

void MainController::plotBoxEvent(int id, const std::string& text) {
    if (id == ids::CmbPaper) {
        if (!replayingFill_) paperChosenSinceRefill_ = true;
        choices_.paperBoxEvent(text);
    } else if (id == ids::CmbCTB) {
        choices_.styleBoxEvent(text);
    } else if (choices_.deviceBoxEvent(text)) {
        paperChosenSinceRefill_ = false;
        postCad([this](autocad::CadSession& session) {
            plotting::RecordingComboBox papers;
            std::string error;
            try {
                plotting::fillPaperList(session.connection(), papers);
            } catch (const automation::AutomationError& failure) {
                error = failure.description();
            }
            session.mailbox()->post(
                [this, papers, error] { applyFill({{paperBox_.get(), papers}}, error, "The paper list"); });
        });
    }
}

void MainController::copiesChanged() {
    if (auto count = discovery::copies_box::countFromText(win::toUtf8(window_.text(ids::Text2))))
        numOfCopies_ = *count;
}

void MainController::previewFocusedRow() {
    auto focused = listView_->focused();
    std::string path = focused ? listView_->fullPath(*focused) : std::string();
    if (path == window_.preview().drawing()) return;
    window_.preview().setDrawing(path);
    window_.setPreviewTip(win::toWide(path));
}

void MainController::startRun(plotting::RunKind kind) {
    if (runActive_ || closing_ || !cad_) return;
    if (search_->running()) {
        setStatus("\r\nThe search is still running: wait for it to finish, or stop it, before plotting.");
        return;
    }
    // The run plots the rows, and the selection, there are now.
    std::vector<plotting::RunListSnapshot::Row> rows;
    rows.reserve(listView_->size());
    for (std::size_t i = 0; i < listView_->size(); ++i) {
        const auto& row = listView_->row(i);
        rows.push_back({row.name, row.folder, listView_->isSelected(i)});
    }
    runView_ = std::make_shared<RunView>(window_, *listView_, currentFolder_);
    if (unattended_) runView_->onInformation = [this](const std::string& title, const std::string& text) { tell(title, text); };
    runView_->onOutcome = [this](const plotting::DrawingOutcome& outcome) {
        reports_.add(outcome);
        announcePlotFiles(outcome);
    };
    auto list = std::make_shared<plotting::RunListSnapshot>(std::move(rows), runView_->layoutsBox(),
                                                            runView_->directoryFolder());
    plotting::PlotSetup setup{choices_.printer(), choices_.paper(), choices_.ctb(), numOfCopies_, runPlotFiles()};
    // A report that cannot be written costs the run nothing.
    if (plotting::missingChoice(setup) == plotting::MissingChoice::None) reports_.begin(setup);
    const std::string panel = runView_->statusPanelText();
    // A Stop pressed for an earlier run or search does not end this one before it starts.
    runStop_ = std::make_shared<std::atomic<bool>>(false);
    runActive_ = true;
    setBusy(true);
    std::shared_ptr<plotting::PlotRunDisplay> target = runView_;
    if (runSessions() > 1) {
        startSharedRun(kind, list, setup, panel, target, runSessions());
        return;
    }
    postCad([this, kind, list, setup, panel, target, stop = runStop_](autocad::CadSession& session) {
        // The window hears of the end however the run ends, an unexpected exception included.
        struct Ended {
            autocad::CadSession& session;
            MainController* controller;
            std::optional<plotting::PlotRun::Ending> ending;
            plotting::PlotRun::Tally tally;
            ~Ended() {
                session.mailbox()->post([c = controller, e = ending, t = tally] { c->runEnded(e, t); });
            }
        } ended{session, this, std::nullopt, {}};
        plotting::PostingRunDisplay display(session.mailbox(), target, panel);
        plotting::PlotRun run(kind, session.connection(), session.files(), display, *list, *stop, setup);
        run.runToEnd();
        ended.ending = run.ending();
        ended.tally = run.tally();
    });
}

void MainController::runEnded(std::optional<plotting::PlotRun::Ending> ending, plotting::PlotRun::Tally tally) {
    if (!runActive_) return;
    runActive_ = false;
    endExtraSessions();
    runView_.reset();
    reports_.end();
    setBusy(false);
    if (unattended_) unattendedRunEnded(ending, tally);
    if (closing_ || exitCommandPending_ || closePending_) {
        proceedWithExit();
        return;
    }
    if (auto picked = std::exchange(folderAfterRun_, std::nullopt)) onFolderSelected(*picked);
}

void MainController::setBusy(bool busy) {
    // While a run works, nothing may start a search, another run or a list refill.
    for (int id : {ids::Check1, ids::Command2, ids::CmbPrinter, ids::CmbPaper, ids::CmbCTB, ids::ChkLayouts, ids::Text2,
                   ids::TxtSessions, ids::SpnSessions})
        window_.enable(id, !busy);
    if (!busy && listView_->size() == 0) window_.enable(ids::Command2, false);
    HMENU print = window_.menu().printPopup();
    for (int id : {ids::MnuAllPrint, ids::MnuPrintMultiple})
        EnableMenuItem(print, static_cast<UINT>(id), MF_BYCOMMAND | (busy ? MF_GRAYED : MF_ENABLED));
}

void MainController::setStatus(const std::string& text) {
    window_.setText(ids::Status, win::toWide(text));
    window_.repaintNow(ids::Status);
}

void MainController::hideMainWindow() { ShowWindow(window_.hwnd(), SW_HIDE); }

void MainController::showMainWindow() {
    ShowWindow(window_.hwnd(), SW_SHOWNORMAL);
    UpdateWindow(window_.hwnd());
}

void MainController::showInformation(const std::string& title, const std::string& text) {
    win::showMessage(window_.hwnd(), text, title);
}

void MainController::onClockTick() {
    watchCadCall();
    if (exitRequestedAt_ && (runActive_ || cleanUpPosted_)) {
        askAboutHungExtraSessionsAtExit();
        askAboutHungCallAtExit();
    }
}

void MainController::watchCadCall() {
    if (monitor_ && cad_) {
        std::string why;
        if (watchCall(*monitor_, watchdog_, why)) {
            abandonCadThread(why);
            return;
        }
    }
    for (std::size_t i = 0; i < extraSessions_.size(); ++i) {
        CadSessionSlot& slot = *extraSessions_[i];
        std::string why;
        if (slot.ended || !slot.thread || !watchCall(*slot.monitor, slot.watchdog, why)) continue;
        // Only an application whose process is unknown gets here: the run goes on without that session.
        slot.thread->abandon();
        slot.ended = true;
        setStatus(why);
        if (sharedRun_ && sharedRun_->sessionEnded(static_cast<int>(i) + 1, plotting::PlotRun::Ending::ApplicationLost, 0))
            mailbox_->post([this, run = sharedRun_] { runEnded(run->ending(), run->tally()); });
    }
}

bool MainController::watchCall(autocad::CallMonitor& monitor, autocad::CallWatchdog& watchdog, std::string& abandonText) {
    const auto verdict = watchdog.check(monitor.snapshot(), autocad::CallMonitor::Clock::now());
    using Action = autocad::CallWatchdog::Verdict::Action;
    switch (verdict.action) {
        case Action::None: return false;
        case Action::Announce: {
            // Shown under the first line of what the run last said, which stays.
            std::wstring shown = window_.text(ids::Status);
            if (shown != announced_) {
                const auto lineEnd = shown.find(L"\r\n", shown.empty() || shown.rfind(L"\r\n", 0) != 0 ? 0 : 2);
                announceBase_ = lineEnd == std::wstring::npos ? shown : shown.substr(0, lineEnd);
            }
            announced_ = announceBase_ + L"\r\n" + win::toWide(verdict.text);
            window_.setText(ids::Status, announced_);
            return false;
        }
        case Action::EndProcess:
            setStatus(verdict.text);
            endHungApplication(verdict.process, monitor);
            return false;
        case Action::Abandon: abandonText = verdict.text; return true;
    }
    return false;
}

void MainController::endHungApplication(std::uint32_t process, autocad::CallMonitor& monitor) {
    monitor.markEndedByWatchdog();
    // The hung call then fails as a lost server on the CAD thread, which starts a new application and goes on.
    if (HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process)) {
        TerminateProcess(handle, 1);
        CloseHandle(handle);
    }
}

void MainController::abandonCadThread(const std::string& why) {
    // The user's own application is never ended: Quillon stops waiting on it instead.
    runStop_->store(true);
    mailbox_->close();
    cad_->abandon();
    cad_.reset();
    // The further sessions stop at their next call and quit their applications by themselves.
    for (auto& slot : extraSessions_)
        if (slot->thread) slot->thread->abandon();
    extraSessions_.clear();
    sharedRun_.reset();
    fillPending_ = false;
    cleanUpPosted_ = false;
    if (runActive_) {
        runActive_ = false;
        runView_.reset();
        reports_.end();
        SendMessageW(window_.control(ids::ProgressBar1), PBM_SETPOS, 0, 0);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        setBusy(false);
    }
    setStatus(why);
    if (closing_ || exitRequestedAt_) {
        // Leaving: nothing of the user's is touched, and nothing more is waited for.
        closing_ = true;
        exitCommandPending_ = false;
        if (unloaded_) {
            DestroyWindow(window_.hwnd());
        } else {
            closePending_ = true;
            proceedWithExit();
        }
        return;
    }
    // The next use connects anew, on a thread of its own.
    mailbox_ = std::make_shared<base::TaskMailbox>(
        [hwnd = window_.hwnd()] { PostMessageW(hwnd, kCadMailMessage, 0, 0); });
    startCadThread();
    if (unattended_) {
        unattendedRunEnded(plotting::PlotRun::Ending::ApplicationLost, {});
        return;
    }
    showInformation(kLostTitle, why + "\r\nThe next run connects to AutoCAD again.");
}

void MainController::askAboutHungCallAtExit() {
    if (exitQuestionAsked_ || !monitor_) return;
    const auto call = monitor_->snapshot();
    const auto now = autocad::CallMonitor::Clock::now();
    if (!call.inCall || call.waited(now) < ExitWaitBeforeAsking ||
        now - *exitRequestedAt_ < ExitWaitBeforeAsking)
        return;
    exitQuestionAsked_ = true;
    const std::string waited = autocad::CallWatchdog::durationText(call.waited(now));
    if (call.startedByQuillon && call.serverProcess) {
        const std::string text = "AutoCAD has not answered " + call.call + " for " + waited +
                                 ".\r\nEnd the AutoCAD that Quillon started and leave now?";
        if (MessageBoxW(window_.hwnd(), win::toWide(text).c_str(), L"Quillon", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        endHungApplication(*call.serverProcess, *monitor_);
        abandonCadThread("AutoCAD was ended; Quillon is leaving.");
        return;
    }
    showInformation("Quillon", "AutoCAD has not answered " + call.call + " for " + waited +
                                   ".\r\nIt is left running as it is, with your drawings; Quillon leaves without "
                                   "waiting further.");
    abandonCadThread("AutoCAD is left as it is; Quillon is leaving.");
}

}  // namespace quillon::app
