#include "plotting/PlotRun.h"

namespace quillon::plotting {

bool PlotRun::leaveStuckDrawing(DrawingOutcome& outcome) {
    // The user's own application keeps it, as it keeps all the user has open there: the row says so.
    if (!connection_.acadStarted()) {
        outcome.closeError += "; it is left open in AutoCAD";
        return true;
    }
    // Quillon's own is started again, so that the next drawing opens in an application holding nothing
    // stuck. Not counted against the restarts a lost application is allowed: nothing was lost.
    status("AutoCAD is started again: " + strFileName_ + " would not close.");
    // Never quit: Quit would ask whether to save the drawing that would not close, on a box nobody sees.
    const bool ended = connection_.endAutoCAD();
    if (connection_.restartAutoCAD()) {
        restarts_.startedAgainOnPurpose();
        ++tally_.plannedRestarts;
        outcome.closeError += ended ? "; AutoCAD was ended and started again without it"
                                    : "; AutoCAD was started again without it (the old one could not be ended and "
                                      "is left running)";
        return true;
    }
    connection_.takeStartFailure();
    outcome.closeError += "; AutoCAD could not be started again";
    status("AutoCAD could not be started again after " + strFileName_ + " would not close: the run has ended.");
    return false;
}

}  // namespace quillon::plotting
