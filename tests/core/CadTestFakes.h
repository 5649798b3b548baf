#pragma once

#include <string>

#include "autocad/CadLauncher.h"
#include "autocad/ConnectionUi.h"
#include "automation/AutomationError.h"

namespace quillon::testing {

// Hands the connection a stand-in engine's application as the running one;
// starting a new application always fails.
class EngineLauncher : public autocad::CadLauncher {
public:
    automation::ObjectPtr application;
    automation::ObjectPtr connectRunning() override { return application; }
    automation::ObjectPtr createInstance() override {
        throw automation::AutomationError(automation::hresult::ClassString, "no class");
    }
};

// A main window that shows nothing.
class SilentUi : public autocad::ConnectionUi {
public:
    void setStatus(const std::string&) override {}
    void hideMainWindow() override {}
    void showMainWindow() override {}
};

}  // namespace quillon::testing
