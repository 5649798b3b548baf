#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "standin/JournalEntry.h"

namespace quillon::standin {

// Reads a journal file back, for tests that drive the engine out of process.
class JournalReader {
public:
    // Throws std::runtime_error naming the file and line of anything unreadable.
    static std::vector<JournalEntry> readFile(const std::string& path);
    static JournalEntry parseLine(std::string_view line);
};

// The plot lines of a journal, in order.
std::vector<PlotRecord> plotsIn(const std::vector<JournalEntry>& entries);
// The access lines of a journal, in order.
std::vector<AccessRecord> accessesIn(const std::vector<JournalEntry>& entries);

}  // namespace quillon::standin
