#pragma once

#include <windows.h>

#include "app/MainSettings.h"

namespace quillon::app {

class MainWindow;

// Puts the hidden main window at its stored place and size, on the monitor
// it was on (or the nearest one if that is gone), and has it open maximized
// if it was.
void restoreMainPlacement(MainWindow& window, const MainSettings& stored);

// The window's place and size when not maximized, and whether it is, in the
// settings' units (twips at the system dpi).
void captureMainPlacement(HWND window, MainSettings& current);

}  // namespace quillon::app
