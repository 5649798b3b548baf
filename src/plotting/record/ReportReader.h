#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "plotting/record/AnsiCodePage.h"
#include "plotting/record/RunReport.h"

namespace quillon::plotting {

// A run report that cannot be used, or not for what was asked of it. The text
// names the line of the file it is about: "line 7: ...".
class ReportError : public std::runtime_error {
public:
    ReportError(int line, const std::string& why);
    int line() const { return line_; }

private:
    int line_;
};

// One row of a report as read back, with the line of the file where it starts
// (the heading is line 1; a field with a line break makes a row span lines).
struct ReportRecord {
    int line = 0;
    ReportRow row;
};

// The rows of a report's whole text, as any Quillon wrote it (the columns an
// earlier one lacks take what its runs did) or as a spreadsheet program saves
// it again: with or without its byte order mark, in the system's ANSI code page
// when the text is not UTF-8, ';' for ',', any field quoted, lines ended by
// CRLF or LF, blank lines at the end. Anything else is refused whole, with a
// ReportError: a heading no Quillon wrote, a row whose fields do not match the
// heading, a broken quote, an outcome, copies or Layouts value no run writes.
// A report half read would have a resume plot the wrong drawings.
std::vector<ReportRecord> readRunReport(std::string_view text, const AnsiCodePage& ansi);

// The one way a run reads a report file back (a resume, a combine, /combine): its journal when one is
// beside it (a run that did not end), else its text, at most MaxReportBytes, decoded by readRunReport in
// the system's code page. A file that cannot be read throws a
// std::runtime_error saying why.
std::vector<ReportRecord> readReportFile(const std::filesystem::path& file, const AnsiCodePage& ansi);
// Far larger than the report of any night's run; a bigger file is not one of Quillon's.
inline constexpr std::uintmax_t MaxReportBytes = 64u << 20;

}  // namespace quillon::plotting
