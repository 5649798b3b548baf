#pragma once

#include <string>
#include <vector>

#include "plotting/PlotRunList.h"

namespace quillon::plotting {

// The drawing list and the controls a run reads, taken on the window's
// thread when the run starts: the run works on another thread, and plots
// exactly the rows (and the selection) there were when the user started it.
class RunListSnapshot : public PlotRunList {
public:
    struct Row {
        std::string fileName;
        std::string folder;
        bool selected = false;
    };

    RunListSnapshot(std::vector<Row> rows, std::string directoryFolder)
        : rows_(std::move(rows)), directoryFolder_(std::move(directoryFolder)) {}

    int entryCount() override { return static_cast<int>(rows_.size()); }
    std::string fileName(int entry) override { return row(entry).fileName; }
    std::string folder(int entry) override { return row(entry).folder; }
    bool isSelected(int entry) override { return row(entry).selected; }
    std::string directoryFolder() override { return directoryFolder_; }

private:
    const Row& row(int entry) const { return rows_.at(static_cast<std::size_t>(entry - 1)); }

    std::vector<Row> rows_;
    std::string directoryFolder_;
};

}  // namespace quillon::plotting
