#pragma once

#include <memory>
#include <string>

#include "autocad/CallMonitor.h"
#include "autocad/CallWatchdog.h"
#include "autocad/win/CadThread.h"

namespace quillon::app {

// A CAD session past the first that a run plots with: its own thread, its
// own application (always one Quillon started) and its own watch on calls.
struct CadSessionSlot {
    CadSessionSlot(autocad::CallWatchdog::Clock::duration announceAfter, autocad::CallWatchdog::Clock::duration limit)
        : watchdog(announceAfter, limit) {}

    std::shared_ptr<autocad::CallMonitor> monitor = std::make_shared<autocad::CallMonitor>();
    autocad::CallWatchdog watchdog;
    std::unique_ptr<autocad::CadThread> thread;
    // The session's end has been told to the run (it was given up on).
    bool ended = false;
};

}  // namespace quillon::app
