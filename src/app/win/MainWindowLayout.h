#pragma once

#include <array>
#include <span>

#include "app/WindowLayout.h"

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

// How a control follows the window made larger than designed. A control
// inside a frame moves with its frame.
Anchor mainWindowAnchor(int id);

// Controls side by side, inside a frame (0: the client area), whose captions
// may need more room than designed in the font in use: each grows to its
// caption and pushes the others along, up to rightEdge (96-dpi pixels from
// the frame's, or the client area's, left). Unused ids are 0.
struct CaptionRow {
    int frame;
    int rightEdge;
    std::array<int, 3> ids;
};
std::span<const CaptionRow> mainWindowCaptionRows();
// The narrowest gap a caption may leave between neighbours, 96-dpi pixels.
inline constexpr int MinCaptionGap = 4;

inline constexpr int MainClientWidth = 624;
inline constexpr int MainClientHeight = 398;
inline constexpr int StatusBarHeight = 18;
inline constexpr int ProgressPanel = 1;  // zero-based: the second panel
inline constexpr int ProgressMargin = 3;

}  // namespace quillon::app
