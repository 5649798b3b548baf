#pragma once

#include <memory>
#include <optional>

#include "plotting/PlotFileClaims.h"

namespace quillon::plotting {

// What the sessions of a run that plots with several CAD applications side
// by side share: the drawings still to plot, handed out one at a time so no
// drawing is open in two applications, and the run's plot file names.
class RunShare {
public:
    virtual ~RunShare() = default;
    // The next list entry to plot; none once every drawing is taken or Stop was pressed.
    virtual std::optional<int> take() = 0;
    virtual std::shared_ptr<PlotFileClaims> plotFiles() = 0;
    // A session refused the run before plotting anything (its plot folder
    // cannot be written): no drawing is handed out, and the run ends refused.
    virtual void refuse() = 0;
};

}  // namespace quillon::plotting
