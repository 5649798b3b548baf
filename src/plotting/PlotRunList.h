#pragma once

#include <string>

namespace quillon::plotting {

// The drawing list and the controls a run reads, as they are at each step.
class PlotRunList {
public:
    virtual ~PlotRunList() = default;
    virtual int entryCount() = 0;
    // Entry 1 to entryCount() in the list's current order.
    virtual std::string fileName(int entry) = 0;
    // The "Path" column: the folder, ending in a backslash.
    virtual std::string folder(int entry) = 0;
    virtual bool isSelected(int entry) = 0;
    // The folder of the directory list, for the all-drawings run's status text.
    virtual std::string directoryFolder() = 0;
};

}  // namespace quillon::plotting
