#include "run/win/ConsoleOutput.h"

#include <windows.h>

#include "win/Utf.h"

namespace quillon::app {

namespace {
bool attached = false;
bool tried = false;
}  // namespace

bool ConsoleOutput::attach() {
    if (!tried) {
        tried = true;
        attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    }
    return attached || GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
}

void ConsoleOutput::writeLine(const std::string& utf8) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    const std::wstring text = win::toWide(utf8 + "\r\n");
    DWORD written = 0;
    // A real console takes UTF-16; a redirected handle (a file, a pipe) gets UTF-8 bytes.
    if (GetFileType(out) == FILE_TYPE_CHAR && WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return;
    const std::string bytes = utf8 + "\r\n";
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace quillon::app
