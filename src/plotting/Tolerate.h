#pragma once

#include <utility>

#include "automation/AutomationError.h"

namespace quillon::plotting {

// Runs one step of a sequence that carries on past a failing step, the way
// the reference repair and the layout set-up are meant to: a layout whose
// set-up fails is still plotted with what it kept. Returns whether the step
// worked. A dead application is never carried past: every later step would
// fail too, so that failure ends the sequence.
template <class Step>
bool tolerate(Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const automation::AutomationError& error) {
        if (error.serverGone()) throw;
        return false;  // the step's failure is the documented "skip it and go on"
    }
}

}  // namespace quillon::plotting
