#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>

namespace quillon::plotting {

// One line of a run report: one sheet, or one drawing that plotted nothing.
struct ReportRow {
    std::string drawing;
    std::string layout;
    std::string device;
    std::string paper;
    std::string plotStyleTable;
    int copies = 1;
    std::string plotFile;
    // "plotted", "plotted with warnings", "skipped", "failed", "stopped" or "not started".
    std::string outcome;
    std::string reason;
    std::string started;  // ISO 8601 local time
    double seconds = 0;
};

// The report of one run as a CSV file that spreadsheet programs open as it
// is: UTF-8 with a BOM (non-ANSI names read right), a heading line, fields
// quoted where they hold a comma, a quote or a line break. Each row is on
// disk once add() returns, so a run that crashes or is killed leaves every
// finished row behind.
class RunReport {
public:
    // Creates the file (and its folder); throws std::runtime_error when it cannot.
    explicit RunReport(const std::filesystem::path& file);

    void add(const ReportRow& row);
    const std::filesystem::path& file() const { return file_; }

    // A CSV field, quoted when it must be.
    static std::string field(const std::string& text);
    static std::string line(const ReportRow& row);
    static const char* heading();

private:
    std::filesystem::path file_;
    std::ofstream out_;
};

// "Quillon run 2026-12-08 23-05-09.csv": sorts by time, as the folder lists it.
std::string reportFileName(int year, int month, int day, int hour, int minute, int second);
// "2026-12-08T23:05:09"
std::string isoTimestamp(int year, int month, int day, int hour, int minute, int second);
// Removes the oldest reports of the folder until at most keep are left.
void pruneReports(const std::filesystem::path& folder, std::size_t keep);

}  // namespace quillon::plotting
