#include "dialogs/win/AboutWindow.h"

#include <vector>

#include "app/win/ResourceIds.h"
#include "win/DialogFont.h"
#include "win/Messages.h"
#include "win/RegistryKey.h"
#include "win/Utf.h"

namespace quillon::dialogs {

namespace {

constexpr wchar_t kClassName[] = L"QuillonAboutWindow";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 394;
constexpr int kClientHeight = 349;

// Positions at 96 dpi in client pixels: left, top, width, height.
struct Placement {
    int id;
    int left, top, width, height;
};
constexpr Placement kPlacements[] = {
    {AboutWindow::BannerId, 40, 8, 304, 78},
    {AboutWindow::TitleId, 69, 112, 259, 32},
    {AboutWindow::VersionId, 69, 140, 259, 15},
    {AboutWindow::DescriptionId, 69, 163, 259, 38},
    {AboutWindow::NoticesId, 23, 203, 362, 58},
    {AboutWindow::SeparatorId, 23, 264, 362, 2},
    {AboutWindow::WarningId, 8, 272, 281, 65},
    {IDOK, 304, 279, 84, 23},
    {AboutWindow::SysInfoId, 305, 309, 83, 23},
};

int scaled(int value, int dpi) { return MulDiv(value, dpi, 96); }

std::wstring moduleFileName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> readMachineString(std::string_view key, std::string_view value) {
    // Read access only: asking for more than that fails for users who are not administrators.
    auto opened = win::RegistryKey::tryOpen(HKEY_LOCAL_MACHINE, win::toWide(key), KEY_READ);
    if (!opened) return std::nullopt;
    auto text = opened->readString(win::toWide(value));
    if (!text) return std::nullopt;
    // The tool's own entries are plain strings, but a path kept as an expandable string still names a file.
    if (text->find(L'%') != std::wstring::npos) {
        std::vector<wchar_t> expanded(32768);
        DWORD length = ExpandEnvironmentStringsW(text->c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (length > 0 && length <= expanded.size()) *text = expanded.data();
    }
    return win::toUtf8(*text);
}

bool fileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesW(win::toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool startProgram(const std::string& program) {
    std::wstring application = win::toWide(program);
    std::wstring commandLine = L"\"" + application + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    // Started and left to itself: nothing of it is waited on.
    const win::UniqueHandle thread(process.hThread), started(process.hProcess);
    return true;
}

std::string versionString(const std::vector<BYTE>& data, WORD language, WORD codePage, const wchar_t* name) {
    wchar_t query[64];
    wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\%s", language, codePage, name);
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), query, &text, &length) || length == 0) return {};
    return win::toUtf8(static_cast<const wchar_t*>(text));
}

// The sizes the About window shows itself at, in pixels.
struct Scaled {
    int bannerIcon;
    int bannerText;
};
Scaled scaledSizes(int dpi) { return {scaled(48, dpi), -MulDiv(20, dpi, 72)}; }

// The version numbers and copyright line of a program file's version
// resource; a file without one gives zeros and an empty copyright.
struct VersionResource {
    ProgramVersion version;
    std::string copyright;
    bool found = false;
};

VersionResource readVersionResource(const std::wstring& file) {
    VersionResource result;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return result;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return result;

    void* block = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", &block, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(block);
        // The third number counts the releases of a minor version: it is what the window calls the revision.
        result.version = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                          HIWORD(fixed->dwFileVersionLS)};
        result.found = true;
    }
    struct Translation {
        WORD language;
        WORD codePage;
    };
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &block, &length) && length >= sizeof(Translation)) {
        const auto* translation = static_cast<const Translation*>(block);
        result.copyright = versionString(data, translation->language, translation->codePage, L"LegalCopyright");
    }
    return result;
}

HHOOK keyboardHookHandle = nullptr;
int openWindows = 0;

}  // namespace

SysInfoServices systemSysInfoServices() { return SysInfoServices{{readMachineString, fileExists}, startProgram}; }

AboutWindow::AboutWindow() : AboutWindow(systemSysInfoServices()) {}

AboutWindow::AboutWindow(SysInfoServices sysInfo) : sysInfo_(std::move(sysInfo)) {}

AboutWindow::~AboutWindow() { close(); }

void AboutWindow::showOrActivate() {
    if (isOpen()) {
        if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
        ShowWindow(hwnd(), SW_SHOW);
        SetForegroundWindow(hwnd());
        return;
    }
    // An unowned window gets a taskbar button; a hidden owner keeps it off without tying it to the main window.
    hiddenOwner_ = CreateWindowExW(0, L"Static", nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    registerClass(kClassName);
    // Opened where the user works: the monitor of the active window decides the dpi and the centre.
    HMONITOR monitor = MonitorFromWindow(GetForegroundWindow(), MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    const RECT& work = info.rcWork;
    try {
        create(kClassName, win::toWide(aboutCaption(about_text::ApplicationTitle)).c_str(), kStyle, kExStyle,
               (work.left + work.right) / 2, (work.top + work.bottom) / 2, 1, 1, hiddenOwner_);
    } catch (...) {
        DestroyWindow(hiddenOwner_);
        hiddenOwner_ = nullptr;
        throw;
    }
    RECT outer{};
    GetWindowRect(hwnd(), &outer);
    int width = outer.right - outer.left, height = outer.bottom - outer.top;
    SetWindowPos(hwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(hwnd());
    SetFocus(GetDlgItem(hwnd(), IDOK));
}

void AboutWindow::close() {
    if (isOpen()) DestroyWindow(hwnd());
}

void AboutWindow::createControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto add = [&](int id, const wchar_t* className, const std::string& text, DWORD style, DWORD exStyle = 0) {
        CreateWindowExW(exStyle, className, win::toWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                        hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    VersionResource resource = readVersionResource(moduleFileName());
    add(BannerId, L"Static", "", SS_OWNERDRAW);
    add(TitleId, L"Static", titleText(about_text::ApplicationTitle, resource.copyright), SS_LEFT | SS_NOPREFIX);
    add(VersionId, L"Static", resource.found ? versionText(resource.version) : std::string(), SS_LEFT | SS_NOPREFIX);
    add(DescriptionId, L"Static", about_text::Description, SS_LEFT | SS_NOPREFIX);
    add(NoticesId, L"Static", about_text::Notices, SS_LEFT | SS_NOPREFIX);
    add(SeparatorId, L"Static", "", SS_ETCHEDHORZ);
    add(WarningId, L"Static", about_text::Warning, SS_LEFT | SS_NOPREFIX);
    add(IDOK, L"Button", about_text::Ok, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP);
    add(SysInfoId, L"Button", about_text::SysInfo, BS_PUSHBUTTON | WS_TABSTOP);
}

void AboutWindow::applyDpi(int dpi) {
    dpi_ = dpi;
    // The same 8-point dialog font the main window's layout was designed for.
    LOGFONTW design = win::dialogFontDesign(dpi);
    win::UniqueFont font(CreateFontIndirectW(&design));
    design.lfHeight = scaledSizes(dpi).bannerText;
    design.lfWeight = FW_BOLD;
    bannerFont_.reset(CreateFontIndirectW(&design));

    int iconSize = scaledSizes(dpi).bannerIcon;
    icon_.reset(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLON), IMAGE_ICON, iconSize, iconSize, 0)));

    for (const auto& place : kPlacements) {
        HWND control = GetDlgItem(hwnd(), place.id);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        SetWindowPos(control, nullptr, scaled(place.left, dpi), scaled(place.top, dpi), scaled(place.width, dpi),
                     scaled(place.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The controls hold the new font now; the old one may go.
    font_ = std::move(font);

    RECT outer{0, 0, scaled(kClientWidth, dpi), scaled(kClientHeight, dpi)};
    AdjustWindowRectExForDpi(&outer, kStyle, FALSE, kExStyle, static_cast<UINT>(dpi));
    SetWindowPos(hwnd(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void AboutWindow::drawBanner(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT frame = item.rcItem;
    FillRect(dc, &frame, GetSysColorBrush(COLOR_WINDOW));
    DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);

    Scaled sizes = scaledSizes(dpi_);
    int margin = scaled(14, dpi_);
    int iconTop = frame.top + (frame.bottom - frame.top - sizes.bannerIcon) / 2;
    if (icon_)
        DrawIconEx(dc, frame.left + margin, iconTop, icon_.get(), sizes.bannerIcon, sizes.bannerIcon, 0, nullptr, DI_NORMAL);

    RECT text = frame;
    text.left += margin * 2 + sizes.bannerIcon;
    HGDIOBJ previous = SelectObject(dc, bannerFont_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    std::wstring title = win::toWide(about_text::ApplicationTitle);
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(dc, previous);
}

void AboutWindow::startSysInfo() {
    bool started = false;
    try {
        if (auto program = findSysInfoProgram(sysInfo_.sources)) started = sysInfo_.start(*program);
    } catch (const std::exception&) {
        // An unreadable registry entry means the same to the user as a missing one: the message below.
        started = false;
    }
    if (!started) {
        win::showMessage(hwnd(), about_text::SysInfoUnavailable, about_text::ApplicationTitle, MB_OK);
    }
}

LRESULT CALLBACK AboutWindow::keyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    // The program's message loop knows nothing of this window; giving it the dialog keys here
    // lets Enter, Esc and Tab work whichever loop delivers the messages.
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST && message->hwnd) {
            HWND root = GetAncestor(message->hwnd, GA_ROOT);
            wchar_t className[64] = {};
            if (root && GetClassNameW(root, className, 64) && lstrcmpW(className, kClassName) == 0 &&
                IsDialogMessageW(root, message)) {
                message->message = WM_NULL;
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT AboutWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            if (openWindows++ == 0)
                keyboardHookHandle = SetWindowsHookExW(WH_GETMESSAGE, keyboardHook, nullptr, GetCurrentThreadId());
            createControls();
            applyDpi(static_cast<int>(GetDpiForWindow(hwnd())));
            return 0;
        case WM_DPICHANGED: {
            applyDpi(HIWORD(wParam));
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case DM_GETDEFID: {
            // Enter presses the focused button, as in a dialog; elsewhere OK.
            HWND focus = GetFocus();
            int id = focus && GetParent(focus) == hwnd() ? GetDlgCtrlID(focus) : IDOK;
            if (id != SysInfoId) id = IDOK;
            return MAKELRESULT(id, DC_HASDEFID);
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlID == BannerId) {
                drawBanner(*item);
                return TRUE;
            }
            break;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL: close(); return 0;
                case SysInfoId: startSysInfo(); return 0;
                default: break;
            }
            break;
        case WM_CLOSE: close(); return 0;
        case WM_DESTROY:
            if (--openWindows == 0 && keyboardHookHandle) {
                UnhookWindowsHookEx(keyboardHookHandle);
                keyboardHookHandle = nullptr;
            }
            icon_.reset();
            return 0;
        case WM_NCDESTROY:
            // The owner exists only for this window; it goes once the window is gone.
            if (hiddenOwner_) DestroyWindow(hiddenOwner_);
            hiddenOwner_ = nullptr;
            break;
        default: break;
    }
    return BaseWindow::handleMessage(message, wParam, lParam);
}

}  // namespace quillon::dialogs
