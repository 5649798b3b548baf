#pragma once

#include "plotting/DrawingOutcome.h"

namespace quillon::plotting {

// What one session's share of a run tells the run's record, apart from anything it shows: the drawing it
// takes up, the one it gives back unfinished, and what became of each.
class RunEvents {
public:
    virtual ~RunEvents() = default;
    virtual void takenUp(int entry) = 0;
    virtual void givenBack(int entry) = 0;
    // False when the outcome no longer counts (the session was given up on, or the run is over): it is
    // then shown nowhere either.
    virtual bool finished(int entry, const DrawingOutcome& outcome) = 0;
};

}  // namespace quillon::plotting
