#pragma once

#include <windows.h>

#include <string>

#include "app/PlotFileSettings.h"
#include "app/SettingsStore.h"
#include "plotting/DrawingOutcome.h"
#include "plotting/PlotRules.h"
#include "plotting/job/PlotJobFile.h"
#include "dialogs/win/PlotFilesDialog.h"
#include "run/CadWork.h"

namespace quillon::app {

// Where the window's runs put their plot files and how they name them: the
// user's choice from the Plot Files dialog, kept with the settings, or a
// loaded job's until the dialog changes it.
class PlotFilesChoice final : public dialogs::TitleBlockLister {
public:
    PlotFilesChoice(SettingsStore& settings, run::CadWork& cad)
        : settings_(settings), cad_(cad), choice_(loadPlotFileSettings(settings)) {}

    // File > Plot Files...: asks, and keeps what the user chose.
    void command(HWND owner);
    // A job without a plot folder plots beside each drawing.
    void applyJob(const plotting::PlotJobSpec& job);
    void putInto(plotting::PlotJobSpec& job) const;
    // The options of a run starting now ({date} is its start).
    plotting::PlotFileOptions runOptions() const;
    const plotting::CombineChoice& combine() const { return choice_.combine; }
    // The names a run starting now takes from title blocks, and its register.
    void applyNames(plotting::PlotSetup& setup) const;
    void listTags(const std::string& file, const std::string& titleBlocks, const std::string& namePattern,
                  Done done) override;


private:
    SettingsStore& settings_;
    run::CadWork& cad_;
    PlotFileSettings choice_;
    std::string extension_;
    // A loaded job's, which the dialog does not show: kept until another job is loaded.
    std::string bookmarkName_;
    std::vector<std::string> registerColumns_;
};

}  // namespace quillon::app
