#pragma once

#include <windows.h>

#include <map>
#include <vector>

namespace quillon::app {

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
