#pragma once

#include <string>

#include "app/SettingsStore.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/pdf/CombineChoice.h"

namespace quillon::app {

// The user's choice of where plot files go and how they are named, kept
// with the other settings. The folder is remembered while "beside each
// drawing" is chosen, so switching back finds it again.
struct PlotFileSettings {
    bool inFolder = false;
    std::string folder;
    // Empty: the usual names.
    std::string pattern;
    // Whether the run's PDF sheets are combined, and how.
    plotting::CombineChoice combine{};
    // Where a plotter's sheets go: a file (the default) or the plotter.
    plotting::PlotOutput output = plotting::PlotOutput::File;
    // The title blocks' block name pattern (empty: none are read) and the register's file name pattern
    // (empty: no register).
    std::string titleBlocks;
    std::string registerName;

    bool operator==(const PlotFileSettings&) const = default;
    // The folder the run plots into; empty: beside each drawing.
    std::string runFolder() const { return inFolder ? folder : std::string(); }
};

PlotFileSettings loadPlotFileSettings(const SettingsStore& store);
void savePlotFileSettings(SettingsStore& store, const PlotFileSettings& settings);

}  // namespace quillon::app
