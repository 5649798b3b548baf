#include "standin/Journal.h"

#include "standin/JournalFormat.h"
#include "standin/PathText.h"
#include "standin/ScenarioError.h"

namespace quillon::standin {

Journal::Journal(std::string path) : path_(std::move(path)) {
    if (!path_.empty()) {
        // Binary mode: one "\n" per line on every platform.
        out_.open(toFsPath(path_), std::ios::out | std::ios::app | std::ios::binary);
        if (!out_) throw ScenarioError("scenario: cannot write the journal file " + path_);
    }
    // A start line separates the runs of successive engines sharing one file.
    JournalEntry start;
    start.type = JournalEntryType::Start;
    add(std::move(start));
}

void Journal::recordAccess(AccessRecord access) {
    JournalEntry entry;
    entry.type = JournalEntryType::Access;
    entry.access = std::move(access);
    add(std::move(entry));
}

void Journal::recordPlot(PlotRecord plot) {
    JournalEntry entry;
    entry.type = JournalEntryType::Plot;
    entry.plot = std::move(plot);
    add(std::move(entry));
}

void Journal::recordClose(CloseRecord close) {
    JournalEntry entry;
    entry.type = JournalEntryType::Close;
    entry.close = std::move(close);
    add(std::move(entry));
}

void Journal::recordQuestion(QuestionRecord question) {
    JournalEntry entry;
    entry.type = JournalEntryType::Question;
    entry.question = std::move(question);
    add(std::move(entry));
}

void Journal::recordQuit(QuitRecord quit) {
    JournalEntry entry;
    entry.type = JournalEntryType::Quit;
    entry.quit = std::move(quit);
    add(std::move(entry));
}

void Journal::add(JournalEntry entry) {
    entry.seq = nextSeq_++;
    if (out_.is_open()) {
        // Invalid UTF-8 from a caller is replaced rather than allowed to lose the line.
        out_ << JournalFormat::toJson(entry).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        out_.flush();
    }
    entries_.push_back(std::move(entry));
}

}  // namespace quillon::standin
