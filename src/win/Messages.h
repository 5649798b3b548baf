#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

namespace quillon::win {

// A modal message box; the default is the program's usual information box with an OK button.
int showMessage(HWND owner, std::string_view text, std::string_view title, UINT flags = MB_OK | MB_ICONINFORMATION);

// Tells the user about an error that no code above handled. Never throws,
// so window and dialog procedures can call it from their catch blocks.
void reportUnhandled(HWND owner, std::exception_ptr error) noexcept;

// One line for whoever watches the debugger's output, after the program's name.
void toDebuggerOutput(const std::string& line) noexcept;

}  // namespace quillon::win
