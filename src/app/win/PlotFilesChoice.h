#pragma once

#include <windows.h>

#include <string>

#include "app/PlotFileSettings.h"
#include "app/SettingsStore.h"
#include "plotting/DrawingOutcome.h"
#include "plotting/PlotRules.h"
#include "plotting/job/PlotJobFile.h"

namespace quillon::app {

// Where the window's runs put their plot files and how they name them: the
// user's choice from the Plot Files dialog, kept with the settings, or a
// loaded job's until the dialog changes it.
class PlotFilesChoice {
public:
    explicit PlotFilesChoice(SettingsStore& settings) : settings_(settings), choice_(loadPlotFileSettings(settings)) {}

    // File > Plot Files...: asks, and keeps what the user chose.
    void command(HWND owner);
    // A job without a plot folder plots beside each drawing.
    void applyJob(const plotting::PlotJobSpec& job);
    void putInto(plotting::PlotJobSpec& job) const;
    // The options of a run starting now ({date} is its start).
    plotting::PlotFileOptions runOptions() const;
    const plotting::CombineChoice& combine() const { return choice_.combine; }


private:
    SettingsStore& settings_;
    PlotFileSettings choice_;
    std::string extension_;
};

}  // namespace quillon::app
