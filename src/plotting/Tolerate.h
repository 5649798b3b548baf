#pragma once

#include <string_view>
#include <utility>

#include "automation/AutomationError.h"
#include "base/Swallowed.h"

namespace quillon::plotting {

// Runs one step of a sequence that carries on past a failing step, the way
// the reference repair and the layout set-up are meant to: a layout whose
// set-up fails is still plotted with what it kept. why says what the sequence
// does without the step. Returns whether the step worked. A dead application
// is never carried past: every later step would fail too, so that failure
// ends the sequence.
template <class Step>
bool tolerate(std::string_view why, Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const automation::AutomationError& error) {
        if (error.serverGone()) throw;
        base::swallowed(why);
        return false;
    }
}

}  // namespace quillon::plotting
