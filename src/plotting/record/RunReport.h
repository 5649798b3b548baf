#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/pdf/CombineChoice.h"
#include "plotting/record/RecordFile.h"

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
    // Where a plotter's sheets went: "file" or "device".
    std::string output = "file";
    // The drawing's DWG version as its file says it ("AC1032 (2018)"); a check's rows carry it.
    std::string dwgVersion;
    // The report whose left-over drawings this run plots again.
    std::string resumes;
    // Where the sheets' settings came from ("quillon", "layout", "template"), the template's file and
    // page setup, and the layout patterns: choices a resume sets its sheets up with again.
    std::string sheetSettings = "quillon";
    std::string pageSetupFile;
    std::string pageSetup;
    std::string includeLayouts;
    std::string excludeLayouts;
    // The sheet's plot area and scale as set up ("extents, fit", "layout, 1:1").
    std::string plotAreaAndScale;
    // "part 2 of 4" in the report of one part of a job; such a report alone has the Part column.
    std::string part;
    // Whether the run combined its PDF sheets, and how; a resume combines as the night would have.
    CombineChoice combine{};
    // The drawings after which Quillon's own application was started afresh ("0": never); empty in
    // reports from before the column: a resume then takes the setting.
    std::string cadRestartEvery;
    // The names the job's files take, decided once over the whole job by its first run and carried by every
    // later step: what tells the drawing's files apart from those of same-named drawings ("North"; empty:
    // nothing), unset in reports from before the column (a resume then decides it from the report's
    // drawings); and the {date} of those names.
    std::optional<std::string> qualifier;
    std::string nameDate;
    // The drawing's place in the whole job's listing, from 1 (0: unknown, or a combined file's row): the
    // job's order, in which /combine lays out the sheets of every part.
    int jobPosition = 0;
    // The report this row was first written in, when a resume carried it over as it was.
    std::string carriedFrom;
    // "changed" when the run plotted only the drawings changed since their last plot, else "all"; and
    // what the sheet was made from and made: the drawing's and the plot file's content hashes, as the
    // plot record beside the plot files has them.
    std::string plot = "all";
    std::string drawingHash;
    std::string plotFileHash;
    // When the plot file is a combined file that holds the sheet (its own file went into it): its pages there,
    // "3" or "3-4".
    std::string combinedPages;
    // The title block the sheet's names took, and its attributes as a JSON object of tag and value, in the
    // block's order: a register made later (a resume's, /combine's) takes the values from here.
    std::string titleBlock;
    std::string titleValues;
    // The run's naming choices, a resume names again with: the title blocks' pattern, the bookmarks' pattern,
    // the register's file name pattern and its columns (tags joined by ';'); and the sheet's own bookmark.
    std::string titleBlocks;
    std::string bookmarkName;
    std::string registerName;
    std::string registerColumns;
    std::string bookmark;
};

// The report of one run as a CSV file that spreadsheet programs open as it
// is: UTF-8 with a BOM (non-ANSI names read right), a heading line, fields
// quoted where they hold a comma, a quote or a line break.
//
// The report is a list of entries (a drawing's rows, a combined file's row), each
// replaced whole when it changes. Every change is appended at once to the
// journal beside each file (RecordFile), and the CSV itself is rebuilt whole
// only once the rows changed since its last rebuild reach RebuildShare of the
// report (at every change while the report is small), and at the end: the total written grows linearly with the run, and
// the CSV on disk is a whole report at every instant. Copies (the command
// line's /report) are kept the same way, each on its own.
class RunReport {
public:
    // The report at file, which the caller has created (exclusively, so that no
    // two runs share it), written at once with its heading alone (problem() says
    // when it could not be); withPart: the report of one part of a job, with a last column, Part.
    RunReport(std::filesystem::path file, bool withPart = false, std::vector<std::filesystem::path> copies = {});

    // One more entry, of this row. Why not, when the report or a copy could not be written.
    std::optional<std::string> add(const ReportRow& row);
    // The entry's rows are now these (an entry past the last is added, with empty ones between).
    std::optional<std::string> set(std::size_t entry, std::vector<ReportRow> rows);
    // The rows of many entries at once, in one write.
    std::optional<std::string> set(std::vector<std::pair<std::size_t, std::vector<ReportRow>>> entries);
    // The run is over: the CSV rebuilt whole, the journals gone.
    std::optional<std::string> finish();

    std::vector<ReportRow> rows() const;
    const std::vector<ReportRow>& entry(std::size_t index) const { return entries_.at(index).rows; }
    std::size_t entries() const { return entries_.size(); }
    const std::filesystem::path& file() const { return file_; }
    // The first write that failed, for the run's end; none when every write went through.
    const std::optional<std::string>& problem() const { return problem_; }
    // Each file of the record, the report first, and why it is not whole, if it is not.
    std::vector<std::pair<std::filesystem::path, std::optional<std::string>>> written() const;

    // Every byte written for the record so far, over all its files.
    std::uint64_t bytesWritten() const;

    // The share of the report's rows that may change before the CSV is rebuilt from the record. A report of
    // at most SmallReport rows is rebuilt at every change: that costs a bounded amount each time, and the CSV
    // of a small run is never behind its journal.
    static constexpr double RebuildShare = 0.25;
    static constexpr std::size_t SmallReport = 200;

    // A CSV field, quoted when it must be.
    static std::string field(const std::string& text);
    static std::string line(const ReportRow& row);
    static std::string heading(bool withPart = false);
    // The file's whole text: BOM, heading and one line per row, each ended by CRLF.
    static std::string text(const std::vector<ReportRow>& rows, bool withPart);
    // Replaces the file at path by text in one step (see above); the system's reason when it cannot.
    static std::optional<std::string> replaceFile(const std::filesystem::path& path, const std::string& text);

private:
    struct Entry {
        std::vector<ReportRow> rows;
        std::string lines;  // as written
    };
    std::string wholeText() const;
    std::optional<std::string> problemNow();

    std::filesystem::path file_;
    bool withPart_;
    std::vector<std::unique_ptr<RecordFile>> files_;
    std::vector<Entry> entries_;
    std::size_t rowCount_ = 0;
    std::size_t changedSinceRebuild_ = 0;
    std::optional<std::string> problem_;
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
// Removes the oldest reports of the folder until at most keep are left, and the files that writes of
// its reports killed half-way left behind (see removeLeftoverWrite).
void pruneReports(const std::filesystem::path& folder, std::size_t keep);
// A write killed between its temporary file and the move over the report leaves "<report>.writing"
// behind: the report itself is whole, one step behind at most, and the leftover may be cut anywhere, so
// it is never read, only removed. Only once nothing has written it for LeftoverAge: a live writer moves
// it over its report moments after writing it (another Quillon may be writing a report of the same
// name), and Windows also refuses the removal while a writer still holds it open. True if removed.
bool removeLeftoverWrite(const std::filesystem::path& report);
inline constexpr auto LeftoverAge = std::chrono::seconds(10);

}  // namespace quillon::plotting
