#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "plotting/DrawingOutcome.h"
#include "plotting/PlotRules.h"
#include "plotting/RunReport.h"

namespace quillon::app {

// Every run's report: one CSV file per run in the user's local application
// data ("Quillon\Reports"), the last 100 kept, written as the run goes.
class RunReportKeeper {
public:
    // Starts the report of a run with these choices. A report that cannot be
    // written costs the run nothing: the reason comes back for Status.
    std::optional<std::string> begin(const plotting::PlotSetup& setup);
    void add(const plotting::DrawingOutcome& outcome);
    // Rows that belong to no drawing (a job that could not be used).
    void addRow(const plotting::ReportRow& row);
    void end() { report_.reset(); }
    // The runs of one part of a job ("part 2 of 4"): in the file's name and its Part column.
    void setPart(std::string part) { part_ = std::move(part); }

    // Whether a report can be written at path: its folder exists and a file can be
    // created there. The system's reason when not; nothing is left behind.
    static std::optional<std::string> checkCopyTarget(const std::string& path);
    // Copies this session's last report to path; the system's reason when it cannot.
    std::optional<std::string> copyLastTo(const std::string& path) const;

    // This session's last report, else the newest in the folder; empty when there is none.
    std::filesystem::path lastReport() const;
    static std::filesystem::path folder();
    static std::string isoLocalTime(std::chrono::system_clock::time_point time);
    static constexpr std::size_t Kept = 100;

private:
    std::unique_ptr<plotting::RunReport> report_;
    plotting::PlotSetup setup_;
    std::filesystem::path last_;
    std::string part_;
};

}  // namespace quillon::app
