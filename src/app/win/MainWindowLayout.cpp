#include "app/win/MainWindowLayout.h"

#include <array>

#include "app/win/ControlIds.h"

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
constexpr std::array kControls{
    ControlSpec{ids::PicBrowse, K::Picture, L"", 8, 8, 169, 188, nullptr, 0},
    ControlSpec{ids::Label1, K::Label, L"Found Files:", 184, 0, 433, 41, nullptr, 0},
    ControlSpec{ids::ListView1, K::ListView, L"", 184, 40, 433, 155,
                L"Right click on Single or Multiple drawings to Print", 0},
    ControlSpec{ids::Dir1, K::DirList, L"", 384, 0, 150, 186, L"Directory List - double click to select", 0, false},
    ControlSpec{ids::Text1, K::Edit, L"*.DWG", 400, 344, 73, 25, nullptr, 0, false, false},
    ControlSpec{ids::Frame3, K::Frame, L"Preview", 8, 200, 217, 129,
                L"If your drawing has a preview it will be shown here", 0},
    ControlSpec{ids::DwgThumbnail1, K::Preview, L"", 8, 16, 193, 105, nullptr, ids::Frame3},
    ControlSpec{ids::Options, K::Frame, L"Search Options", 232, 200, 185, 77, nullptr, 0},
    ControlSpec{ids::Check1, K::CheckBox, L"Include Sub Directories", 16, 16, 137, 17,
                L"Slect this Option to Search in Subfolders", ids::Options},
    ControlSpec{ids::ChkLayouts, K::CheckBox, L"Print Layouts", 16, 37, 84, 13,
                L"Select this option to Print Layouts only", ids::Options},
    ControlSpec{ids::BtnSheets, K::Button, L"S&heets...", 104, 34, 69, 19, SheetsTip, ids::Options},
    ControlSpec{ids::LblSessions, K::Label, L"CAD sessions", 16, 56, 80, 15, nullptr, ids::Options},
    ControlSpec{ids::TxtSessions, K::NumberEdit, L"1", 104, 53, 33, 19, SessionsTip, ids::Options},
    ControlSpec{ids::SpnSessions, K::Spin, L"", 137, 53, 16, 19, SessionsTip, ids::Options},
    ControlSpec{ids::Frame2, K::Frame, L"Print Options", 424, 200, 193, 129, nullptr, 0},
    ControlSpec{ids::CmbPrinter, K::ComboBox, L"Select A Printer", 8, 16, 177, 21, L"Choose a printer from the list",
                ids::Frame2},
    ControlSpec{ids::CmbPaper, K::ComboBox, L"Select Paper Size", 8, 46, 177, 21,
                L"Choose a Paper size from the List", ids::Frame2},
    ControlSpec{ids::CmbCTB, K::ComboBox, L"Select Ctb File", 8, 77, 177, 21, L"Choose the Pen style table file",
                ids::Frame2},
    ControlSpec{ids::Label2, K::Label, L"Number of Copies", 8, 106, 89, 17, nullptr, ids::Frame2},
    ControlSpec{ids::Text2, K::NumberEdit, L"1", 104, 105, 57, 19, nullptr, ids::Frame2},
    ControlSpec{ids::Command2, K::Button, L"Print All &Drawing", 232, 282, 97, 23,
                L"Click This button to Print All the Listed drawings", 0},
    ControlSpec{ids::Command3, K::Button, L"&Exit", 336, 282, 81, 23, L"Press exit to Quit the Program", 0},
    ControlSpec{ids::CmdAction, K::Button, L"S&top Search", 248, 308, 153, 23, L"To Stop the search, Press this button",
                0},
    ControlSpec{ids::Status, K::Label, L"", 8, 336, 609, 41, L"This Area will show the actual Function being carried on",
                0},
};

// Inside a frame the right edge leaves the frame's own margin; the buttons stop where the print options begin.
constexpr std::array<CaptionRow, 6> kCaptionRows{
    CaptionRow{ids::Options, 177, {ids::Check1}},
    CaptionRow{ids::Options, 177, {ids::ChkLayouts, ids::BtnSheets}},
    CaptionRow{ids::Options, 177, {ids::LblSessions, ids::TxtSessions, ids::SpnSessions}},
    CaptionRow{ids::Frame2, 185, {ids::Label2, ids::Text2}},
    CaptionRow{0, 417, {ids::Command2, ids::Command3}},
    CaptionRow{0, 417, {ids::CmdAction}},
};
}  // namespace

std::span<const ControlSpec> mainWindowControls() { return kControls; }

std::span<const CaptionRow> mainWindowCaptionRows() { return kCaptionRows; }

Anchor mainWindowAnchor(int id) {
    switch (id) {
        // The folder tree and the list take the room; what sits under the list moves down with it.
        case ids::PicBrowse: return Anchor::Height;
        case ids::Label1: return Anchor::Width;
        case ids::ListView1: return Anchor::Both;
        case ids::Frame3:
        case ids::Options:
        case ids::Frame2:
        case ids::Command2:
        case ids::Command3:
        case ids::CmdAction: return Anchor::Down;
        case ids::Status: return Anchor::DownWidth;
        default: return Anchor::Fixed;
    }
}

}  // namespace quillon::app
