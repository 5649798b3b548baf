#include "win/Messages.h"

#include <stdexcept>
#include <string>

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
        std::string text = "An unexpected error occurred.";
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            text = e.what();
        } catch (...) {
            // Not one of ours: the generic sentence above is all there is to say.
        }
        std::wstring wide = toWide(text);
        OutputDebugStringW((L"Quillon: " + wide + L"\n").c_str());
        if (reporting) return;
        reporting = true;
        MessageBoxW(owner, wide.c_str(), L"Quillon", MB_OK | MB_ICONERROR);
        reporting = false;
    } catch (...) {
        // Out of memory while building the text; nothing more can be reported.
        reporting = false;
    }
}

}  // namespace quillon::win
