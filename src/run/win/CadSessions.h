#pragma once

#include <memory>

#include "autocad/CadLauncher.h"
#include "autocad/ConnectionUi.h"
#include "run/RunSession.h"

namespace quillon::run {

// The program's sessions: each a CAD thread of its own (see CadSessionOwner) talking to the application
// through the launcher, showing what it asks through the window.
class CadSessions final : public RunSessions {
public:
    CadSessions(std::shared_ptr<autocad::CadLauncher> launcher, autocad::ConnectionUi& window)
        : launcher_(std::move(launcher)), window_(window) {}

    std::unique_ptr<RunSession> make(const SessionSpec& spec) override;
    void waitForEnd(const std::vector<RunSession*>& sessions, std::chrono::milliseconds bound) override;

private:
    std::shared_ptr<autocad::CadLauncher> launcher_;
    autocad::ConnectionUi& window_;
};

}  // namespace quillon::run
