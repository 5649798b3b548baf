#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/DrawingOutcome.h"
#include "plotting/PlotRules.h"
#include "plotting/record/RunReport.h"
#include "run/RunReports.h"

namespace quillon::run {

// Every run's report: one CSV file per run in the user's local application
// data ("Quillon\Reports"), the last 100 kept, written ahead as the run goes
// (see RunReport), with its copy where the command line's /report asks.
class RunReportKeeper final : public RunReports {
public:
    // Starts the report of a run with these choices under a name no other run
    // has (created exclusively). A report that cannot be written does not stop
    // the run: the reason comes back, and problem() keeps it for the run's end.
    std::optional<std::string> begin(const plotting::PlotSetup& setup) override;
    // Rows that belong to no drawing (a job that could not be used).
    void addRow(const plotting::ReportRow& row) override;
    // The run's report is complete: rebuilt whole, its journals gone; problem() still says what went wrong with it.
    void end() override;
    // Each file the last run's record was kept in (the report, then its copy), and why it is not whole, if it is not.
    std::vector<std::pair<std::filesystem::path, std::optional<std::string>>> written() const override;
    // Why the report of the last run begun is not whole on disk (not created, a write or the copy failed).
    std::optional<std::string> problem() const override;
    // Where each report is copied as it is written (the command line's /report); none: nowhere.
    void setCopy(std::optional<std::string> path) override { copy_ = std::move(path); }
    // The report of the run in progress, for the writer on the sessions' side; none when it cannot be written.
    std::shared_ptr<plotting::RunReport> current() const override { return report_; }

    // The runs of one part of a job ("part 2 of 4"): in the file's name and its Part column.
    void setPart(std::string part) override { part_ = std::move(part); }
    const std::string& part() const override { return part_; }

    // Whether a report can be written at path: its folder exists and a file can be
    // created there. The system's reason when not; nothing is left behind.
    static std::optional<std::string> copyTargetProblem(const std::string& path);
    std::optional<std::string> checkCopyTarget(const std::string& path) const override { return copyTargetProblem(path); }
    std::string localTime(std::chrono::system_clock::time_point time) const override { return isoLocalTime(time); }
    // This session's last report, else the newest in the folder; empty when there is none.
    std::filesystem::path lastReport() const;
    // The report of the last run begun; empty when it could not be created (never another run's).
    const std::filesystem::path& runReport() const override { return last_; }
    static std::filesystem::path folder();
    static std::string isoLocalTime(std::chrono::system_clock::time_point time);
    static constexpr std::size_t Kept = 100;

private:
    std::shared_ptr<plotting::RunReport> report_;
    plotting::PlotSetup setup_;
    std::filesystem::path last_;
    std::string part_;
    std::optional<std::string> copy_;
    std::optional<std::string> beginProblem_;
    std::optional<std::string> endProblem_;
    std::vector<std::pair<std::filesystem::path, std::optional<std::string>>> written_;
};

}  // namespace quillon::run
