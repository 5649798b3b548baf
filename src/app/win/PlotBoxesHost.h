#pragma once

#include "run/CadWork.h"
#include "app/win/PaneHost.h"

namespace quillon::app {

// What the plot boxes need of the window around them: their lists are read on the CAD thread, and none
// is read once the program is closing.
class PlotBoxesHost : public virtual PaneHost, public virtual run::CadWork {
public:
    virtual bool closing() const = 0;
    // An unattended run of changed drawings: nothing at start reads the application's lists (see
    // CommandLineRun::connectsLate); asked on the CAD thread.
    virtual bool connectsLate() const = 0;
};

}  // namespace quillon::app
