#include "win/Messages.h"

#include <stdexcept>
#include <string>

#include "base/Swallowed.h"
#include "win/Utf.h"

namespace quillon::win {

int showMessage(HWND owner, std::string_view text, std::string_view title, UINT flags) {
    return MessageBoxW(owner, toWide(text).c_str(), toWide(title).c_str(), flags);
}

void reportUnhandled(HWND owner, std::exception_ptr error) noexcept {
    // The message box runs a message loop; an error raised inside it must
    // not open a second box on top of the first.
    static thread_local bool reporting = false;
    try {
        // Not one of ours, an error carries no text: the generic sentence is all there is to say.
        const std::string text = base::describe(error, "An unexpected error occurred.");
        toDebuggerOutput(text);
        const std::wstring wide = toWide(text);
        if (reporting) return;
        reporting = true;
        MessageBoxW(owner, wide.c_str(), L"Quillon", MB_OK | MB_ICONERROR);
        reporting = false;
    } catch (...) {
        base::swallowed("out of memory while building the text: nothing more can be reported");
        reporting = false;
    }
}

void toDebuggerOutput(const std::string& line) noexcept {
    try {
        OutputDebugStringW((L"Quillon: " + toWide(line) + L"\n").c_str());
    } catch (...) {
        // Out of memory for the line: the debugger's output is a convenience, never the only record.
    }
}

}  // namespace quillon::win
