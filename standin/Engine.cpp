#include "standin/Engine.h"

#include <fstream>
#include <iterator>
#include <mutex>

#include "standin/EngineState.h"
#include "standin/EnvironmentText.h"
#include "standin/Handles.h"
#include "standin/PathText.h"
#include "standin/ScenarioParser.h"

namespace quillon::standin {

Engine::Engine(std::shared_ptr<EngineState> state) : state_(std::move(state)) {}

Engine::~Engine() {
    std::lock_guard<std::mutex> lock(state_->mutex());
    state_->plots().end();
}

std::shared_ptr<Engine> Engine::load(const std::string& scenarioPath) {
    std::ifstream in(toFsPath(scenarioPath), std::ios::binary);
    if (!in) throw ScenarioError("scenario: cannot read " + scenarioPath);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string folder = folderOf(scenarioPath);
    return fromJson(text, folder.empty() ? std::string(".") : folder);
}

std::shared_ptr<Engine> Engine::fromJson(std::string_view scenarioJson, const std::string& baseDir) {
    Scenario scenario = ScenarioParser::parse(scenarioJson, baseDir);
    std::string journal = withProcessId(environmentText("QUILLON_STANDIN_JOURNAL").value_or(scenario.journal));
    auto state = std::make_shared<EngineState>(std::move(scenario), baseDir, std::move(journal));
    return std::shared_ptr<Engine>(new Engine(std::move(state)));
}

automation::ObjectPtr Engine::application() {
    std::lock_guard<std::mutex> lock(state_->mutex());
    return applicationObject(state_);
}

bool Engine::quitRequested() const {
    std::lock_guard<std::mutex> lock(state_->mutex());
    return state_->quitRequested;
}

bool Engine::crashed() const {
    std::lock_guard<std::mutex> lock(state_->mutex());
    return state_->faults().crashed();
}

const std::string& Engine::journalPath() const { return state_->journal().path(); }

std::vector<JournalEntry> Engine::journal() const {
    std::lock_guard<std::mutex> lock(state_->mutex());
    state_->plots().settle();
    return state_->journal().entries();
}

std::int64_t Engine::callCount() const {
    std::lock_guard<std::mutex> lock(state_->mutex());
    return state_->faults().calls();
}

void Engine::setWindowHandle(std::int64_t window) {
    std::lock_guard<std::mutex> lock(state_->mutex());
    state_->windowHandle = window;
}

void Engine::loadSingleDocumentAddOn(int mode) {
    std::lock_guard<std::mutex> lock(state_->mutex());
    state_->variables().setByApplication("SDI", automation::Value(static_cast<std::int16_t>(mode)));
}

void Engine::kill() { state_->killed = true; }

}  // namespace quillon::standin
