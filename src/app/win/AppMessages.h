#pragma once

#include <windows.h>

namespace quillon::app {

// Messages the program posts to its main window.
// The search has rows or texts to take.
constexpr UINT kSearchUpdatesMessage = WM_APP + 1;
// A message box is waiting to be shown.
constexpr UINT kNoticeMessage = WM_APP + 3;
// The way out has a question to ask.
constexpr UINT kExitQuestionMessage = WM_APP + 4;

}  // namespace quillon::app
