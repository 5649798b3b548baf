#pragma once

#include <span>

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

inline constexpr int MainClientWidth = 624;
inline constexpr int MainClientHeight = 398;
inline constexpr int StatusBarHeight = 18;
inline constexpr int ProgressPanel = 1;  // zero-based: the second panel
inline constexpr int ProgressMargin = 3;

}  // namespace quillon::app
