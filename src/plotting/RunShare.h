#pragma once

#include <memory>
#include <optional>

#include "plotting/files/PlotFileClaims.h"

namespace quillon::plotting {

// What one session of a run that plots with several CAD applications side by
// side shares with the others: the drawings still to plot, handed out one at
// a time so no drawing is open in two applications, and the run's plot file
// names.
class RunShare {
public:
    virtual ~RunShare() = default;
    // The next list entry to plot; none once every drawing is done or Stop was pressed. While none is left to
    // hand out but another session still holds one (which may come back), it waits.
    virtual std::optional<int> take() = 0;
    // The session ends without finishing the drawing it took: another session takes it up.
    virtual void giveBack(int entry) = 0;
    // The drawing's application was lost while it was open. True the first time: it is opened once more, in
    // whichever session takes it; false the second time, when it fails (a drawing that kills the application
    // must not use up every session).
    virtual bool lostWhileOpen(int entry) = 0;
    virtual std::shared_ptr<PlotFileClaims> plotFiles() = 0;
    // A session refused the run before plotting anything (its plot folder
    // cannot be written): no drawing is handed out, and the run ends refused.
    virtual void refuse() = 0;
};

}  // namespace quillon::plotting
