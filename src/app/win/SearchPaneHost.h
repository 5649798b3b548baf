#pragma once

#include <cstdint>

#include "app/win/PaneHost.h"

namespace quillon::app {

// What the search pane needs of the window around it.
class SearchPaneHost : public virtual PaneHost {
public:
    // A run or the way out keeps the list as it is.
    virtual bool runActive() const = 0;
    virtual bool closing() const = 0;
    // A search asks for the plot boxes' lists too, once, when they are still empty.
    virtual void fillPlotBoxesIfEmpty() = 0;
    // The listing of that generation has ended, read to its end (complete) or not.
    virtual void drawingsListed(std::uint64_t listing, bool complete) = 0;
};

}  // namespace quillon::app
