#include "app/win/MainController.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include <vector>

#include "app/MainSettings.h"
#include "app/ScreenGeometry.h"
#include "app/win/ControlIds.h"
#include "discovery/CopiesBox.h"
#include "discovery/DrawingTexts.h"
#include "plotting/PlotLists.h"
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
constexpr UINT kRunStepMessage = WM_APP + 2;
// While a search runs the list takes its rows at this steady pace, not row by row.
constexpr UINT_PTR kSearchPaceTimer = 0x5153;
constexpr UINT kSearchPaceMs = 40;
constexpr wchar_t kStartHint[] =
    L"\r\nClick \"Select a Folder\" Button or use the Directroy list to Select your drawing's Folder.";
// WM_COPYDATA tag of a folder another program asks Quillon to list.
constexpr ULONG_PTR kSelectFolderData = 0x51464C44;

}  // namespace

MainController::MainController(SettingsStore& settings, autocad::CadLauncher& launcher)
    : settings_(settings), connection_(launcher, *this), window_(*this) {}

MainController::~MainController() = default;

bool MainController::start() {
    window_.create(POINT{0, 0});

    // 1-2: position and the remembered plot choices.
    auto stored = loadMainSettings(settings_);
    choices_ = plotting::PlotChoices(stored.cadPrinter, stored.cadPaper, stored.cadCTB);
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

    // 5: attach to the CAD application or start it; on failure the window is already closing.
    if (!connection_.connectAutoCAD() && closing_) return false;

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
            if (!run_) listView_->clickColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
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
    connection_.cleanUpAtExit();
    SendMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
}

void MainController::openHelp() { HtmlHelpW(window_.hwnd(), helpFile_.c_str(), HH_DISPLAY_TOPIC, 0); }

void MainController::selectAllDrawings() {
    if (listView_) listView_->selectAll();
}

void MainController::onClose() {
    closing_ = true;
    // A search or run in progress ends with the window; the run closes the drawing it opened first.
    stopRequested_ = true;
    if (search_) search_->requestStop();
    if (run_) {
        while (!run_->finished() && run_->step()) {
        }
        run_.reset();
    }
    // Query-unload: the help viewer's windows go with the program.
    HtmlHelpW(window_.hwnd(), L"", HH_CLOSE_ALL, 0);

    // Unload: the other windows first, then the settings, then the CAD clean-up.
    about_.close();
    if (!IsIconic(window_.hwnd())) saveSettings();
    connection_.cleanUpAtExit();
    DestroyWindow(window_.hwnd());
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

void MainController::onDestroyed() { PostQuitMessage(0); }

void MainController::onAppMessage(UINT message, WPARAM, LPARAM) {
    if (message == kSearchUpdatesMessage) takeSearchUpdates();
    else if (message == kRunStepMessage) stepRun();
}

bool MainController::onCopyData(const COPYDATASTRUCT& data) {
    if (data.dwData != kSelectFolderData || !data.lpData || run_) return false;
    std::wstring folder(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
    while (!folder.empty() && folder.back() == L'\0') folder.pop_back();
    pathChange(win::toUtf8(folder));
    return true;
}

void MainController::onFolderSelected(const std::optional<std::wstring>& path) {
    if (closing_ || run_) return;
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
    // The tree's first selection ends start-up: programs that drive Quillon (tests, the demo) wait for this.
    if (!closing_ && !GetPropW(window_.hwnd(), L"QuillonReady"))
        SetPropW(window_.hwnd(), L"QuillonReady", reinterpret_cast<HANDLE>(1));
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
    if (run_) return;
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
    if (search_) search_->requestStop();
}

void MainController::fillPlotListsIfEmpty() {
    if (printerBox_->itemCount() >= 2) return;
    try {
        plotting::fillPlotLists(connection_, *printerBox_, *paperBox_, *ctbBox_);
    } catch (const automation::AutomationError& error) {
        if (!closing_) setStatus("\r\nThe plot lists could not be filled: " + error.description());
    }
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
        choices_.paperBoxEvent(text);
    } else if (id == ids::CmbCTB) {
        choices_.styleBoxEvent(text);
    } else if (choices_.deviceBoxEvent(text)) {
        try {
            plotting::fillPaperList(connection_, *paperBox_);
        } catch (const automation::AutomationError& error) {
            setStatus("\r\nThe paper list could not be filled: " + error.description());
        }
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
    if (run_) return;
    if (search_->running()) {
        setStatus("\r\nThe search is still running: wait for it to finish, or stop it, before plotting.");
        return;
    }
    runView_ = std::make_unique<RunView>(window_, *listView_, currentFolder_);
    plotting::PlotSetup setup{choices_.printer(), choices_.paper(), choices_.ctb(), numOfCopies_};
    run_ = std::make_unique<plotting::PlotRun>(kind, connection_, fileSystem_, *runView_, *runView_, stopRequested_,
                                               setup);
    if (!run_->start()) {
        run_.reset();
        runView_.reset();
        return;
    }
    setBusy(true);
    PostMessageW(window_.hwnd(), kRunStepMessage, 0, 0);
}

void MainController::stepRun() {
    if (!run_) return;
    // One piece of automation work per message: the window repaints and Stop gets through in between.
    bool more = run_->step();
    if (more && !run_->finished()) PostMessageW(window_.hwnd(), kRunStepMessage, 0, 0);
    else finishRun();
}

void MainController::finishRun() {
    run_.reset();
    runView_.reset();
    setBusy(false);
}

void MainController::setBusy(bool busy) {
    // While a run works, nothing may start a search, another run or a list refill.
    for (int id : {ids::Check1, ids::Command2, ids::CmbPrinter, ids::CmbPaper, ids::CmbCTB, ids::ChkLayouts, ids::Text2})
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

void MainController::closeMainWindow() {
    closing_ = true;
    SendMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
}

}  // namespace quillon::app
