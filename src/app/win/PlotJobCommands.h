#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/win/PlotJobHost.h"
#include "plotting/job/PlotJobFile.h"

namespace quillon::app {

// The File menu's plot jobs and run report: a job saved from the window's
// choices, a job read and applied whole or not at all, the last report opened.
class PlotJobCommands {
public:
    PlotJobCommands(PlotJobHost& host, WindowChoices choices) : host_(host), choices_(choices) {}

    static constexpr const char* Title = "Plot Job";

    void openJobCommand();
    void saveJobCommand();
    void openLastReport();
    // Asks for an earlier run's report and plots again the drawings it did not plot in full.
    void resumeRunCommand();
    // Reads and applies a job file; the reason when it cannot be used (nothing is applied then).
    std::optional<std::string> loadJob(const std::wstring& file);
    std::optional<std::string> readJob(const std::wstring& file, plotting::PlotJobSpec& job);
    // listing: the generation of the listing of its drawings started, 0 when none could start.
    // `applied`: the job as applied, its device and plot style table named as the application offers them.
    // Without checkLists the job is applied as written, its choices checked at the run's first open.
    std::optional<std::string> applyJob(const plotting::PlotJobSpec& job, std::uint64_t* listing = nullptr,
                                        plotting::PlotJobSpec* applied = nullptr, bool checkLists = true);
    // Lists these drawings in place of what is listed; the listing's generation (0: none started).
    std::uint64_t listDrawings(const std::vector<std::string>& paths);

private:
    plotting::PlotJobSpec currentJob();

    PlotJobHost& host_;
    WindowChoices choices_;
};

}  // namespace quillon::app
