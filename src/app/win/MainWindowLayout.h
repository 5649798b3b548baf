#pragma once

#include <windows.h>

#include <map>
#include <span>
#include <vector>

#include "app/ScreenGeometry.h"

// Where the main window's controls go: each one as designed at 96 dpi, how it follows a larger window, and
// its place for the window's dpi, font and client size.
namespace quillon::app {

enum class ControlKind { Picture, Label, ListView, DirList, Edit, NumberEdit, Frame, Preview, CheckBox, ComboBox, Button, Progress, Spin };

// One control of the main window as designed at 96 dpi: position in pixels
// relative to the client area, or to the frame named by parentFrame.
struct ControlSpec {
    int id;
    ControlKind kind;
    const wchar_t* caption;
    int left, top, width, height;
    const wchar_t* tooltip;  // nullptr: none
    int parentFrame;         // 0: the client area
    bool visible = true;
    bool enabled = true;
};

// The controls in creation order (frames before their contents).
std::span<const ControlSpec> mainWindowControls();
// The designed control of that id; nullptr for none.
const ControlSpec* mainWindowControl(int id);
// The control's rectangle in client pixels at 96 dpi: frames are not real
// parents here, so their contents are offset by the frame's position.
ScreenRect designedRect(const ControlSpec& spec);

// How a control follows the window made larger than designed. A control
// inside a frame moves with its frame.
Anchor mainWindowAnchor(int id);

inline constexpr int MainClientWidth = 624;
inline constexpr int MainClientHeight = 426;
inline constexpr int StatusBarHeight = 18;

struct ControlPlace {
    int id;
    RECT rect;  // client pixels
};

// Where every designed control of the main window goes for this client size
// and dpi: the designed places scaled, each caption given the room it needs
// in the font in use (measured on the control's own device context), then
// grown or moved with a window larger than designed.
std::vector<ControlPlace> arrangeMainWindow(const std::map<int, HWND>& controls, HFONT font, int dpi, SIZE client);

// The outer size of the window around the designed client area at this
// dpi: the size it opens at, and the smallest the user can make it.
SIZE designedOuterSize(DWORD style, int dpi);

}  // namespace quillon::app
