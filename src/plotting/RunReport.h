#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
    // One of the words of OutcomeWords.h.
    std::string outcome;
    std::string reason;
    std::string started;  // ISO 8601 local time
    double seconds = 0;
    // The run's own choices, on every row, so that a later run can take up what this one left:
    // whether paper layouts were plotted ("yes") or model space ("no"), and the plot files' folder,
    // name pattern and extension (empty: the usual).
    bool layouts = true;
    std::string plotFolder;
    std::string plotFileName;
    std::string plotFileExtension;
    // The drawing's DWG version as its file says it ("AC1032 (2018)"); a check's rows carry it.
    std::string dwgVersion;
    // The report whose left-over drawings this run plots again.
    std::string resumes;
    // "part 2 of 4" in the report of one part of a job; such a report alone has the Part column.
    std::string part;
};

// The report of one run as a CSV file that spreadsheet programs open as it
// is: UTF-8 with a BOM (non-ANSI names read right), a heading line, fields
// quoted where they hold a comma, a quote or a line break. Each row is on
// disk once add() returns, so a run that crashes or is killed leaves every
// finished row behind.
class RunReport {
public:
    // Creates the file (and its folder); throws std::runtime_error when it cannot.
    // The report of one part of a job (withPart) has a last column, Part.
    explicit RunReport(const std::filesystem::path& file, bool withPart = false);

    void add(const ReportRow& row);
    const std::filesystem::path& file() const { return file_; }

    // A CSV field, quoted when it must be.
    static std::string field(const std::string& text);
    static std::string line(const ReportRow& row);
    static std::string heading(bool withPart = false);

private:
    std::filesystem::path file_;
    std::ofstream out_;
};

// "Quillon run 2026-12-08 23-05-09.csv": sorts by time, as the folder lists it.
// One part of a job: "Quillon run 2026-12-08 23-05-09 part 2 of 4.csv". A check's: "Quillon check ...".
std::string reportFileName(int year, int month, int day, int hour, int minute, int second,
                           const std::string& part = "", bool check = false);
// "2026-12-08T23:05:09"
std::string isoTimestamp(int year, int month, int day, int hour, int minute, int second);
// Whether a file name is one of Quillon's own reports: "Quillon run (or check) YYYY-MM-DD HH-MM-SS",
// optionally " part K of N", optionally " (N)", then ".csv". Users keep files of
// their own beside the reports; no other name is ever counted or removed.
bool isRunReportName(const std::string& name);
// Of the names in a folder, the reports to remove, oldest first, so that keep of them are left.
std::vector<std::string> reportsToPrune(const std::vector<std::string>& names, std::size_t keep);
// Removes the oldest reports of the folder until at most keep are left.
void pruneReports(const std::filesystem::path& folder, std::size_t keep);

}  // namespace quillon::plotting
