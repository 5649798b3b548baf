#include "app/win/WinCommandLineSystem.h"

#include "run/win/ConsoleOutput.h"
#include "win/ExtendedPath.h"
#include "win/LocalClock.h"
#include "win/SystemCodePage.h"
#include "win/Utf.h"

namespace quillon::app {

void WinCommandLineSystem::attachConsole() { ConsoleOutput::attach(); }

void WinCommandLineSystem::consoleLine(const std::string& text) { ConsoleOutput::writeLine(text); }

std::string WinCommandLineSystem::fullPath(const std::string& path) { return win::toUtf8(win::extendedLengthPath(path)); }

const plotting::AnsiCodePage& WinCommandLineSystem::codePage() { return win::systemAnsiCodePage(); }

plotting::LocalTime WinCommandLineSystem::localNow() { return win::localNow(); }

}  // namespace quillon::app
