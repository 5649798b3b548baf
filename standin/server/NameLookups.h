#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

namespace quillon::standin_server {

// The name look-ups (GetIDsOfNames) the server has answered. Each is a round
// trip the client pays on top of its calls, so a run wants to know how many
// it made: they are counted, and written one a line as JSON to a file beside
// the journal when there is one (appended and flushed, as the journal is).
class NameLookups {
public:
    // "lookups-journal.jsonl" beside "journal.jsonl": a name of its own, so
    // that nothing taking the journal's files by their prefix reads it too.
    static std::string pathBeside(const std::string& journalPath);

    // Starts writing to path (UTF-8). A file that cannot be opened leaves the
    // look-ups counted in memory only: bookkeeping never stops the server.
    void writeTo(const std::string& path);
    void record(const std::string& object, const std::string& member);
    std::int64_t count() const { return count_; }

private:
    std::ofstream out_;
    std::int64_t count_ = 0;
};

}  // namespace quillon::standin_server
