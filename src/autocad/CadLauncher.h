#pragma once

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
};

}  // namespace quillon::autocad
