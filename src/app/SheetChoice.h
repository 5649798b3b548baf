#pragma once

#include <string>

#include "app/SettingsStore.h"
#include "plotting/PlotRules.h"
#include "plotting/job/PlotJobFile.h"

namespace quillon::app {

// Which layouts of each drawing are sheets and where their page settings
// come from: the user's choice, kept with the settings, or a loaded job's
// until the user changes it. Patterns empty: every layout.
struct SheetChoice {
    std::string includeLayouts;
    std::string excludeLayouts;
    // A never-used layout ("Layout1") is left out rather than plotted blank.
    bool skipEmptyLayouts = true;
    plotting::SheetSettings settings = plotting::SheetSettings::Quillon;
    std::string pageSetupFile;
    std::string pageSetup;

    bool operator==(const SheetChoice&) const = default;

    static SheetChoice load(const SettingsStore& store);
    void save(SettingsStore& store) const;
    // A job's fields, a job without them meaning the defaults.
    void applyJob(const plotting::PlotJobSpec& job);
    void putInto(plotting::PlotJobSpec& job) const;
    // A run's setup: patterns only where layouts are plotted.
    void applyTo(plotting::PlotSetup& setup) const;
};

}  // namespace quillon::app
