#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "automation/AutomationError.h"
#include "automation/AutoObject.h"
#include "standin/Engine.h"
#include "standin/EngineObject.h"
#include "standin/JournalReader.h"

namespace quillon::standin::testing {

namespace fs = std::filesystem;
using automation::AutomationError;
using automation::ObjectPtr;
using automation::Value;
using nlohmann::json;

// A scratch folder holding real files, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = fs::temp_directory_path() /
                ("quillon-standin-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path() const { return path_.string(); }
    std::string file(const std::string& relative, const std::string& content = "") const {
        fs::path p = path_ / relative;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return p.string();
    }
    std::string folder(const std::string& relative) const {
        fs::create_directories(path_ / relative);
        return (path_ / relative).string();
    }
    std::string at(const std::string& relative) const { return (path_ / relative).string(); }

private:
    fs::path path_;
};

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A fixture with a scratch folder and an engine built from a scenario in it.
class StandinTest : public ::testing::Test {
protected:
    TempFolder dir;
    std::shared_ptr<Engine> engine;
    ObjectPtr app;

    void start(const json& scenario = json::object()) {
        engine = Engine::fromJson(scenario.dump(), dir.path());
        app = engine->application();
    }
    ObjectPtr documents() { return app->object("Documents"); }
    ObjectPtr open(const std::string& path, bool readOnly = true) {
        return documents()->call("Open", {Value(path), Value(readOnly)}).toObject();
    }
    ObjectPtr activeDocument() { return app->object("ActiveDocument"); }
    std::vector<PlotRecord> plots() const { return plotsIn(engine->journal()); }
    std::vector<AccessRecord> accesses() const { return accessesIn(engine->journal()); }
};

// Runs an automation call expected to fail and gives back its error.
template <class Call>
AutomationError failureOf(Call&& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return e;
    }
    ADD_FAILURE() << "the call succeeded";
    return AutomationError(0, "");
}

inline std::vector<std::string> namesOf(const std::vector<ObjectPtr>& objects) {
    std::vector<std::string> names;
    for (const auto& o : objects) names.push_back(o->get("Name").toText());
    return names;
}

}  // namespace quillon::standin::testing
