#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/AutoObject.h"
#include "standin/JournalEntry.h"
#include "standin/ScenarioError.h"

namespace quillon::standin {

class EngineState;

// The stand-in CAD application: the automation object model driven by a
// scenario, recording every member access and every plot in a journal.
class Engine {
public:
    // Reads a scenario file (UTF-8 path). Relative paths inside it resolve
    // against the scenario's folder.
    static std::shared_ptr<Engine> load(const std::string& scenarioPath);
    static std::shared_ptr<Engine> fromJson(std::string_view scenarioJson, const std::string& baseDir);

    ~Engine();

    // The Application object, the root of the object model.
    automation::ObjectPtr application();

    // True once Application.Quit has been called.
    bool quitRequested() const;
    // True once an injected crash has happened; every later call fails as a dead server.
    bool crashed() const;
    // The journal file, or empty when the journal is kept in memory only. The
    // environment variable QUILLON_STANDIN_JOURNAL, when set, overrides the scenario.
    const std::string& journalPath() const;
    // Every journal line written so far, including the in-memory-only case.
    std::vector<JournalEntry> journal() const;
    // Member accesses received so far, refused ones included.
    std::int64_t callCount() const;
    // What Application.HWND answers: the host's window.
    void setWindowHandle(std::int64_t window);
    // SDI 2 or 3, as the application sets it itself when an add-on that works with one drawing is loaded
    // while it runs.
    void loadSingleDocumentAddOn(int mode);
    // Ends the engine as a killed process would end: a hanging call returns
    // as a dead server, and so does every later call. Any thread may call it.
    void kill();

private:
    explicit Engine(std::shared_ptr<EngineState> state);
    std::shared_ptr<EngineState> state_;
};

}  // namespace quillon::standin
