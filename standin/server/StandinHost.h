#pragma once

#include <functional>
#include <memory>

#include "standin/Engine.h"
#include "standin/server/NameLookups.h"
#include "standin/server/NameTable.h"

namespace quillon::standin_server {

// What every exposed object shares: the engine, the member names, and the
// process's reactions to the engine's life events.
struct StandinHost {
    std::shared_ptr<standin::Engine> engine;
    NameTable names;
    NameLookups lookups;
    // Application.Quit has returned: end the process once the reply is out.
    std::function<void()> onQuit = [] {};
    // The engine has died (an injected crash). Called again, with immediate
    // set, when a call arrives at a dead engine: no reply may leave then.
    std::function<void(bool immediate)> onCrash = [](bool) {};
    // The last strong connection from a client (or lock on the server) is gone.
    std::function<void()> onLastConnection = [] {};

    void addConnection() { ++connections_; }
    void releaseConnection() {
        if (connections_ > 0 && --connections_ == 0) onLastConnection();
    }
    long connections() const { return connections_; }

private:
    long connections_ = 0;
};

}  // namespace quillon::standin_server
