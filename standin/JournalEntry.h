#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace quillon::standin {

enum class JournalEntryType { Start, Access, Plot, Close, Quit, Question };

// One member access: a property read or write, a method call or an enumeration.
struct AccessRecord {
    std::string object;  // the object's label
    std::string member;  // "_NewEnum" for an enumeration
    std::string kind;    // "get", "put", "call" or "enum"
    nlohmann::json args = nlohmann::json::array();
    std::vector<std::string> argKinds;  // automation type of each argument: "int16", "text", ...
    // False when the server refused the call without running it (busy or dead).
    bool executed = true;
    nlohmann::json result;  // null for none; objects as {"object": label}
    std::string errorCode;  // "0x80004005"; empty when the access succeeded
    std::string errorDescription;

    bool failed() const { return !errorCode.empty(); }
};

// One plot job, with the page setup in force when it was plotted.
struct PlotRecord {
    std::string drawing;  // full path, or the name of a never-saved drawing
    std::string layout;
    std::string device;
    std::string media;
    std::string styleSheet;
    int copies = 1;
    int rotation = 0;
    int plotType = 0;
    int standardScale = 0;
    bool useStandardScale = false;
    bool centerPlot = false;
    bool plotWithPlotStyles = false;
    std::optional<std::string> plotFile;  // the file written, for PlotToFile
    bool toDevice = false;
    bool succeeded = false;
    bool quietErrorMode = false;
    int backgroundPlot = 0;
    // Queued to run in the background; lost when its document closed before it finished.
    bool background = false;
    bool lost = false;
};

// One document closed, and whether it was saved (the engine marks the file
// as a save would change it).
struct CloseRecord {
    std::string document;
    std::optional<bool> saveChanges;  // unset when the caller left it out: true
    bool modified = false;
    bool readOnly = false;
    bool wouldSave = false;
    // Modified and closed to make room for another under SDI 2 or 3: the user was asked whether to save it.
    bool wouldPrompt = false;
};

// Application.Quit: the application asks about each modified document
// before it goes, and waits on that question for ever when nobody answers.
struct QuitRecord {
    std::vector<std::string> modified;  // documents with unsaved changes
    bool wouldPrompt = false;
};

// A question the real application would ask its user while it opens a drawing (a modal box inside
// Documents.Open), and the profile variable whose value made it ask.
struct QuestionRecord {
    std::string drawing;
    std::string variable;  // "PROXYNOTICE"
};

struct JournalEntry {
    std::int64_t seq = 0;
    JournalEntryType type = JournalEntryType::Access;
    AccessRecord access;
    PlotRecord plot;
    CloseRecord close;
    QuitRecord quit;
    QuestionRecord question;
};

}  // namespace quillon::standin
