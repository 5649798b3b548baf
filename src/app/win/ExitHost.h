#pragma once

#include "app/win/PaneHost.h"

namespace quillon::app {

// What the way out needs of the window around it.
class ExitHost : public virtual PaneHost {
public:
    // A search in progress ends before the program goes.
    virtual void stopSearch() = 0;
    // Unloading: the help viewer's and About's windows go, then the window's settings are saved.
    virtual void closeHelp() = 0;
    virtual void closeAbout() = 0;
    virtual void saveSettings() = 0;
    // With /run no one is there to answer a question.
    virtual bool unattended() const = 0;
};

}  // namespace quillon::app
