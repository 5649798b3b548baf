#include "dialogs/win/PlotFilesDialog.h"

#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <string>

#include "dialogs/win/DialogParts.h"
#include "plotting/titleblocks/NameFieldRules.h"
#include "win/ComboBoxControl.h"
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
    L"The extension is the device's: .pdf, .dwf, .dwfx, .png, .jpg, .xps, else .plt.";
constexpr const wchar_t* ToDevice = L"send a plotter's sheets to the &plotter, not to a file (PDF, DWF, PNG still make files)";
constexpr const wchar_t* CombineLabel = L"Combine the PDF sheets:";
constexpr const wchar_t* CombineChoices[] = {L"no", L"one file per drawing", L"one file for the run"};
constexpr const wchar_t* CombinedNameLabel = L"Combined &file:";
constexpr const wchar_t* KeepSheets = L"&keep the single-sheet files";
constexpr const wchar_t* CombineHint =
    L"Empty: {drawing} sheets for each drawing, {folder} {date} for the run; also {job}.\r\n"
    L"Only a device that makes PDF files combines; the sheets go in in the order they were plotted.";
constexpr const wchar_t* NoFolder = L"Choose the folder for the plot files, or plot them beside each drawing.";
constexpr const wchar_t* TitleBlocksLabel = L"Title &blocks:";
constexpr const wchar_t* TagsButton = L"&Tags from a drawing...";
constexpr const wchar_t* TagsHint =
    L"Block names such as *TITLE*;*TB* (empty: none read). File names then take {attr:TAG} from the sheet's\r\n"
    L"title block and {prop:Name} from the drawing's properties: {attr:SHEETNO} {attr:TITLE}.";
constexpr const wchar_t* RegisterLabel = L"&Register:";
constexpr const wchar_t* Reading = L"Reading the drawing's title blocks...";

}  // namespace

std::optional<app::PlotFileSettings> PlotFilesDialog::ask(HWND owner) {
    parts::EmptyTemplate dialogTemplate;
    if (runModal(&dialogTemplate.header, owner) != IDOK) return std::nullopt;
    return settings_;
}

HWND PlotFilesDialog::add(int id, const wchar_t* type, const wchar_t* text, DWORD style, DWORD exStyle) {
    return parts::addControl(hwnd(), font_.get(), id, type, text, style, exStyle);
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
    add(ToDeviceId, L"Button", ToDevice, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP);
    CheckDlgButton(hwnd(), ToDeviceId, settings_.output == plotting::PlotOutput::Device ? BST_CHECKED : BST_UNCHECKED);
    add(CombineLabelId, L"Static", CombineLabel, SS_LEFT);
    const win::ComboBoxControl combine(
        add(CombineId, L"ComboBox", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP));
    for (const wchar_t* choice : CombineChoices) combine.add(choice);
    combine.select(static_cast<std::size_t>(settings_.combine.mode));
    add(CombinedNameLabelId, L"Static", CombinedNameLabel, SS_LEFT);
    add(CombinedNameId, L"Edit", win::toWide(settings_.combine.fileName).c_str(), ES_AUTOHSCROLL | WS_TABSTOP,
        WS_EX_CLIENTEDGE);
    add(KeepSheetsId, L"Button", KeepSheets, BS_AUTOCHECKBOX | WS_TABSTOP);
    CheckDlgButton(hwnd(), KeepSheetsId, settings_.combine.keepSheetFiles ? BST_CHECKED : BST_UNCHECKED);
    add(CombineHintId, L"Static", CombineHint, SS_LEFT | SS_NOPREFIX);
    add(TitleBlocksLabelId, L"Static", TitleBlocksLabel, SS_LEFT);
    add(TitleBlocksId, L"Edit", win::toWide(settings_.titleBlocks).c_str(), ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
        WS_EX_CLIENTEDGE);
    add(TagsButtonId, L"Button", TagsButton, BS_PUSHBUTTON | WS_TABSTOP);
    add(TagsId, L"Static", TagsHint, SS_LEFT | SS_NOPREFIX);
    add(RegisterLabelId, L"Static", RegisterLabel, SS_LEFT);
    add(RegisterId, L"Edit", win::toWide(settings_.registerName).c_str(), ES_AUTOHSCROLL | WS_TABSTOP,
        WS_EX_CLIENTEDGE);
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
    const parts::TextMeasure measure(hwnd(), font_.get());
    auto width = [&measure](const wchar_t* text) { return measure.width(text); };
    const TEXTMETRICW& metrics = measure.metrics();
    const RECT hintRect = measure.block(Hint);
    const RECT combineHintRect = measure.block(CombineHint);
    const RECT tagsRect = measure.block(TagsHint);
    const int labels = std::max({width(PlotFilesLabel), width(PatternLabel), width(CombineLabel), width(CombinedNameLabel),
                                 width(TitleBlocksLabel), width(RegisterLabel)});
    const int tagsButton = width(TagsButton) + px(16);
    const int combineChoice = width(CombineChoices[2]) + px(40);
    const int keepText = width(KeepSheets);
    const int besideText = width(Beside);
    const int inFolderText = width(InFolder);
    const int browseText = width(Browse);
    const int cancelText = width(L"Cancel");

    const int margin = px(11);
    const int gap = px(7);
    const int row = std::max(px(23), static_cast<int>(metrics.tmHeight) + px(8));
    const int radioGlyph = GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)) + px(8);
    const int x1 = margin + labels + gap;
    const int inFolder = inFolderText + radioGlyph;
    const int browse = std::max(px(75), browseText + px(16));
    const int widestHint = std::max({static_cast<int>(hintRect.right), static_cast<int>(combineHintRect.right),
                                     static_cast<int>(tagsRect.right), width(ToDevice) + radioGlyph});
    const int edit = std::max(px(260), widestHint - inFolder - gap - browse - gap);
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
    y += hintRect.bottom + px(6);
    place(ToDeviceId, x1, y, right - x1, row);
    y += row + px(10);
    place(CombineLabelId, margin, y + textOffset, labels, metrics.tmHeight);
    place(CombineId, x1, y, combineChoice, row * 5);
    place(KeepSheetsId, x1 + combineChoice + gap, y, keepText + radioGlyph, row);
    y += row + px(4);
    place(CombinedNameLabelId, margin, y + textOffset, labels, metrics.tmHeight);
    place(CombinedNameId, x1, y, right - x1, row);
    y += row + px(6);
    place(CombineHintId, x1, y, right - x1, combineHintRect.bottom);
    y += combineHintRect.bottom + px(12);
    place(TitleBlocksLabelId, margin, y + textOffset, labels, metrics.tmHeight);
    place(TitleBlocksId, x1, y, right - x1 - tagsButton - gap, row);
    place(TagsButtonId, right - tagsButton, y, tagsButton, row);
    y += row + px(6);
    // Room for the hint, or for the tags a drawing gave and the name they make, which may take a line more.
    place(TagsId, x1, y, right - x1, tagsRect.bottom + static_cast<int>(metrics.tmHeight));
    y += tagsRect.bottom + static_cast<int>(metrics.tmHeight) + px(6);
    place(RegisterLabelId, margin, y + textOffset, labels, metrics.tmHeight);
    place(RegisterId, x1, y, right - x1, row);
    y += row + px(14);
    const int button = std::max(px(75), cancelText + px(16));
    place(IDCANCEL, right - button, y, button, row);
    place(IDOK, right - 2 * button - gap, y, button, row);
    y += row + margin;

    parts::sizeAndCentre(hwnd(), right + margin, y, dpi);
}

void PlotFilesDialog::showChoice() {
    const bool inFolder = IsDlgButtonChecked(hwnd(), InFolderId) == BST_CHECKED;
    EnableWindow(GetDlgItem(hwnd(), FolderId), inFolder);
    EnableWindow(GetDlgItem(hwnd(), BrowseId), inFolder);
    const bool combines = win::ComboBoxControl(GetDlgItem(hwnd(), CombineId)).selected().value_or(0) > 0;
    EnableWindow(GetDlgItem(hwnd(), CombinedNameId), combines);
    EnableWindow(GetDlgItem(hwnd(), KeepSheetsId), combines);
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
        case TagsButtonId:
            if (notifyCode == BN_CLICKED) pickDrawingForTags();
            return true;
        case CombineId:
            if (notifyCode == CBN_SELCHANGE) showChoice();
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
    const std::wstring current = parts::textOf(GetDlgItem(hwnd(), FolderId));
    Microsoft::WRL::ComPtr<IShellItem> start;
    if (!current.empty() && SUCCEEDED(SHCreateItemFromParsingName(current.c_str(), nullptr, IID_PPV_ARGS(&start))))
        picker->SetFolder(start.Get());
    if (FAILED(picker->Show(hwnd()))) return;
    Microsoft::WRL::ComPtr<IShellItem> item;
    if (FAILED(picker->GetResult(&item))) return;
    win::UniqueCoTaskMem<PWSTR> path;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, path.out()))) {
        SetDlgItemTextW(hwnd(), FolderId, path.get());
    }
}

void PlotFilesDialog::pickDrawingForTags() {
    Microsoft::WRL::ComPtr<IFileOpenDialog> picker;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&picker)))) return;
    DWORD options = 0;
    picker->GetOptions(&options);
    picker->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST);
    picker->SetTitle(L"A drawing with title blocks");
    const COMDLG_FILTERSPEC types[] = {{L"Drawings (*.dwg)", L"*.dwg"}};
    picker->SetFileTypes(1, types);
    if (FAILED(picker->Show(hwnd()))) return;
    Microsoft::WRL::ComPtr<IShellItem> item;
    win::UniqueCoTaskMem<PWSTR> path;
    if (FAILED(picker->GetResult(&item)) || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.out()))) return;
    const std::string file = win::toUtf8(path.get());
    const std::string titleBlocks = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), TitleBlocksId)));
    std::string pattern = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), PatternId)));
    if (pattern.empty()) pattern = "{attr:SHEETNO} {attr:TITLE}";
    SetDlgItemTextW(hwnd(), TagsId, Reading);
    const std::uint64_t request = ++request_;
    std::weak_ptr<int> alive = alive_;
    lister_.listTags(file, titleBlocks, pattern, [this, alive, request, file](plotting::DrawingTags tags, std::string error) {
        // The dialog may be gone, or another drawing picked since.
        if (alive.expired() || request != request_) return;
        const std::string name = file.substr(file.find_last_of("\\/") + 1);
        std::string text;
        if (!error.empty()) {
            text = name + " could not be read: " + error;
        } else if (tags.tags.empty()) {
            text = "No title block of these names in " + name + ".";
        } else {
            text = "Tags in " + name + ":";
            for (std::size_t i = 0; i < tags.tags.size(); ++i) text += (i ? ", " : " ") + tags.tags[i];
            text += "\r\nIts sheet " + tags.sampleSheet + " would be plotted as " + tags.sampleName;
        }
        SetDlgItemTextW(hwnd(), TagsId, win::toWide(text).c_str());
    });
}

bool PlotFilesDialog::accept() {
    app::PlotFileSettings chosen;
    chosen.inFolder = IsDlgButtonChecked(hwnd(), InFolderId) == BST_CHECKED;
    chosen.folder = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), FolderId)));
    while (chosen.folder.size() > 3 && (chosen.folder.back() == '\\' || chosen.folder.back() == '/'))
        chosen.folder.pop_back();
    chosen.pattern = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), PatternId)));
    if (chosen.inFolder && chosen.folder.empty()) {
        MessageBoxW(hwnd(), NoFolder, Title, MB_OK | MB_ICONINFORMATION);
        SetFocus(GetDlgItem(hwnd(), FolderId));
        return false;
    }
    const std::size_t mode = win::ComboBoxControl(GetDlgItem(hwnd(), CombineId)).selected().value_or(0);
    chosen.combine.mode = mode == 1 ? plotting::CombineMode::PerDrawing
                          : mode == 2 ? plotting::CombineMode::Run
                                      : plotting::CombineMode::None;
    chosen.combine.fileName = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), CombinedNameId)));
    chosen.combine.keepSheetFiles = IsDlgButtonChecked(hwnd(), KeepSheetsId) == BST_CHECKED;
    chosen.output = IsDlgButtonChecked(hwnd(), ToDeviceId) == BST_CHECKED ? plotting::PlotOutput::Device
                                                                          : plotting::PlotOutput::File;
    chosen.titleBlocks = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), TitleBlocksId)));
    chosen.registerName = win::toUtf8(parts::textOf(GetDlgItem(hwnd(), RegisterId)));
    const plotting::NamePatterns names{chosen.titleBlocks, chosen.pattern, "", chosen.combine, chosen.registerName};
    if (const auto refusal = plotting::nameFieldRefusal(names)) {
        const std::string text = (refusal->first == "plotFileName"       ? std::string("The file names ")
                                  : refusal->first == "combinedFileName" ? std::string("The combined file's name ")
                                                                         : std::string("The register's name ")) +
                                 refusal->second;
        MessageBoxW(hwnd(), win::toWide(text).c_str(), Title, MB_OK | MB_ICONINFORMATION);
        SetFocus(GetDlgItem(hwnd(), refusal->first == "plotFileName" ? PatternId
                                    : refusal->first == "register"   ? RegisterId
                                                                     : CombinedNameId));
        return false;
    }
    // The device is chosen in the main window and checked when the run starts; the name is checked here.
    if (const auto refusal = plotting::combineRefusal(chosen.combine, "PDF", chosen.pattern)) {
        MessageBoxW(hwnd(), win::toWide(*refusal).c_str(), Title, MB_OK | MB_ICONINFORMATION);
        SetFocus(GetDlgItem(hwnd(), CombinedNameId));
        return false;
    }
    settings_ = chosen;
    return true;
}

}  // namespace quillon::dialogs
