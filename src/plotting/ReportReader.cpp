#include "plotting/ReportReader.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <iterator>
#include <optional>
#include <utility>

namespace quillon::plotting {

namespace {

// The heading of reports written before runs recorded their own choices.
constexpr std::string_view EarlierHeading =
    "Drawing,Layout,Device,Paper,Plot style table,Copies,Plot file,Outcome,Reason or warning,Started,Seconds";

constexpr std::string_view Outcomes[] = {"plotted", "plotted with warnings", "skipped", "failed",
                                         "stopped", "not started",           "ready",   "ready with warnings",
                                         "problems",  LeftOutOutcome};

constexpr int MostCopies = 32767;

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

// Splits the text into records of fields, counting physical lines so that a
// refusal names the line a user finds in an editor.
class CsvScanner {
public:
    explicit CsvScanner(std::string_view text) : text_(text) {}

    bool done() const { return at_ == text_.size(); }

    // The heading as it stands: reports never quote it.
    std::string_view rawLine() {
        const std::size_t end = std::min(text_.find_first_of("\r\n", at_), text_.size());
        const std::string_view line = text_.substr(at_, end - at_);
        at_ = end;
        lineEnd();
        return line;
    }

    // One record; starts at a record's first character.
    std::pair<int, std::vector<std::string>> record() {
        const int start = line_;
        std::vector<std::string> fields;
        for (;;) {
            fields.push_back(field(start));
            if (at_ < text_.size() && text_[at_] == ',') {
                ++at_;
                continue;
            }
            lineEnd();
            return {start, std::move(fields)};
        }
    }

private:
    bool endsField() const {
        return at_ == text_.size() || text_[at_] == ',' || text_[at_] == '\r' || text_[at_] == '\n';
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
    std::size_t at_ = 0;
    int line_ = 1;
};

bool blank(const std::vector<std::string>& fields) {
    return fields.size() == 1 &&
           std::all_of(fields[0].begin(), fields[0].end(), [](char c) { return c == ' ' || c == '\t'; });
}

std::optional<int> wholeNumber(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Seconds only inform; a number a spreadsheet wrote back differently is not a reason to refuse.
double seconds(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

ReportRow rowOf(int line, std::vector<std::string>& f) {
    ReportRow row;
    row.drawing = std::move(f[0]);
    row.layout = std::move(f[1]);
    row.device = std::move(f[2]);
    row.paper = std::move(f[3]);
    row.plotStyleTable = std::move(f[4]);
    const auto copies = wholeNumber(f[5]);
    if (!copies || *copies < 1 || *copies > MostCopies)
        throw ReportError(line, "Copies is " + inQuotes(f[5]) + ", not a whole number from 1 to 32767");
    row.copies = *copies;
    row.plotFile = std::move(f[6]);
    if (std::find(std::begin(Outcomes), std::end(Outcomes), f[7]) == std::end(Outcomes))
        throw ReportError(line, "Outcome is " + inQuotes(f[7]) + ", not one a run writes");
    row.outcome = std::move(f[7]);
    row.reason = std::move(f[8]);
    row.started = std::move(f[9]);
    row.seconds = seconds(f[10]);
    if (f[11] != "yes" && f[11] != "no") throw ReportError(line, "Layouts is " + inQuotes(f[11]) + ", not yes or no");
    row.layouts = f[11] == "yes";
    row.plotFolder = std::move(f[12]);
    row.plotFileName = std::move(f[13]);
    row.plotFileExtension = std::move(f[14]);
    row.dwgVersion = std::move(f[15]);
    row.resumes = std::move(f[16]);
    if (f.size() > 17) row.part = std::move(f[17]);
    return row;
}

}  // namespace

ReportError::ReportError(int line, const std::string& why)
    : std::runtime_error("line " + std::to_string(line) + ": " + why), line_(line) {}

std::vector<ReportRecord> readRunReport(std::string_view text) {
    constexpr std::string_view Bom = "\xEF\xBB\xBF";
    if (text.substr(0, Bom.size()) == Bom) text.remove_prefix(Bom.size());
    CsvScanner scanner(text);
    const std::string_view heading = scanner.rawLine();
    if (heading == EarlierHeading || heading == std::string(EarlierHeading) + ",Part")
        throw ReportError(1,
                          "the report of an earlier Quillon, without the columns a resume needs "
                          "(Layouts, Plot folder, Plot file name, Plot file extension)");
    const bool withPart = heading == RunReport::heading(true);
    if (!withPart && heading != RunReport::heading(false))
        throw ReportError(1, "not a Quillon run report (its first line is not a run report's heading)");
    const std::size_t columns = withPart ? 18 : 17;

    std::vector<std::pair<int, std::vector<std::string>>> records;
    while (!scanner.done()) records.push_back(scanner.record());
    while (!records.empty() && blank(records.back().second)) records.pop_back();

    std::vector<ReportRecord> rows;
    for (auto& [line, fields] : records) {
        if (blank(fields)) throw ReportError(line, "an empty line among the rows");
        if (fields.size() != columns)
            throw ReportError(
                line, std::to_string(fields.size()) + " fields where the heading has " + std::to_string(columns));
        rows.push_back({line, rowOf(line, fields)});
    }
    return rows;
}

}  // namespace quillon::plotting
