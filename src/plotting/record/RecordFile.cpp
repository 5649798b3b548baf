#include "plotting/record/RecordFile.h"

#include <iterator>
#include <map>
#include <system_error>

#include "plotting/record/RunReport.h"

namespace quillon::plotting {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view JournalLead = "Quillon journal 1\n";
constexpr std::string_view JournalExtension = ".journal";

std::string utf8(const fs::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

fs::path journalOf(const fs::path& report) {
    fs::path journal = report;
    journal += JournalExtension;
    return journal;
}

bool isJournalName(const std::string& name) {
    return name.size() > JournalExtension.size() && name.ends_with(JournalExtension);
}

RecordFile::RecordFile(fs::path csv) : csv_(std::move(csv)), journal_(journalOf(csv_)) {}

void RecordFile::fail(const std::string& why) {
    if (!problem_) problem_ = "the report " + utf8(csv_) + " could not be written: " + why;
}

void RecordFile::begin(const std::string& heading, const std::string& text) {
    out_.open(journal_, std::ios::binary | std::ios::trunc);
    out_ << JournalLead << heading << "\r\n";
    out_.flush();
    bytes_ += JournalLead.size() + heading.size() + 2;
    if (!out_) {
        fail("its journal cannot be created (a read-only folder, a full disk?)");
        dropJournal();
    }
    rebuild(text);
}

void RecordFile::append(const std::string& records) {
    if (!out_.is_open() || records.empty()) return;
    // Written through to the system at once: a killed run leaves every change it made.
    out_.write(records.data(), static_cast<std::streamsize>(records.size()));
    out_.flush();
    bytes_ += records.size();
    if (!out_) {
        fail("its journal could not be written (a full disk?)");
        dropJournal();
    }
}

void RecordFile::dropJournal() {
    // A journal that stopped short must not outlive it: a resume prefers the journal to the CSV, and the CSV,
    // rebuilt at every change from now on, is newer.
    out_.close();
    std::error_code ignored;
    fs::remove(journal_, ignored);
}

void RecordFile::rebuild(const std::string& text) {
    bytes_ += text.size();
    if (const auto why = RunReport::replaceFile(csv_, text)) fail(*why);
}

void RecordFile::finish(const std::string& text) {
    bytes_ += text.size();
    const auto why = RunReport::replaceFile(csv_, text);
    if (why) fail(*why);
    if (out_.is_open()) out_.close();
    // Kept while the CSV lacks what it holds.
    std::error_code ignored;
    if (!why) fs::remove(journal_, ignored);
}

std::optional<std::string> journalReportText(const fs::path& report) {
    std::ifstream in(journalOf(report), std::ios::binary);
    if (!in) return std::nullopt;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (text.compare(0, JournalLead.size(), JournalLead) != 0) return std::nullopt;
    std::size_t at = JournalLead.size();
    const std::size_t headingEnd = text.find("\r\n", at);
    if (headingEnd == std::string::npos) return std::nullopt;
    const std::string heading = text.substr(at, headingEnd + 2 - at);
    at = headingEnd + 2;
    std::map<std::size_t, std::string_view> entries;
    const std::string_view all = text;
    // A change cut off by a kill or a power cut is the end: everything before it is whole.
    while (at < all.size()) {
        const std::size_t lineEnd = all.find('\n', at);
        if (lineEnd == std::string_view::npos) break;
        const std::string_view header = all.substr(at, lineEnd - at);
        const std::size_t space = header.find(' ');
        if (space == std::string_view::npos) break;
        std::size_t entry = 0, length = 0;
        try {
            entry = std::stoul(std::string(header.substr(0, space)));
            length = std::stoul(std::string(header.substr(space + 1)));
        } catch (const std::exception&) {
            break;
        }
        if (all.size() - (lineEnd + 1) < length) break;
        entries[entry] = all.substr(lineEnd + 1, length);
        at = lineEnd + 1 + length;
    }
    std::string whole = "\xEF\xBB\xBF" + heading;
    for (const auto& [entry, lines] : entries) whole += lines;
    return whole;
}

}  // namespace quillon::plotting
