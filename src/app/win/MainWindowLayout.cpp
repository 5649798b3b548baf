#include "app/win/MainWindowLayout.h"

#include <array>
#include <string>

#include "app/win/ControlIds.h"
#include "win/WindowDc.h"

namespace quillon::app {

namespace {
using K = ControlKind;
constexpr const wchar_t* SessionsTip =
    L"How many AutoCAD sessions a run plots with side by side (1 to 8). Each session past the first is another "
    L"AutoCAD that Quillon starts for the run and quits after it: it needs as much memory again as one AutoCAD "
    L"(often several hundred MB) and a processor core to be of use.";
constexpr const wchar_t* SheetsTip =
    L"Which layouts are plotted (name patterns, empty layouts left out) and where each sheet's settings come "
    L"from: Quillon's, each layout's own page setup, or a named page setup of the office's template drawing.";
constexpr const wchar_t* ChangedOnlyTip =
    L"Plot only the drawings that changed since Quillon last plotted them: the drawing, a reference, a choice "
    L"that shapes the sheet or the plot file itself. The others keep their plot files and are reported up to date.";
constexpr std::array kControls{
    ControlSpec{ids::FolderTreeBox, K::Picture, L"", 8, 8, 169, 188, nullptr, 0},
    ControlSpec{ids::FoundFilesLabel, K::Label, L"Found Files:", 184, 0, 433, 41, nullptr, 0},
    ControlSpec{ids::DrawingListBox, K::ListView, L"", 184, 40, 433, 155,
                L"Right click on Single or Multiple drawings to Print", 0},
    ControlSpec{ids::DirectoryList, K::DirList, L"", 384, 0, 150, 186, L"Directory List - double click to select", 0,
                false},
    ControlSpec{ids::PatternBox, K::Edit, L"*.DWG", 400, 344, 73, 25, nullptr, 0, false, false},
    ControlSpec{ids::PreviewFrame, K::Frame, L"Preview", 8, 200, 217, 129,
                L"If your drawing has a preview it will be shown here", 0},
    ControlSpec{ids::DwgThumbnail1, K::Preview, L"", 8, 16, 193, 105, nullptr, ids::PreviewFrame},
    ControlSpec{ids::Options, K::Frame, L"Search Options", 232, 200, 185, 77, nullptr, 0},
    ControlSpec{ids::SubfoldersBox, K::CheckBox, L"Include Sub Directories", 16, 16, 137, 17,
                L"Slect this Option to Search in Subfolders", ids::Options},
    ControlSpec{ids::ChkLayouts, K::CheckBox, L"Print Layouts", 16, 37, 84, 13,
                L"Select this option to Print Layouts only", ids::Options},
    ControlSpec{ids::BtnSheets, K::Button, L"S&heets...", 104, 34, 69, 19, SheetsTip, ids::Options},
    ControlSpec{ids::LblSessions, K::Label, L"CAD sessions", 16, 56, 80, 15, nullptr, ids::Options},
    ControlSpec{ids::TxtSessions, K::NumberEdit, L"1", 104, 53, 33, 19, SessionsTip, ids::Options},
    ControlSpec{ids::SpnSessions, K::Spin, L"", 137, 53, 16, 19, SessionsTip, ids::Options},
    ControlSpec{ids::PrintOptionsFrame, K::Frame, L"Print Options", 424, 200, 193, 129, nullptr, 0},
    ControlSpec{ids::DeviceBox, K::ComboBox, L"Select A Printer", 8, 16, 177, 21, L"Choose a printer from the list",
                ids::PrintOptionsFrame},
    ControlSpec{ids::PaperBox, K::ComboBox, L"Select Paper Size", 8, 46, 177, 21,
                L"Choose a Paper size from the List", ids::PrintOptionsFrame},
    ControlSpec{ids::PlotStyleTableBox, K::ComboBox, L"Select Ctb File", 8, 77, 177, 21,
                L"Choose the Pen style table file", ids::PrintOptionsFrame},
    ControlSpec{ids::CopiesLabel, K::Label, L"Number of Copies", 8, 106, 89, 17, nullptr, ids::PrintOptionsFrame},
    ControlSpec{ids::CopiesBox, K::NumberEdit, L"1", 104, 105, 57, 19, nullptr, ids::PrintOptionsFrame},
    ControlSpec{ids::ChangedOnlyBox, K::CheckBox, L"Only drawings changed since their last plot", 232, 281, 185, 26,
                ChangedOnlyTip, 0},
    ControlSpec{ids::PrintAllButton, K::Button, L"Print All &Drawing", 232, 310, 97, 23,
                L"Click This button to Print All the Listed drawings", 0},
    ControlSpec{ids::ExitButton, K::Button, L"&Exit", 336, 310, 81, 23, L"Press exit to Quit the Program", 0},
    ControlSpec{ids::CmdAction, K::Button, L"S&top Search", 248, 336, 153, 23, L"To Stop the search, Press this button",
                0},
    ControlSpec{ids::Status, K::Label, L"", 8, 364, 609, 41, L"This Area will show the actual Function being carried on",
                0},
};

// Controls side by side, inside a frame (0: the client area), whose captions
// may need more room than designed in the font in use: each grows to its
// caption and pushes the others along, up to rightEdge (96-dpi pixels from
// the frame's, or the client area's, left). Unused ids are 0.
struct CaptionRow {
    int frame;
    int rightEdge;
    std::array<int, 3> ids;
};
// Inside a frame the right edge leaves the frame's own margin; the buttons stop where the print options begin.
constexpr std::array<CaptionRow, 6> kCaptionRows{
    CaptionRow{ids::Options, 177, {ids::SubfoldersBox}},
    CaptionRow{ids::Options, 177, {ids::ChkLayouts, ids::BtnSheets}},
    CaptionRow{ids::Options, 177, {ids::LblSessions, ids::TxtSessions, ids::SpnSessions}},
    CaptionRow{ids::PrintOptionsFrame, 185, {ids::CopiesLabel, ids::CopiesBox}},
    CaptionRow{0, 417, {ids::PrintAllButton, ids::ExitButton}},
    CaptionRow{0, 417, {ids::CmdAction}},
};
}  // namespace

std::span<const ControlSpec> mainWindowControls() { return kControls; }

Anchor mainWindowAnchor(int id) {
    switch (id) {
        // The folder tree and the list take the room; what sits under the list moves down with it.
        case ids::FolderTreeBox: return Anchor::Height;
        case ids::FoundFilesLabel: return Anchor::Width;
        case ids::DrawingListBox: return Anchor::Both;
        case ids::PreviewFrame:
        case ids::Options:
        case ids::PrintOptionsFrame:
        case ids::ChangedOnlyBox:
        case ids::PrintAllButton:
        case ids::ExitButton:
        case ids::CmdAction: return Anchor::Down;
        case ids::Status: return Anchor::DownWidth;
        default: return Anchor::Fixed;
    }
}

const ControlSpec* mainWindowControl(int id) {
    for (const auto& spec : kControls)
        if (spec.id == id) return &spec;
    return nullptr;
}

ScreenRect designedRect(const ControlSpec& spec) {
    int left = spec.left, top = spec.top;
    if (spec.parentFrame) {
        const ControlSpec* frame = mainWindowControl(spec.parentFrame);
        left += frame->left;
        top += frame->top;
    }
    return ScreenRect{left, top, left + spec.width, top + spec.height};
}

namespace {

// The narrowest gap a caption may leave between neighbours, 96-dpi pixels.
constexpr int kMinCaptionGap = 4;
// Room for the drop-down part of the combo boxes; the edit part sizes itself to the font.
constexpr int kComboDropHeight = 200;

int scaled(int value, int dpi) { return MulDiv(value, dpi, 96); }

// The designed place scaled to the dpi, in client pixels.
ScreenRect scaledRect(const ControlSpec& spec, int dpi) {
    const ScreenRect designed = designedRect(spec);
    const int x = scaled(designed.left, dpi), y = scaled(designed.top, dpi);
    return ScreenRect{x, y, x + scaled(spec.width, dpi), y + scaled(spec.height, dpi)};
}

// The width the control needs to show its caption whole: the text as the
// control draws it (an & marks the access key and takes no room), plus what
// the kind of control draws around it.
int captionWidth(HWND control, ControlKind kind, HFONT font, int dpi) {
    if (kind != ControlKind::Label && kind != ControlKind::CheckBox && kind != ControlKind::Button) return 0;
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return 0;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));

    RECT measured{0, 0, 0, 0};
    TEXTMETRICW metrics{};
    {
        const win::WindowDc dc(control, font);
        if (!dc) return 0;
        DrawTextW(dc.get(), text.c_str(), length, &measured, DT_CALCRECT | DT_SINGLELINE);
        GetTextMetricsW(dc.get(), &metrics);
    }

    const int textWidth = measured.right - measured.left;
    const int edge = GetSystemMetricsForDpi(SM_CXEDGE, static_cast<UINT>(dpi));
    switch (kind) {
        // A little slack: a label's text wraps to a hidden second line rather than clip.
        case ControlKind::Label: return textWidth + edge;
        // The box, then a gap of about half a character before the text and the focus frame around it.
        case ControlKind::CheckBox:
            return GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)) + metrics.tmAveCharWidth + textWidth +
                   edge;
        // The raised border and the focus frame on both sides, and a character's margin.
        case ControlKind::Button: return textWidth + 4 * edge + 2 * metrics.tmAveCharWidth;
        default: return 0;
    }
}

void fitCaptions(std::map<int, ScreenRect>& places, const std::map<int, HWND>& controls, HFONT font, int dpi) {
    for (const auto& row : kCaptionRows) {
        const ControlSpec* frame = row.frame ? mainWindowControl(row.frame) : nullptr;
        const int rightEdge = scaled((frame ? frame->left : 0) + row.rightEdge, dpi);
        std::vector<RowSlot> slots;
        std::vector<int> ids;
        for (int id : row.ids) {
            if (!id) continue;
            const ControlSpec* spec = mainWindowControl(id);
            auto window = controls.find(id);
            if (!spec || window == controls.end()) continue;
            const ScreenRect& r = places[id];
            slots.push_back(RowSlot{r.left, r.width(), captionWidth(window->second, spec->kind, font, dpi)});
            ids.push_back(id);
        }
        fitRow(slots, rightEdge, scaled(kMinCaptionGap, dpi));
        for (std::size_t i = 0; i < ids.size(); ++i) {
            ScreenRect& r = places[ids[i]];
            r.left = slots[i].left;
            r.right = slots[i].left + slots[i].width;
        }
    }
}

}  // namespace

std::vector<ControlPlace> arrangeMainWindow(const std::map<int, HWND>& controls, HFONT font, int dpi, SIZE client) {
    std::map<int, ScreenRect> places;
    for (const auto& spec : mainWindowControls()) places[spec.id] = scaledRect(spec, dpi);
    fitCaptions(places, controls, font, dpi);

    const int extraWidth = client.cx - scaled(MainClientWidth, dpi);
    const int extraHeight = client.cy - scaled(MainClientHeight, dpi);
    std::vector<ControlPlace> result;
    for (const auto& spec : mainWindowControls()) {
        const Anchor anchor = mainWindowAnchor(spec.parentFrame ? spec.parentFrame : spec.id);
        ScreenRect r = anchored(places[spec.id], anchor, extraWidth, extraHeight);
        if (spec.kind == ControlKind::ComboBox) r.bottom += scaled(kComboDropHeight, dpi);
        result.push_back(ControlPlace{spec.id, RECT{r.left, r.top, r.right, r.bottom}});
    }
    return result;
}

SIZE designedOuterSize(DWORD style, int dpi) {
    RECT outer{0, 0, scaled(MainClientWidth, dpi), scaled(MainClientHeight, dpi)};
    AdjustWindowRectExForDpi(&outer, style, TRUE, 0, static_cast<UINT>(dpi));
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace quillon::app
