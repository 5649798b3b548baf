#include "app/win/MainWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/win/ControlIds.h"
#include "app/win/MainWindowLayout.h"
#include "app/win/MainWindowShell.h"
#include "app/win/ResourceIds.h"
#include "discovery/CopiesBox.h"
#include "discovery/DrawingRow.h"
#include "win/DialogFont.h"
#include "win/WinError.h"

namespace quillon::app {

namespace {

constexpr wchar_t kClassName[] = L"QuillonMainWindow";
constexpr UINT_PTR kClockTimer = 1;
constexpr UINT_PTR kKeyWatchId = 1;
// A watched control's key, handed to the main window so that its guarded procedure does the work.
constexpr UINT kControlKeyDown = WM_USER + 1;
// No WS_CLIPCHILDREN: group boxes do not paint their inside, the window's own background must show there.
constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW;
// Wide enough for a sentence a line; a long tip wraps rather than cross the screen.
constexpr int kTipWidth = 400;

int scaled(int value, int dpi) { return MulDiv(value, dpi, 96); }

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass classFor(ControlKind kind) {
    switch (kind) {
        case ControlKind::Picture: return {L"Static", SS_NOTIFY, WS_EX_CLIENTEDGE};
        // Labels take mouse input so that a right click on them is not a click on the window background.
        case ControlKind::Label: return {L"Static", SS_NOTIFY | SS_LEFT, 0};
        case ControlKind::ListView:
            return {WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::DirList: return {L"ListBox", LBS_NOTIFY | WS_VSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::Edit: return {L"Edit", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::NumberEdit:
            // Digits only: anything else is refused with a beep as the user types.
            return {L"Edit", ES_AUTOHSCROLL | ES_NUMBER | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::Frame: return {L"Button", BS_GROUPBOX, 0};
        case ControlKind::Preview: return {L"Static", SS_NOTIFY | SS_WHITERECT, WS_EX_STATICEDGE};
        case ControlKind::CheckBox: return {L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
        case ControlKind::ComboBox: return {L"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::Button: return {L"Button", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::Progress: return {PROGRESS_CLASSW, 0, 0};
        case ControlKind::Spin: return {UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0};
    }
    return {L"Static", 0, 0};
}

}  // namespace

MainWindow::MainWindow(MainWindowShell& shell) : shell_(shell) {}

MainWindow::~MainWindow() = default;

void MainWindow::create(POINT topLeft) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Loaded once: the window class keeps it for the program's life, so it is never destroyed.
    static const auto icon =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLON), IMAGE_ICON, 32, 32, 0));
    registerClass(kClassName, icon);
    HMENU bar = menu_.takeBar();
    // Sized properly once the window knows its monitor's dpi.
    BaseWindow::create(kClassName, L"Quillon Drawings", kMainStyle, 0, topLeft.x, topLeft.y, 640, 480, nullptr,
                       bar);
}

SIZE MainWindow::designedSize() const { return designedOuterSize(kMainStyle, dpi_); }

HWND MainWindow::control(int id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void MainWindow::setText(int id, const std::wstring& text) { SetWindowTextW(control(id), text.c_str()); }

std::wstring MainWindow::text(int id) const {
    HWND window = control(id);
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void MainWindow::enable(int id, bool enabled) { EnableWindow(control(id), enabled ? TRUE : FALSE); }

void MainWindow::repaintNow(int id) {
    HWND window = control(id);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void MainWindow::setPreviewTip(const std::wstring& text) {
    previewTip_ = text;
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(preview_.hwnd());
    info.lpszText = previewTip_.empty() ? const_cast<wchar_t*>(L"") : previewTip_.data();
    SendMessageW(tooltips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void MainWindow::toggleStatusBar() {
    HMENU bar = GetMenu(hwnd());
    bool show = !(GetMenuState(bar, ids::MnuViewStatusBar, MF_BYCOMMAND) & MF_CHECKED);
    CheckMenuItem(bar, ids::MnuViewStatusBar, MF_BYCOMMAND | (show ? MF_CHECKED : MF_UNCHECKED));
    statusBar_.setVisible(show);
}

void MainWindow::show() {
    ShowWindow(hwnd(), opensMaximized_ || IsZoomed(hwnd()) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    opensMaximized_ = false;
    UpdateWindow(hwnd());
}

void MainWindow::createControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const auto& spec : mainWindowControls()) {
        if (spec.kind == ControlKind::Preview) {
            const ScreenRect designed = designedRect(spec);
            preview_.create(hwnd(), spec.id, RECT{designed.left, designed.top, designed.right, designed.bottom});
            controls_[spec.id] = preview_.hwnd();
            continue;
        }
        auto cls = classFor(spec.kind);
        DWORD style = WS_CHILD | cls.style | (spec.visible ? WS_VISIBLE : 0) | (spec.enabled ? 0 : WS_DISABLED);
        // A check box designed two lines tall wraps its caption.
        if (spec.kind == ControlKind::CheckBox && spec.height > 20) style |= BS_MULTILINE;
        HWND window = CreateWindowExW(cls.exStyle, cls.className, spec.caption, style, 0, 0, 0, 0, hwnd(),
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
        if (!window) throw win::WinError::fromLastError("Creating the main window's controls");
        controls_[spec.id] = window;
        // A combo box ignores the creation text; its edit field gets it here.
        if (spec.kind == ControlKind::ComboBox) SetWindowTextW(window, spec.caption);
    }
    // Frames are drawn behind the controls placed on them.
    for (const auto& spec : mainWindowControls())
        if (spec.kind == ControlKind::Frame)
            SetWindowPos(control(spec.id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    HWND progress = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD, 0, 0, 0, 0, hwnd(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::RunProgressBar)), instance,
                                    nullptr);
    controls_[ids::RunProgressBar] = progress;
    statusBar_.create(hwnd(), ids::SbStatusBar, instance, dpi_, StatusBarHeight);
    controls_[ids::SbStatusBar] = statusBar_.handle();
    SendMessageW(control(ids::CopiesBox), EM_LIMITTEXT, 5, 0);
    SendMessageW(control(ids::TxtSessions), EM_LIMITTEXT, 1, 0);
    SendMessageW(control(ids::SpnSessions), UDM_SETBUDDY, reinterpret_cast<WPARAM>(control(ids::TxtSessions)), 0);
    SendMessageW(control(ids::SpnSessions), UDM_SETRANGE32, 1, 8);
    SendMessageW(control(ids::SpnSessions), UDM_SETPOS32, 0, 1);
    watchKeys();
}

void MainWindow::watchKeys() {
    // Windows tells the parent of clicks and text changes but not of keys: the check box reacts to Enter,
    // the plot boxes take their text before each key acts, and the copies box refuses what is no digit.
    SetWindowSubclass(control(ids::SubfoldersBox), keyWatchProc, kKeyWatchId, ids::SubfoldersBox);
    SetWindowSubclass(control(ids::CopiesBox), keyWatchProc, kKeyWatchId, ids::CopiesBox);
    for (int id : {ids::DeviceBox, ids::PaperBox, ids::PlotStyleTableBox}) {
        HWND combo = control(id);
        SetWindowSubclass(combo, keyWatchProc, kKeyWatchId, static_cast<DWORD_PTR>(id));
        // Typing goes to the box's edit field, not to the box.
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof parts;
        if (GetComboBoxInfo(combo, &parts) && parts.hwndItem && parts.hwndItem != combo)
            SetWindowSubclass(parts.hwndItem, keyWatchProc, kKeyWatchId, static_cast<DWORD_PTR>(id));
    }
}

LRESULT CALLBACK MainWindow::keyWatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR id) {
    switch (message) {
        case WM_KEYDOWN: {
            HWND main = GetAncestor(window, GA_ROOT);
            if (main) SendMessageW(main, kControlKeyDown, static_cast<WPARAM>(id), static_cast<LPARAM>(wParam));
            break;
        }
        case WM_CHAR:
            // Ctrl+V arrives here as a character too, so pasting into the box is refused the same way.
            if (id == static_cast<DWORD_PTR>(ids::CopiesBox) &&
                !discovery::copies_box::acceptsCharacter(static_cast<char32_t>(wParam))) {
                MessageBeep(MB_OK);
                return 0;
            }
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(window, keyWatchProc, kKeyWatchId); break;
        default: break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void MainWindow::createTooltips() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                instance, nullptr);
    auto add = [&](HWND tool, const wchar_t* text) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = hwnd();
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = const_cast<wchar_t*>(text);
        SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    };
    for (const auto& spec : mainWindowControls()) {
        if (!spec.tooltip) continue;
        if (spec.kind == ControlKind::Frame) {
            // A group box lets the mouse through to the window, so its tip is an area of the window.
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            info.uFlags = TTF_SUBCLASS;
            info.hwnd = hwnd();
            info.uId = static_cast<UINT_PTR>(spec.id);
            info.lpszText = const_cast<wchar_t*>(spec.tooltip);
            GetWindowRect(control(spec.id), &info.rect);
            MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&info.rect), 2);
            SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        } else {
            add(control(spec.id), spec.tooltip);
        }
    }
    SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, scaled(kTipWidth, dpi_));
    resultTip_ = std::make_unique<win::ResultTip>(tooltips_, hwnd(), control(ids::DrawingListBox), discovery::ColumnCount,
                                             mainWindowControl(ids::DrawingListBox)->tooltip);
    add(control(ids::RunProgressBar), L"Total Progress of Drawings being printed");
    add(preview_.hwnd(), L"");
    // The combo boxes' edit fields receive the mouse, not the combo boxes themselves.
    for (int id : {ids::DeviceBox, ids::PaperBox, ids::PlotStyleTableBox}) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(control(id), &info) && info.hwndItem) add(info.hwndItem, mainWindowControl(id)->tooltip);
    }
}

void MainWindow::applyFont() {
    // The layout was designed for an 8-point dialog font; the larger message font would clip captions.
    const LOGFONTW design = win::dialogFontDesign(dpi_, L"Tahoma");
    font_.reset(CreateFontIndirectW(&design));
    for (const auto& [id, window] : controls_)
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
}

void MainWindow::applyLayout() {
    RECT client{};
    GetClientRect(hwnd(), &client);
    auto places = arrangeMainWindow(controls_, font_.get(), dpi_, SIZE{client.right, client.bottom});
    HDWP batch = BeginDeferWindowPos(static_cast<int>(places.size()));
    for (const auto& place : places) {
        HWND window = control(place.id);
        const RECT& r = place.rect;
        if (batch && window)
            batch = DeferWindowPos(batch, window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch) EndDeferWindowPos(batch);
    fillBrowserHost();
    moveFrameTips();
    statusBar_.layout(dpi_);
    // Group boxes do not paint their inside: what they left behind when they moved is the window's to paint.
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::fillBrowserHost() {
    HWND host = control(ids::FolderTreeBox);
    if (!host) return;
    // Whatever the host shows (the folder tree) fills its inner area.
    RECT inner{};
    GetClientRect(host, &inner);
    for (HWND child = GetWindow(host, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        MoveWindow(child, 0, 0, inner.right, inner.bottom, TRUE);
}

void MainWindow::moveFrameTips() {
    if (!tooltips_) return;
    for (const auto& spec : mainWindowControls()) {
        if (spec.kind != ControlKind::Frame || !spec.tooltip) continue;
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = hwnd();
        info.uId = static_cast<UINT_PTR>(spec.id);
        GetWindowRect(control(spec.id), &info.rect);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&info.rect), 2);
        SendMessageW(tooltips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void MainWindow::onContextClick(POINT clientPoint) {
    // Only the bare background opens the menu; frames let the mouse through, so test by rectangle.
    HWND hit = ChildWindowFromPointEx(hwnd(), clientPoint, CWP_SKIPINVISIBLE);
    if (hit && hit != hwnd()) return;
    POINT screen = clientPoint;
    ClientToScreen(hwnd(), &screen);
    menu_.showPrintPopup(hwnd(), screen);
}

void MainWindow::onCreate() {
    dpi_ = static_cast<int>(GetDpiForWindow(hwnd()));
    createControls();
    applyFont();
    SetWindowPos(hwnd(), nullptr, 0, 0, designedSize().cx, designedSize().cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    applyLayout();
    createTooltips();
    SetTimer(hwnd(), kClockTimer, 1000, nullptr);
}

void MainWindow::onDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    applyFont();
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    applyLayout();
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP && message <= 0xBFFF) {
        shell_.onAppMessage(message, wParam, lParam);
        return 0;
    }
    switch (message) {
        case WM_CREATE: onCreate(); return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED && !controls_.empty()) applyLayout();
            return 0;
        case WM_GETMINMAXINFO: {
            // Never smaller than designed: the controls keep their designed places there.
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            SIZE least = designedOuterSize(kMainStyle, static_cast<int>(GetDpiForWindow(hwnd())));
            limits->ptMinTrackSize = POINT{least.cx, least.cy};
            return 0;
        }
        case WM_DPICHANGED: onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_TIMER:
            if (wParam == kClockTimer) {
                statusBar_.updateClock();
                shell_.onClockTick();
            } else {
                shell_.onTimer(wParam);
            }
            return 0;
        case WM_SETCURSOR:
            // Controls pass the question up to their parent first, so this answers for the whole window.
            if (shell_.onSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
            break;
        case WM_RBUTTONDOWN: onContextClick(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
        case WM_COMMAND: shell_.onCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case kControlKeyDown: shell_.onControlKeyDown(static_cast<int>(wParam), static_cast<WPARAM>(lParam)); return 0;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (shell_.onNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
            break;
        }
        case WM_COPYDATA:
            return shell_.onCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE;
        case WM_CLOSE: shell_.onClose(); return 0;
        case WM_DESTROY:
            KillTimer(hwnd(), kClockTimer);
            shell_.onDestroyed();
            return 0;
        default: break;
    }
    return BaseWindow::handleMessage(message, wParam, lParam);
}

}  // namespace quillon::app
