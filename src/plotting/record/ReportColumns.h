#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plotting/job/PlotJobFile.h"
#include "plotting/record/RunReport.h"

namespace quillon::plotting {

// One column of the run report. Reports are read back by later builds (a
// resume the next night, its combine), so the format keeps one
// rule (docs/report-format.md): columns are only appended, each with what a
// report written before it existed means by its absence; the Part column is
// last; an issue that adds columns adds one entry to the formats; outcome
// words are the one list of OutcomeWords.h; every report is read by
// readReportFile.
struct ReportColumn {
    const char* heading;
    std::string (*write)(const ReportRow& row);
    // Takes the field into the row; why not, when the text is not one a run writes ("not yes or no").
    std::optional<std::string> (*read)(ReportRow& row, std::string&& text);
    // What the runs before this column existed did, as the column would say it; none: the row keeps its
    // default, which says it was not recorded.
    const char* absent;
    // A choice a resume plots again with ("device"): every row of a report must agree on it.
    const char* choice = nullptr;
    void (*replay)(const ReportRow& row, PlotJobSpec& job) = nullptr;
};

// Every column in the order reports write them; the Part column is apart (see partColumn).
std::span<const ReportColumn> reportColumns();
// "part 2 of 4": the last column of the report of one part of a job, after any version's columns.
const ReportColumn& partColumn();

// A heading some Quillon has written: the first `columns` of reportColumns(), with or without Part.
struct ReportFormat {
    int version = 0;
    std::size_t columns = 0;
    bool withPart = false;
};
// The format whose heading these are; none when no Quillon ever wrote it.
std::optional<ReportFormat> reportFormatOf(const std::vector<std::string>& headings);
// The format a run writes now.
ReportFormat currentReportFormat(bool withPart);
std::vector<std::string> headingsOf(const ReportFormat& format);

}  // namespace quillon::plotting
