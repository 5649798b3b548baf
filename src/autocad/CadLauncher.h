#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "automation/AutoObject.h"

namespace quillon::autocad {

// Finds or starts the CAD application. On Windows: the running object table
// and a new local server for "AutoCAD.Application"; in tests, a stand-in.
// Both throw AutomationError when there is nothing to reach.
class CadLauncher {
public:
    virtual ~CadLauncher() = default;
    virtual automation::ObjectPtr connectRunning() = 0;
    virtual automation::ObjectPtr createInstance() = 0;
    // The process that owns the application's main window (its HWND
    // property), so that an application Quillon started and that stopped
    // answering can be ended. Nothing where that cannot be known.
    // The process of the application this thread's last createInstance() started, where the launcher can
    // tell without asking the application (which may already not answer).
    virtual std::optional<std::uint32_t> createdProcess() { return std::nullopt; }
    virtual std::optional<std::uint32_t> processOfWindow(std::int64_t window) {
        (void)window;
        return std::nullopt;
    }
    // The private memory of a process, in MB, read without asking the application; nothing where unknown.
    virtual std::optional<std::uint64_t> privateMemoryMB(std::uint32_t process) {
        (void)process;
        return std::nullopt;
    }
    // What this thread's last createInstance() took beyond one attempt, said on the console; empty when its
    // first attempt started the application.
    virtual std::string startNote() { return {}; }
    // Starts one more application in the background, ahead of a start this thread's session has planned, so
    // that the next createInstance() finds it ready instead of waiting out a whole start. Returns at once:
    // empty when one is on its way (or one of this thread's is still waiting, or this launcher starts none
    // ahead), otherwise why it could not be started.
    virtual std::string startSpare() { return {}; }
    // Ends every application this thread started ahead that no createInstance() has taken. Never throws.
    virtual void endSpares() {}
};

}  // namespace quillon::autocad
