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
    connection_.quitAutoCAD();
    if (connection_.restartAutoCAD()) {
        restarts_.startedAgainOnPurpose();
        ++tally_.plannedRestarts;
        outcome.closeError += "; AutoCAD was started again without it";
        return true;
    }
    connection_.takeStartFailure();
    outcome.closeError += "; AutoCAD could not be started again";
    status("AutoCAD could not be started again after " + strFileName_ + " would not close: the run has ended.");
    return false;
}

}  // namespace quillon::plotting
