#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/PlotRules.h"
#include "plotting/record/ReportRows.h"
#include "plotting/record/RunReport.h"

namespace quillon::run {

// Where every run's report is kept (one file per run, written ahead as the run goes) and copied (the
// command line's /report).
class RunReports {
public:
    virtual ~RunReports() = default;
    // Starts the report of a run with these choices under a name no other run has. A report that cannot be
    // written does not stop the run: the reason comes back, and problem() keeps it for the run's end.
    virtual std::optional<std::string> begin(const plotting::PlotSetup& setup) = 0;
    // Rows that belong to no drawing (a job that could not be used, the rows a resume carries).
    virtual void addRow(const plotting::ReportRow& row) = 0;
    // The run's report is complete: rebuilt whole, its journals gone.
    virtual void end() = 0;
    // Each file the last run's record was kept in (the report, then its copy), and why it is not whole, if not.
    virtual std::vector<std::pair<std::filesystem::path, std::optional<std::string>>> written() const = 0;
    // Why the report of the last run begun is not whole on disk.
    virtual std::optional<std::string> problem() const = 0;
    // Where each report is copied as it is written; none: nowhere.
    virtual void setCopy(std::optional<std::string> path) = 0;
    // The report of the run in progress; none when it cannot be written.
    virtual std::shared_ptr<plotting::RunReport> current() const = 0;
    // The runs of one part of a job ("part 2 of 4"): in the file's name and its Part column.
    virtual void setPart(std::string part) = 0;
    virtual const std::string& part() const = 0;
    // The report of the last run begun; empty when it could not be created.
    virtual const std::filesystem::path& runReport() const = 0;
    // Whether a report can be written at path: the reason when not; nothing is left behind.
    virtual std::optional<std::string> checkCopyTarget(const std::string& path) const = 0;
    // A time as the reports write it: the local date and time.
    virtual std::string localTime(std::chrono::system_clock::time_point time) const = 0;
};

}  // namespace quillon::run
