#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "automation/AutoObject.h"
#include "standin/DeviceCatalog.h"
#include "standin/DocumentSession.h"
#include "standin/DrawingFactory.h"
#include "standin/FaultPlan.h"
#include "standin/Journal.h"
#include "standin/OpenQuestions.h"
#include "standin/PlotQueue.h"
#include "standin/Scenario.h"
#include "standin/SystemVariables.h"

namespace quillon::standin {

// Everything one running engine knows: shared by the Engine and every object
// it hands out, so objects stay usable however they are held.
class EngineState {
public:
    EngineState(Scenario scenario, std::string baseDir, std::string journalPath);
    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    // One call at a time, whichever thread the caller uses.
    std::mutex& mutex() { return mutex_; }

    const Scenario& scenario() const { return scenario_; }
    const std::string& baseDir() const { return baseDir_; }
    const DeviceCatalog& devices() const { return devices_; }
    SystemVariables& variables() { return variables_; }
    FaultPlan& faults() { return faults_; }
    Journal& journal() { return journal_; }
    DocumentSession& session() { return session_; }
    PlotQueue& plots() { return plots_; }

    bool visible = false;
    bool quitRequested = false;
    // Plots to a file made so far, for a plot folder that goes away after some.
    std::int64_t filePlots = 0;
    // Application.HWND: a window of the process hosting the engine.
    std::int64_t windowHandle = 0;
    // Set from any thread without the lock: releases a hanging call as a dead server.
    std::atomic<bool> killed{false};
    std::weak_ptr<automation::AutoObject> applicationHandle;
    std::weak_ptr<automation::AutoObject> documentsHandle;
    std::weak_ptr<automation::AutoObject> preferencesHandle;
    std::weak_ptr<automation::AutoObject> preferencesOutputHandle;
    // Preferences.Output.DefaultPlotToFilePath: where a plot to a file nobody named goes.
    std::string defaultPlotToFilePath;

private:
    std::mutex mutex_;
    Scenario scenario_;
    std::string baseDir_;
    DeviceCatalog devices_;
    SystemVariables variables_;
    FaultPlan faults_;
    Journal journal_;
    PlotQueue plots_;
    DrawingFactory factory_;
    OpenQuestions questions_;
    DocumentSession session_;
};

}  // namespace quillon::standin
