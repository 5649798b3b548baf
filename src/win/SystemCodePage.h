#pragma once

#include "plotting/record/AnsiCodePage.h"

namespace quillon::win {

// The system's own ANSI code page (CP_ACP), as a spreadsheet program saves plain CSV on this machine.
const plotting::AnsiCodePage& systemAnsiCodePage();

}  // namespace quillon::win
