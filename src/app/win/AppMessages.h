#pragma once

#include <windows.h>

namespace quillon::app {

// Messages the program posts to its main window.
// The search has rows or texts to take.
constexpr UINT kSearchUpdatesMessage = WM_APP + 1;
// A CAD thread posted to the window's mailbox.
constexpr UINT kCadMailMessage = WM_APP + 2;

}  // namespace quillon::app
