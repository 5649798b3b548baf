#include "plotting/record/RunReport.h"

#include <algorithm>
#include <fstream>
#include <utility>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string_view>
#include <tuple>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "plotting/record/ReportColumns.h"

namespace quillon::plotting {

namespace fs = std::filesystem;

namespace {

constexpr const char* ReportPrefix = "Quillon run ";
constexpr const char* CheckReportPrefix = "Quillon check ";

std::string utf8(const fs::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

bool digits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool consume(std::string_view& text, std::string_view lead) {
    if (text.substr(0, lead.size()) != lead) return false;
    text.remove_prefix(lead.size());
    return true;
}

// A report's age: its time, then its " (N)" (none counts as 1), then its part.
using ReportKey = std::tuple<std::string, int, std::string>;

std::optional<ReportKey> reportKey(std::string_view name) {
    if (!(consume(name, ReportPrefix) || consume(name, CheckReportPrefix)) || name.size() < 23 || name.substr(name.size() - 4) != ".csv")
        return std::nullopt;
    // YYYY-MM-DD HH-MM-SS: digits where digits go, the separators where they go.
    const std::string_view time = name.substr(0, 19);
    static constexpr std::string_view Shape = "0000-00-00 00-00-00";
    for (std::size_t i = 0; i < Shape.size(); ++i)
        if (Shape[i] == '0' ? !(time[i] >= '0' && time[i] <= '9') : time[i] != Shape[i]) return std::nullopt;
    name = name.substr(19, name.size() - 19 - 4);
    std::string part;
    if (consume(name, " part ")) {
        const auto of = name.find(" of ");
        if (of == std::string_view::npos || !digits(name.substr(0, of))) return std::nullopt;
        const auto rest = name.substr(of + 4);
        const auto end = std::min(rest.find(' '), rest.size());
        if (!digits(rest.substr(0, end))) return std::nullopt;
        part = std::string(name.substr(0, of + 4 + end));
        name.remove_prefix(of + 4 + end);
    }
    int copy = 1;
    if (consume(name, " (")) {
        if (name.size() < 2 || name.back() != ')' || !digits(name.substr(0, name.size() - 1)) ||
            name.size() > 6)
            return std::nullopt;
        copy = std::stoi(std::string(name.substr(0, name.size() - 1)));
        name = {};
    }
    if (!name.empty()) return std::nullopt;
    return ReportKey{std::string(time), copy, part};
}

}  // namespace

std::string RunReport::heading(bool withPart) {
    std::string out;
    for (const auto& name : headingsOf(currentReportFormat(withPart))) out += (out.empty() ? "" : ",") + name;
    return out;
}

RunReport::RunReport(fs::path file, bool withPart, std::vector<fs::path> copies)
    : file_(std::move(file)), withPart_(withPart) {
    std::error_code ignored;
    if (file_.has_parent_path()) fs::create_directories(file_.parent_path(), ignored);
    // No file at all: a record kept in memory alone, for a run whose report could not be created.
    if (!file_.empty()) files_.push_back(std::make_unique<RecordFile>(file_));
    for (auto& copy : copies) files_.push_back(std::make_unique<RecordFile>(std::move(copy)));
    const std::string whole = wholeText();
    for (auto& f : files_) f->begin(heading(withPart_), whole);
    problemNow();
}

std::string RunReport::wholeText() const {
    std::string out = "\xEF\xBB\xBF" + heading(withPart_) + "\r\n";
    for (const Entry& entry : entries_) out += entry.lines;
    return out;
}

std::optional<std::string> RunReport::problemNow() {
    for (const auto& f : files_)
        if (f->problem()) {
            if (!problem_) problem_ = f->problem();
            return f->problem();
        }
    return std::nullopt;
}

std::optional<std::string> RunReport::add(const ReportRow& row) { return set(entries_.size(), {row}); }

std::optional<std::string> RunReport::set(std::size_t entry, std::vector<ReportRow> rows) {
    std::vector<std::pair<std::size_t, std::vector<ReportRow>>> one;
    one.emplace_back(entry, std::move(rows));
    return set(std::move(one));
}

std::optional<std::string> RunReport::set(std::vector<std::pair<std::size_t, std::vector<ReportRow>>> changes) {
    std::string records;
    for (auto& [index, rows] : changes) {
        if (index >= entries_.size()) entries_.resize(index + 1);
        Entry& entry = entries_[index];
        std::string lines;
        for (const ReportRow& row : rows) lines += line(row) + "\r\n";
        rowCount_ = rowCount_ - entry.rows.size() + rows.size();
        changedSinceRebuild_ += std::max<std::size_t>(rows.size(), 1);
        entry.rows = std::move(rows);
        entry.lines = std::move(lines);
        records += std::to_string(index) + ' ' + std::to_string(entry.lines.size()) + '\n' + entry.lines;
    }
    for (auto& f : files_) f->append(records);
    // Rebuilt once enough has changed that the rebuilds, together, cost a fixed multiple of the changes.
    const bool due = rowCount_ <= SmallReport ||
                     static_cast<double>(changedSinceRebuild_) >= RebuildShare * static_cast<double>(rowCount_);
    if (due) changedSinceRebuild_ = 0;
    std::string whole;
    for (auto& f : files_)
        if (due || !f->journalling()) {
            if (whole.empty()) whole = wholeText();
            f->rebuild(whole);
        }
    return problemNow();
}

std::optional<std::string> RunReport::finish() {
    const std::string whole = wholeText();
    for (auto& f : files_) f->finish(whole);
    return problemNow();
}

std::vector<ReportRow> RunReport::rows() const {
    std::vector<ReportRow> all;
    all.reserve(rowCount_);
    for (const Entry& entry : entries_) all.insert(all.end(), entry.rows.begin(), entry.rows.end());
    return all;
}

std::uint64_t RunReport::bytesWritten() const {
    std::uint64_t bytes = 0;
    for (const auto& f : files_) bytes += f->bytesWritten();
    return bytes;
}

std::vector<std::pair<fs::path, std::optional<std::string>>> RunReport::written() const {
    std::vector<std::pair<fs::path, std::optional<std::string>>> out;
    for (const auto& f : files_) out.emplace_back(f->csv(), f->problem());
    return out;
}

std::string RunReport::text(const std::vector<ReportRow>& rows, bool withPart) {
    std::string out = "\xEF\xBB\xBF" + heading(withPart) + "\r\n";
    for (const auto& row : rows) out += line(row) + "\r\n";
    return out;
}

std::optional<std::string> RunReport::replaceFile(const fs::path& path, const std::string& text) {
    fs::path temporary = path;
    temporary += ".writing";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return std::string("the file cannot be created or written (a read-only folder, a full disk?)");
        }
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    if (!error) return std::nullopt;
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return error.message();
}

std::string RunReport::field(const std::string& text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string RunReport::line(const ReportRow& row) {
    std::string out;
    for (const auto& column : reportColumns()) out += (out.empty() ? "" : ",") + field(column.write(row));
    if (!row.part.empty()) out += "," + field(row.part);
    return out;
}

std::string reportFileName(int year, int month, int day, int hour, int minute, int second, const std::string& part,
                           bool check) {
    return (check ? CheckReportPrefix : ReportPrefix) + std::to_string(year) + "-" + twoDigits(month) + "-" + twoDigits(day) + " " +
           twoDigits(hour) + "-" + twoDigits(minute) + "-" + twoDigits(second) + (part.empty() ? "" : " " + part) +
           ".csv";
}

std::string isoTimestamp(int year, int month, int day, int hour, int minute, int second) {
    return std::to_string(year) + "-" + twoDigits(month) + "-" + twoDigits(day) + "T" + twoDigits(hour) + ":" +
           twoDigits(minute) + ":" + twoDigits(second);
}

bool isRunReportName(const std::string& name) { return reportKey(name).has_value(); }

std::vector<std::string> reportsToPrune(const std::vector<std::string>& names, std::size_t keep) {
    std::vector<std::pair<ReportKey, std::string>> reports;
    for (const auto& name : names)
        if (const auto key = reportKey(name)) reports.emplace_back(*key, name);
    std::vector<std::string> doomed;
    if (reports.size() <= keep) return doomed;
    std::sort(reports.begin(), reports.end());
    for (std::size_t i = 0; i + keep < reports.size(); ++i) doomed.push_back(reports[i].second);
    return doomed;
}

void pruneReports(const fs::path& folder, std::size_t keep) {
    std::error_code error;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.push_back(utf8(it->path().filename()));
    for (const auto& name : reportsToPrune(names, keep)) {
        fs::remove(folder / fs::u8path(name), error);
        fs::remove(journalOf(folder / fs::u8path(name)), error);
    }
    constexpr std::string_view Writing = ".writing";
    for (const auto& name : names)
        if (name.size() > Writing.size() && name.ends_with(Writing) &&
            isRunReportName(name.substr(0, name.size() - Writing.size())))
            removeLeftoverWrite(folder / fs::u8path(name.substr(0, name.size() - Writing.size())));
}

bool removeLeftoverWrite(const fs::path& report) {
    fs::path leftover = report;
    leftover += ".writing";
    std::error_code error;
    const auto written = fs::last_write_time(leftover, error);
    if (error || fs::file_time_type::clock::now() - written < LeftoverAge) return false;
    // Not there any more, or still held open by its writer: left as it is.
    return fs::remove(leftover, error);
}

}  // namespace quillon::plotting
