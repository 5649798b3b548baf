#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "standin/JournalEntry.h"

namespace quillon::standin {

// The record of everything the engine was asked and did. Lines go to a JSON
// Lines file (appended, flushed one by one, so a crash loses nothing) when a
// path is given, and are always kept in memory for native tests.
class Journal {
public:
    // Throws ScenarioError when the file cannot be opened for writing.
    explicit Journal(std::string path);

    const std::string& path() const { return path_; }
    const std::vector<JournalEntry>& entries() const { return entries_; }

    void recordAccess(AccessRecord access);
    void recordPlot(PlotRecord plot);
    void recordClose(CloseRecord close);
    void recordQuestion(QuestionRecord question);
    void recordQuit(QuitRecord quit);

private:
    std::string path_;
    std::ofstream out_;
    std::vector<JournalEntry> entries_;
    std::int64_t nextSeq_ = 0;

    void add(JournalEntry entry);
};

}  // namespace quillon::standin
