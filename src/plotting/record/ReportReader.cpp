#include "plotting/record/ReportReader.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

#include "plotting/record/RecordFile.h"
#include "plotting/record/ReportColumns.h"

namespace quillon::plotting {

namespace {

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

// Splits the text into records of fields, counting physical lines so that a
// refusal names the line a user finds in an editor.
class CsvScanner {
public:
    CsvScanner(std::string_view text, char separator) : text_(text), separator_(separator) {}

    bool done() const { return at_ == text_.size(); }

    // One record; starts at a record's first character.
    std::pair<int, std::vector<std::string>> record() {
        const int start = line_;
        std::vector<std::string> fields;
        for (;;) {
            fields.push_back(field(start));
            if (at_ < text_.size() && text_[at_] == separator_) {
                ++at_;
                continue;
            }
            lineEnd();
            return {start, std::move(fields)};
        }
    }

private:
    bool endsField() const {
        return at_ == text_.size() || text_[at_] == separator_ || text_[at_] == '\r' || text_[at_] == '\n';
    }

    // A lone CR counts as a line break, as a CRLF or a lone LF does.
    void countBreak(char c) {
        if (c == '\n' || (c == '\r' && (at_ == text_.size() || text_[at_] != '\n'))) ++line_;
    }

    void lineEnd() {
        if (at_ < text_.size() && text_[at_] == '\r') ++at_;
        if (at_ < text_.size() && text_[at_] == '\n') ++at_;
        ++line_;
    }

    std::string field(int start) {
        std::string value;
        if (at_ < text_.size() && text_[at_] == '"') {
            for (++at_;;) {
                if (at_ == text_.size()) throw ReportError(start, "a quoted field is not closed");
                const char c = text_[at_++];
                if (c == '"') {
                    if (at_ == text_.size() || text_[at_] != '"') break;
                    ++at_;
                }
                countBreak(c);
                value += c;
            }
            if (!endsField()) throw ReportError(start, "text follows the closing quote of a field");
            return value;
        }
        for (; !endsField(); ++at_) {
            if (text_[at_] == '"') throw ReportError(start, "a quote in the middle of a field that is not quoted");
            value += text_[at_];
        }
        return value;
    }

    std::string_view text_;
    char separator_;
    std::size_t at_ = 0;
    int line_ = 1;
};

bool blank(const std::vector<std::string>& fields) {
    return fields.size() == 1 &&
           std::all_of(fields[0].begin(), fields[0].end(), [](char c) { return c == ' ' || c == '\t'; });
}

// Reports write commas; a spreadsheet program set to a language whose decimal mark is a comma
// saves semicolons. No heading has either in a column's name, so the first line tells.
char separatorOf(std::string_view text) {
    const std::string_view first = text.substr(0, text.find_first_of("\r\n"));
    return first.find(',') == std::string_view::npos && first.find(';') != std::string_view::npos ? ';' : ',';
}

ReportRow rowOf(ReportRow row, int line, std::vector<std::string>& fields,
                const std::vector<const ReportColumn*>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const ReportColumn& column = *columns[i];
        const std::string text = fields[i];
        if (const auto why = column.read(row, std::move(fields[i])))
            throw ReportError(line, std::string(column.heading) + " is " + inQuotes(text) + ", " + *why);
    }
    return row;
}

// The row a report of this format stands for where it lacks a column: what the runs before it did.
ReportRow absentColumns(const ReportFormat& format) {
    ReportRow row;
    const auto all = reportColumns();
    for (std::size_t i = format.columns; i < all.size(); ++i)
        if (all[i].absent) all[i].read(row, all[i].absent);
    return row;
}

}  // namespace

ReportError::ReportError(int line, const std::string& why)
    : std::runtime_error("line " + std::to_string(line) + ": " + why), line_(line) {}

std::vector<ReportRecord> readRunReport(std::string_view text, const AnsiCodePage& ansi) {
    constexpr std::string_view Bom = "\xEF\xBB\xBF";
    std::string decoded;
    if (text.substr(0, Bom.size()) == Bom) {
        text.remove_prefix(Bom.size());
    } else if (!isUtf8(text)) {
        // A spreadsheet program's plain "CSV" is in the system's code page.
        decoded = ansi.toUtf8(text);
        text = decoded;
    }
    CsvScanner scanner(text, separatorOf(text));
    auto [headingLine, headings] = scanner.record();
    const auto format = reportFormatOf(headings);
    if (!format) throw ReportError(1, "not a Quillon run report (its first line is not a run report's heading)");
    std::vector<const ReportColumn*> columns;
    for (std::size_t i = 0; i < format->columns; ++i) columns.push_back(&reportColumns()[i]);
    if (format->withPart) columns.push_back(&partColumn());
    const ReportRow absent = absentColumns(*format);

    std::vector<std::pair<int, std::vector<std::string>>> records;
    while (!scanner.done()) records.push_back(scanner.record());
    while (!records.empty() && blank(records.back().second)) records.pop_back();

    std::vector<ReportRecord> rows;
    for (auto& [line, fields] : records) {
        if (blank(fields)) throw ReportError(line, "an empty line among the rows");
        if (fields.size() != columns.size())
            throw ReportError(line, std::to_string(fields.size()) + " fields where the heading has " +
                                        std::to_string(columns.size()));
        rows.push_back({line, rowOf(absent, line, fields, columns)});
    }
    return rows;
}

std::vector<ReportRecord> readReportFile(const std::filesystem::path& file, const AnsiCodePage& ansi) {
    // A run that did not end left its journal beside the report: it holds every change the CSV may lack.
    if (const auto journal = journalReportText(file)) return readRunReport(*journal, ansi);
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error) throw std::runtime_error("the report cannot be read: " + error.message());
    if (size > MaxReportBytes) throw std::runtime_error("the file is far too large to be a run report");
    std::ifstream in(file, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in && !in.eof()) throw std::runtime_error("the report cannot be read");
    return readRunReport(text, ansi);
}

}  // namespace quillon::plotting
