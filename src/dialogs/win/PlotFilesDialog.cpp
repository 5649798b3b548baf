#include "dialogs/win/PlotFilesDialog.h"

#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <string>

#include "win/DialogFont.h"
#include "win/Utf.h"

namespace quillon::dialogs {

namespace {

constexpr const wchar_t* Title = L"Plot Files";
constexpr const wchar_t* PlotFilesLabel = L"Plot files:";
constexpr const wchar_t* Beside = L"&beside each drawing";
constexpr const wchar_t* InFolder = L"in this &folder:";
constexpr const wchar_t* Browse = L"B&rowse...";
constexpr const wchar_t* PatternLabel = L"File &names:";
constexpr const wchar_t* Hint =
    L"Empty: {drawing}-{layout} for a layout, {drawing} for model space.\r\n"
    L"Also {folder} (the drawing's folder name) and {date} (the run's start, YYYY-MM-DD).\r\n"
    L"The extension is the device's: .pdf, .dwf, .dwfx, .png, .jpg, else .plt.";
constexpr const wchar_t* NoFolder = L"Choose the folder for the plot files, or plot them beside each drawing.";

// An in-memory template: the controls are made in onInit, sized to their captions.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE header{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 0, 100, 50};
    WORD menu = 0, windowClass = 0, title = 0;
};

std::wstring textOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

std::optional<app::PlotFileSettings> PlotFilesDialog::ask(HWND owner) {
    EmptyTemplate dialogTemplate;
    if (runModal(&dialogTemplate.header, owner) != IDOK) return std::nullopt;
    return settings_;
}

HWND PlotFilesDialog::add(int id, const wchar_t* type, const wchar_t* text, DWORD style, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, type, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return control;
}

bool PlotFilesDialog::onInit() {
    SetWindowTextW(hwnd(), Title);
    const int dpi = static_cast<int>(GetDpiForWindow(hwnd()));
    const LOGFONTW design = win::dialogFontDesign(dpi);
    font_.reset(CreateFontIndirectW(&design));

    add(PlotFilesLabelId, L"Static", PlotFilesLabel, SS_LEFT);
    add(BesideId, L"Button", Beside, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP);
    add(InFolderId, L"Button", InFolder, BS_AUTORADIOBUTTON);
    add(FolderId, L"Edit", win::toWide(settings_.folder).c_str(), ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
        WS_EX_CLIENTEDGE);
    add(BrowseId, L"Button", Browse, BS_PUSHBUTTON | WS_TABSTOP);
    add(PatternLabelId, L"Static", PatternLabel, SS_LEFT);
    add(PatternId, L"Edit", win::toWide(settings_.pattern).c_str(), ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
    add(HintId, L"Static", Hint, SS_LEFT | SS_NOPREFIX);
    add(IDOK, L"Button", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP);
    add(IDCANCEL, L"Button", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP);
    CheckRadioButton(hwnd(), BesideId, InFolderId, settings_.inFolder ? InFolderId : BesideId);
    layOut();
    showChoice();
    return true;
}

void PlotFilesDialog::layOut() {
    const int dpi = static_cast<int>(GetDpiForWindow(hwnd()));
    auto px = [dpi](int value) { return MulDiv(value, dpi, 96); };
    HDC dc = GetDC(hwnd());
    HGDIOBJ old = SelectObject(dc, font_.get());
    // Each caption's own width in the font in use, so none is clipped.
    auto width = [dc](const wchar_t* text) {
        RECT r{0, 0, 0, 0};
        DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
        return static_cast<int>(r.right);
    };
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT hintRect{0, 0, 0, 0};
    DrawTextW(dc, Hint, -1, &hintRect, DT_CALCRECT | DT_NOPREFIX);
    const int labels = std::max(width(PlotFilesLabel), width(PatternLabel));
    const int besideText = width(Beside);
    const int inFolderText = width(InFolder);
    const int browseText = width(Browse);
    const int cancelText = width(L"Cancel");
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);

    const int margin = px(11);
    const int gap = px(7);
    const int row = std::max(px(23), static_cast<int>(metrics.tmHeight) + px(8));
    const int radioGlyph = GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)) + px(8);
    const int x1 = margin + labels + gap;
    const int inFolder = inFolderText + radioGlyph;
    const int browse = std::max(px(75), browseText + px(16));
    const int edit = std::max(px(260), static_cast<int>(hintRect.right) - inFolder - gap - browse - gap);
    const int right = x1 + inFolder + gap + edit + gap + browse;
    const int textOffset = (row - static_cast<int>(metrics.tmHeight)) / 2;

    auto place = [&](int id, int x, int y, int w, int h) {
        SetWindowPos(GetDlgItem(hwnd(), id), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    int y = margin;
    place(PlotFilesLabelId, margin, y + textOffset, labels, metrics.tmHeight);
    place(BesideId, x1, y, besideText + radioGlyph, row);
    y += row + px(4);
    place(InFolderId, x1, y, inFolder, row);
    place(FolderId, x1 + inFolder + gap, y, edit, row);
    place(BrowseId, right - browse, y, browse, row);
    y += row + px(12);
    place(PatternLabelId, margin, y + textOffset, labels, metrics.tmHeight);
    place(PatternId, x1, y, right - x1, row);
    y += row + px(6);
    place(HintId, x1, y, right - x1, hintRect.bottom);
    y += hintRect.bottom + px(14);
    const int button = std::max(px(75), cancelText + px(16));
    place(IDCANCEL, right - button, y, button, row);
    place(IDOK, right - 2 * button - gap, y, button, row);
    y += row + margin;

    RECT frame{0, 0, right + margin, y};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)), static_cast<UINT>(dpi));
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;
    // Centred on the owner, as a dialog opened from its menu.
    RECT owner{};
    HWND parent = GetParent(hwnd());
    if (!parent || !GetWindowRect(parent, &owner)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &owner, 0);
    SetWindowPos(hwnd(), nullptr, owner.left + (owner.right - owner.left - frameWidth) / 2,
                 owner.top + (owner.bottom - owner.top - frameHeight) / 2, frameWidth, frameHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlotFilesDialog::showChoice() {
    const bool inFolder = IsDlgButtonChecked(hwnd(), InFolderId) == BST_CHECKED;
    EnableWindow(GetDlgItem(hwnd(), FolderId), inFolder);
    EnableWindow(GetDlgItem(hwnd(), BrowseId), inFolder);
}

bool PlotFilesDialog::onCommand(int id, int notifyCode, HWND control) {
    switch (id) {
        case BesideId:
        case InFolderId:
            if (notifyCode == BN_CLICKED) showChoice();
            return true;
        case BrowseId:
            if (notifyCode == BN_CLICKED) browse();
            return true;
        case IDOK:
            if (accept()) end(IDOK);
            return true;
        default:
            return Dialog::onCommand(id, notifyCode, control);
    }
}

void PlotFilesDialog::browse() {
    Microsoft::WRL::ComPtr<IFileOpenDialog> picker;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&picker)))) return;
    DWORD options = 0;
    picker->GetOptions(&options);
    picker->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    picker->SetTitle(L"Folder for the plot files");
    const std::wstring current = textOf(GetDlgItem(hwnd(), FolderId));
    Microsoft::WRL::ComPtr<IShellItem> start;
    if (!current.empty() && SUCCEEDED(SHCreateItemFromParsingName(current.c_str(), nullptr, IID_PPV_ARGS(&start))))
        picker->SetFolder(start.Get());
    if (FAILED(picker->Show(hwnd()))) return;
    Microsoft::WRL::ComPtr<IShellItem> item;
    if (FAILED(picker->GetResult(&item))) return;
    PWSTR path = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        SetDlgItemTextW(hwnd(), FolderId, path);
        CoTaskMemFree(path);
    }
}

bool PlotFilesDialog::accept() {
    app::PlotFileSettings chosen;
    chosen.inFolder = IsDlgButtonChecked(hwnd(), InFolderId) == BST_CHECKED;
    chosen.folder = win::toUtf8(textOf(GetDlgItem(hwnd(), FolderId)));
    while (chosen.folder.size() > 3 && (chosen.folder.back() == '\\' || chosen.folder.back() == '/'))
        chosen.folder.pop_back();
    chosen.pattern = win::toUtf8(textOf(GetDlgItem(hwnd(), PatternId)));
    if (chosen.inFolder && chosen.folder.empty()) {
        MessageBoxW(hwnd(), NoFolder, Title, MB_OK | MB_ICONINFORMATION);
        SetFocus(GetDlgItem(hwnd(), FolderId));
        return false;
    }
    settings_ = chosen;
    return true;
}

}  // namespace quillon::dialogs
