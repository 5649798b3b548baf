#include "dialogs/win/SheetsDialog.h"

#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>

#include "dialogs/win/DialogParts.h"
#include "win/DialogFont.h"
#include "win/Utf.h"

namespace quillon::dialogs {

namespace {

using plotting::SheetSettings;

constexpr const wchar_t* Title = L"Sheets";
constexpr const wchar_t* IncludeLabel = L"Layouts to &plot:";
constexpr const wchar_t* ExcludeLabel = L"&Leave out:";
constexpr const wchar_t* PatternHint =
    L"Layout names with * and ?, several separated by ; (letter case ignored). Empty: every layout.\r\n"
    L"Only with Print Layouts; a drawing with model space only is plotted as it is.";
constexpr const wchar_t* SkipEmpty = L"Leave out &empty layouts (never used, such as Layout1)";
constexpr const wchar_t* SettingsLabel = L"Sheet settings:";
constexpr const wchar_t* Quillon = L"&Quillon's: extents, scaled to fit, 90 degrees, centred";
constexpr const wchar_t* OwnLayout = L"each layout's &own page setup, with the device, paper and table chosen";
constexpr const wchar_t* FromTemplate = L"a named page setup from a &template drawing:";
constexpr const wchar_t* TemplateFileLabel = L"Template &drawing:";
constexpr const wchar_t* Browse = L"B&rowse...";
constexpr const wchar_t* PageSetupLabel = L"Page &setup:";
constexpr const wchar_t* Reading = L"Reading the drawing's page setups...";
constexpr const wchar_t* NoTemplate = L"Choose the template drawing and its page setup, or another source of settings.";

}  // namespace

std::optional<app::SheetChoice> SheetsDialog::ask(HWND owner) {
    parts::EmptyTemplate dialogTemplate;
    const INT_PTR result = runModal(&dialogTemplate.header, owner);
    alive_.reset();
    if (result != IDOK) return std::nullopt;
    return choice_;
}

HWND SheetsDialog::add(int id, const wchar_t* type, const wchar_t* text, DWORD style, DWORD exStyle) {
    return parts::addControl(hwnd(), font_.get(), id, type, text, style, exStyle);
}

bool SheetsDialog::onInit() {
    SetWindowTextW(hwnd(), Title);
    const LOGFONTW design = win::dialogFontDesign(static_cast<int>(GetDpiForWindow(hwnd())));
    font_.reset(CreateFontIndirectW(&design));

    add(IncludeLabelId, L"Static", IncludeLabel, SS_LEFT);
    add(IncludeId, L"Edit", win::toWide(choice_.includeLayouts).c_str(), ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
    add(ExcludeLabelId, L"Static", ExcludeLabel, SS_LEFT);
    add(ExcludeId, L"Edit", win::toWide(choice_.excludeLayouts).c_str(), ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
    add(PatternHintId, L"Static", PatternHint, SS_LEFT | SS_NOPREFIX);
    add(SkipEmptyId, L"Button", SkipEmpty, BS_AUTOCHECKBOX | WS_TABSTOP);
    CheckDlgButton(hwnd(), SkipEmptyId, choice_.skipEmptyLayouts ? BST_CHECKED : BST_UNCHECKED);
    add(SettingsLabelId, L"Static", SettingsLabel, SS_LEFT);
    add(QuillonId, L"Button", Quillon, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP);
    add(LayoutId, L"Button", OwnLayout, BS_AUTORADIOBUTTON);
    add(TemplateId, L"Button", FromTemplate, BS_AUTORADIOBUTTON);
    const int source = choice_.settings == SheetSettings::Layout     ? LayoutId
                       : choice_.settings == SheetSettings::Template ? TemplateId
                                                                     : QuillonId;
    CheckRadioButton(hwnd(), QuillonId, TemplateId, source);
    add(TemplateFileLabelId, L"Static", TemplateFileLabel, SS_LEFT);
    add(TemplateFileId, L"Edit", win::toWide(choice_.pageSetupFile).c_str(),
        ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE);
    add(BrowseId, L"Button", Browse, BS_PUSHBUTTON | WS_TABSTOP);
    add(PageSetupLabelId, L"Static", PageSetupLabel, SS_LEFT);
    // Editable: a page setup can be named while its drawing cannot be read here.
    HWND pageSetup = add(PageSetupId, L"ComboBox", L"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP);
    SetWindowTextW(pageSetup, win::toWide(choice_.pageSetup).c_str());
    add(PageSetupStateId, L"Static", L"", SS_LEFT | SS_NOPREFIX);
    add(IDOK, L"Button", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP);
    add(IDCANCEL, L"Button", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP);
    layOut();
    showChoice();
    if (choice_.settings == SheetSettings::Template && !choice_.pageSetupFile.empty()) listPageSetups();
    return true;
}

void SheetsDialog::layOut() {
    const int dpi = static_cast<int>(GetDpiForWindow(hwnd()));
    auto px = [dpi](int value) { return MulDiv(value, dpi, 96); };
    const parts::TextMeasure measure(hwnd(), font_.get());
    auto width = [&measure](const wchar_t* text) { return measure.width(text); };
    const TEXTMETRICW& metrics = measure.metrics();
    const RECT hint = measure.block(PatternHint);
    const int labels = std::max({width(IncludeLabel), width(ExcludeLabel), width(SettingsLabel)});
    const int subLabels = std::max(width(TemplateFileLabel), width(PageSetupLabel));
    const int radios = std::max({width(Quillon), width(OwnLayout), width(FromTemplate), width(SkipEmpty)});
    const int browseText = width(Browse);
    const int cancelText = width(L"Cancel");

    const int margin = px(11);
    const int gap = px(7);
    const int row = std::max(px(23), static_cast<int>(metrics.tmHeight) + px(8));
    const int glyph = GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)) + px(8);
    const int x1 = margin + labels + gap;
    const int right = x1 + std::max({static_cast<int>(hint.right), radios + glyph, px(380)});
    const int indent = x1 + glyph;
    const int x2 = indent + subLabels + gap;
    const int browse = std::max(px(75), browseText + px(16));
    const int textOffset = (row - static_cast<int>(metrics.tmHeight)) / 2;
    auto place = [&](int id, int x, int y, int w, int h) {
        SetWindowPos(GetDlgItem(hwnd(), id), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    int y = margin;
    place(IncludeLabelId, margin, y + textOffset, labels, metrics.tmHeight);
    place(IncludeId, x1, y, right - x1, row);
    y += row + px(4);
    place(ExcludeLabelId, margin, y + textOffset, labels, metrics.tmHeight);
    place(ExcludeId, x1, y, right - x1, row);
    y += row + px(4);
    place(PatternHintId, x1, y, right - x1, hint.bottom);
    y += hint.bottom + px(4);
    place(SkipEmptyId, x1, y, right - x1, row);
    y += row + px(12);
    place(SettingsLabelId, margin, y + textOffset, labels, metrics.tmHeight);
    for (int id : {QuillonId, LayoutId, TemplateId}) {
        place(id, x1, y, right - x1, row);
        y += row;
    }
    y += px(2);
    place(TemplateFileLabelId, indent, y + textOffset, subLabels, metrics.tmHeight);
    place(TemplateFileId, x2, y, right - x2 - gap - browse, row);
    place(BrowseId, right - browse, y, browse, row);
    y += row + px(4);
    place(PageSetupLabelId, indent, y + textOffset, subLabels, metrics.tmHeight);
    place(PageSetupId, x2, y, right - x2, row * 8);
    y += row + px(2);
    place(PageSetupStateId, x2, y, right - x2, metrics.tmHeight);
    y += static_cast<int>(metrics.tmHeight) + px(14);
    const int button = std::max(px(75), cancelText + px(16));
    place(IDCANCEL, right - button, y, button, row);
    place(IDOK, right - 2 * button - gap, y, button, row);
    y += row + margin;

    parts::sizeAndCentre(hwnd(), right + margin, y, dpi);
}

void SheetsDialog::showChoice() {
    const bool fromTemplate = IsDlgButtonChecked(hwnd(), TemplateId) == BST_CHECKED;
    for (int id : {TemplateFileLabelId, TemplateFileId, BrowseId, PageSetupLabelId, PageSetupId, PageSetupStateId})
        EnableWindow(GetDlgItem(hwnd(), id), fromTemplate);
}

bool SheetsDialog::onCommand(int id, int notifyCode, HWND control) {
    switch (id) {
        case QuillonId:
        case LayoutId:
        case TemplateId:
            if (notifyCode == BN_CLICKED) {
                showChoice();
                if (id == TemplateId) listPageSetups();
            }
            return true;
        case TemplateFileId:
            if (notifyCode == EN_KILLFOCUS) listPageSetups();
            return true;
        case BrowseId:
            if (notifyCode == BN_CLICKED) browse();
            return true;
        case IDOK:
            if (accept()) end(IDOK);
            return true;
        default: return Dialog::onCommand(id, notifyCode, control);
    }
}

void SheetsDialog::browse() {
    Microsoft::WRL::ComPtr<IFileOpenDialog> picker;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&picker)))) return;
    const COMDLG_FILTERSPEC types[] = {{L"Templates and drawings (*.dwt; *.dwg)", L"*.dwt;*.dwg"}};
    picker->SetFileTypes(1, types);
    DWORD options = 0;
    picker->GetOptions(&options);
    picker->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST);
    picker->SetTitle(L"Template drawing with the office's page setups");
    if (FAILED(picker->Show(hwnd()))) return;
    Microsoft::WRL::ComPtr<IShellItem> item;
    if (FAILED(picker->GetResult(&item))) return;
    win::UniqueCoTaskMem<PWSTR> path;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, path.out()))) {
        SetDlgItemTextW(hwnd(), TemplateFileId, path.get());
        listPageSetups();
    }
}

void SheetsDialog::listPageSetups() {
    const std::wstring file = parts::textOf(GetDlgItem(hwnd(), TemplateFileId));
    if (file.empty() || file == listedFile_) return;
    listedFile_ = file;
    const std::uint64_t request = ++request_;
    SetDlgItemTextW(hwnd(), PageSetupStateId, Reading);
    std::weak_ptr<int> alive = alive_;
    lister_.listPageSetups(win::toUtf8(file), [this, alive, request](auto setups, std::string error) {
        // The dialog may be gone, or another drawing named since.
        if (alive.expired() || request != request_) return;
        showPageSetups(std::move(setups), error);
    });
}

void SheetsDialog::showPageSetups(std::vector<plotting::PageSetupName> setups, const std::string& error) {
    HWND box = GetDlgItem(hwnd(), PageSetupId);
    const std::wstring typed = parts::textOf(box);
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    setups_ = std::move(setups);
    for (const auto& setup : setups_)
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::toWide(plotting::pageSetupListText(setup)).c_str()));
    SetWindowTextW(box, typed.c_str());
    std::wstring state;
    if (!error.empty())
        state = L"Its page setups could not be read: " + win::toWide(error);
    else if (setups_.empty())
        state = L"The drawing holds no named page setup.";
    else
        state = std::to_wstring(setups_.size()) + (setups_.size() == 1 ? L" page setup" : L" page setups") +
                L" in the drawing.";
    SetDlgItemTextW(hwnd(), PageSetupStateId, state.c_str());
}

std::string SheetsDialog::chosenPageSetup() const {
    const std::string text = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), PageSetupId)));
    // A listed item's text carries its kind; the name is what a run asks the drawing for.
    for (const auto& setup : setups_)
        if (plotting::pageSetupListText(setup) == text) return setup.name;
    return text;
}

bool SheetsDialog::accept() {
    app::SheetChoice chosen = choice_;
    chosen.includeLayouts = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), IncludeId)));
    chosen.excludeLayouts = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), ExcludeId)));
    chosen.skipEmptyLayouts = IsDlgButtonChecked(hwnd(), SkipEmptyId) == BST_CHECKED;
    chosen.settings = IsDlgButtonChecked(hwnd(), LayoutId) == BST_CHECKED     ? SheetSettings::Layout
                      : IsDlgButtonChecked(hwnd(), TemplateId) == BST_CHECKED ? SheetSettings::Template
                                                                               : SheetSettings::Quillon;
    chosen.pageSetupFile = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), TemplateFileId)));
    chosen.pageSetup = chosenPageSetup();
    if (chosen.settings == SheetSettings::Template && (chosen.pageSetupFile.empty() || chosen.pageSetup.empty())) {
        MessageBoxW(hwnd(), NoTemplate, Title, MB_OK | MB_ICONINFORMATION);
        SetFocus(GetDlgItem(hwnd(), chosen.pageSetupFile.empty() ? TemplateFileId : PageSetupId));
        return false;
    }
    choice_ = chosen;
    return true;
}

}  // namespace quillon::dialogs
