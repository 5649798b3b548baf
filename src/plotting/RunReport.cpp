#include "plotting/RunReport.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace quillon::plotting {

namespace fs = std::filesystem;

namespace {

constexpr const char* ReportPrefix = "Quillon run ";

std::string utf8(const fs::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

}  // namespace

const char* RunReport::heading() {
    return "Drawing,Layout,Device,Paper,Plot style table,Copies,Plot file,Outcome,Reason or warning,Started,Seconds";
}

RunReport::RunReport(const fs::path& file) : file_(file) {
    std::error_code ignored;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ignored);
    out_.open(file, std::ios::binary | std::ios::trunc);
    if (!out_) throw std::runtime_error("The run report could not be written: " + utf8(file));
    out_ << "\xEF\xBB\xBF" << heading() << "\r\n";
    out_.flush();
}

void RunReport::add(const ReportRow& row) {
    out_ << line(row) << "\r\n";
    out_.flush();
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
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", row.seconds);
    const std::string fields[] = {row.drawing,        row.layout,   row.device,
                                  row.paper,          row.plotStyleTable, std::to_string(row.copies),
                                  row.plotFile,       row.outcome,  row.reason,
                                  row.started,        seconds};
    std::string out;
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (i > 0) out += ',';
        out += field(fields[i]);
    }
    return out;
}

std::string reportFileName(int year, int month, int day, int hour, int minute, int second) {
    return ReportPrefix + std::to_string(year) + "-" + twoDigits(month) + "-" + twoDigits(day) + " " +
           twoDigits(hour) + "-" + twoDigits(minute) + "-" + twoDigits(second) + ".csv";
}

std::string isoTimestamp(int year, int month, int day, int hour, int minute, int second) {
    return std::to_string(year) + "-" + twoDigits(month) + "-" + twoDigits(day) + "T" + twoDigits(hour) + ":" +
           twoDigits(minute) + ":" + twoDigits(second);
}

void pruneReports(const fs::path& folder, std::size_t keep) {
    std::error_code error;
    std::vector<fs::path> reports;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = utf8(it->path().filename());
        if (name.rfind(ReportPrefix, 0) == 0 && it->path().extension() == ".csv") reports.push_back(it->path());
    }
    if (reports.size() <= keep) return;
    std::sort(reports.begin(), reports.end());
    for (std::size_t i = 0; i + keep < reports.size(); ++i) fs::remove(reports[i], error);
}

}  // namespace quillon::plotting
