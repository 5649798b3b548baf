#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace quillon::plotting {

// One file of a run's record (the kept report, or the /report copy): the CSV a reader opens, and beside
// it while the run lasts its journal ("<report>.journal"), to which every change is appended at once. The
// CSV is replaced whole (under a temporary name, moved over it in one step) only now and then, so the run's
// cost in writing grows with its changes, not with their square; the CSV is a whole report at every
// instant, and the journal says what changed since. A resume reads the journal when it is there (see
// journalReportText). Each file stands on its own: one that cannot be written never stops another.
class RecordFile {
public:
    explicit RecordFile(std::filesystem::path csv);
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // A fresh journal holding the report's heading, and the CSV as text (the report so far).
    void begin(const std::string& heading, const std::string& text);
    // Changes, each "<entry> <bytes>\n" then the entry's lines now (each ended by CRLF).
    void append(const std::string& records);
    // The CSV replaced by the whole report's text.
    void rebuild(const std::string& text);
    // The CSV replaced a last time; the journal goes, the CSV holding all it held.
    void finish(const std::string& text);

    const std::filesystem::path& csv() const { return csv_; }
    // The first write that failed, with why.
    const std::optional<std::string>& problem() const { return problem_; }
    // Whether changes still go to the journal; without it the CSV alone is the record and is rebuilt at each.
    bool journalling() const { return out_.is_open(); }
    // Every byte written for it so far, journal and CSV.
    std::uint64_t bytesWritten() const { return bytes_; }

private:
    void fail(const std::string& why);
    void dropJournal();

    std::filesystem::path csv_;
    std::filesystem::path journal_;
    std::ofstream out_;
    std::optional<std::string> problem_;
    std::uint64_t bytes_ = 0;
};

// The journal beside a report: "<report>.journal".
std::filesystem::path journalOf(const std::filesystem::path& report);
// Whether a file name is a report's journal.
bool isJournalName(const std::string& name);
// The whole report a journal records (BOM, heading and every entry's last lines, in entry order), as the
// run wrote it up to its last whole change; none when there is no journal, or it is not one.
std::optional<std::string> journalReportText(const std::filesystem::path& report);

}  // namespace quillon::plotting
