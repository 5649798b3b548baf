#include "app/win/MainController.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include <vector>

#include "app/MainSettings.h"
#include "app/ScreenGeometry.h"
#include "app/win/ControlIds.h"
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

struct ListColumn {
    const wchar_t* heading;
    int width;
    int format;
};

}  // namespace

MainController::MainController(SettingsStore& settings, autocad::CadLauncher& launcher)
    : settings_(settings), connection_(launcher, *this), window_(*this) {}

MainController::~MainController() = default;

bool MainController::start() {
    window_.create(POINT{0, 0});

    // 1-2: position and the remembered plot choices.
    auto stored = loadMainSettings(settings_);
    strPaper_ = stored.cadPaper;
    strPrinter_ = stored.cadPrinter;
    strCTB_ = stored.cadCTB;
    restorePosition();

    // 4: the program's folder is where the drawing list starts.
    std::string program = win::toUtf8(moduleFileName());
    currentFolder_ = base::addBackslash(base::folderOf(program));

    // 5: attach to the CAD application or start it; on failure the window is already closing.
    if (!connection_.connectAutoCAD() && closing_) return false;

    addListColumns();

    // 7: the progress bar lives in the status bar's second panel.
    HWND progress = window_.control(ids::ProgressBar1);
    SendMessageW(progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(progress, PBM_SETPOS, 100, 0);
    window_.statusBar().embedProgress(progress, 1, 3, window_.dpi());
    SendMessageW(progress, PBM_SETPOS, 0, 0);

    window_.setText(ids::Status, L"\r\nClick \"Select a Folder\" Button or use the Directroy list to Select your "
                                 L"drawing's Folder.");
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

void MainController::addListColumns() {
    static constexpr ListColumn columns[] = {
        {L"File Name", 125, LVCFMT_LEFT},  {L"Path", 250, LVCFMT_LEFT},
        {L"File Type", 100, LVCFMT_LEFT},  {L"Size", 80, LVCFMT_RIGHT},
        {L"Last Modified Date", 130, LVCFMT_RIGHT},
    };
    HWND list = window_.control(ids::ListView1);
    int index = 0;
    for (const auto& column : columns) {
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        lvc.fmt = column.format;
        lvc.cx = MulDiv(column.width, window_.dpi(), 96);
        lvc.pszText = const_cast<wchar_t*>(column.heading);
        lvc.iSubItem = index;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvc));
        ++index;
    }
}

void MainController::onCommand(int id, int) {
    switch (id) {
        case ids::MnuFileExit:
        case ids::Command3: exitCommand(); break;
        case ids::MnuViewStatusBar: window_.toggleStatusBar(); break;
        case ids::HelpMain: openHelp(); break;
        case ids::MnuHelpAbout: about_.showOrActivate(); break;
        case ids::MnuSelectAll: selectAllDrawings(); break;
        default: break;
    }
}

bool MainController::onNotify(const NMHDR&, LRESULT&) { return false; }

void MainController::exitCommand() {
    connection_.cleanUpAtExit();
    SendMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
}

void MainController::openHelp() { HtmlHelpW(window_.hwnd(), helpFile_.c_str(), HH_DISPLAY_TOPIC, 0); }

void MainController::selectAllDrawings() {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageW(window_.control(ids::ListView1), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&item));
}

void MainController::onClose() {
    closing_ = true;
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
    current.cadPaper = strPaper_;
    current.cadPrinter = strPrinter_;
    current.cadCTB = strCTB_;
    try {
        saveMainSettings(settings_, current, false);
    } catch (const std::exception& error) {
        // The program is closing either way; say why the choices will not be there next time.
        win::showMessage(window_.hwnd(), std::string("The settings could not be saved: ") + error.what(), "Quillon");
    }
}

void MainController::onDestroyed() { PostQuitMessage(0); }

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
