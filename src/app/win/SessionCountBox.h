#pragma once

#include <optional>

#include "app/SettingsStore.h"

namespace quillon::app {

class PaneHost;

// "CAD sessions": how many CAD applications a run plots with side by side,
// saved as the user changes it; the command line's number wins until then.
class SessionCountBox {
public:
    SessionCountBox(PaneHost& host, SettingsStore& settings) : host_(host), settings_(settings) {}

    void load(std::optional<int> commandLine);
    void changed();
    // A job's number of sessions, unless the command line gave one.
    void applyJob(std::optional<int> sessions);
    // The sessions a run plots with: the command line's, else the window's.
    int runSessions() const { return override_.value_or(sessions_); }

private:
    void show(int sessions);

    PaneHost& host_;
    SettingsStore& settings_;
    int sessions_ = 1;
    std::optional<int> override_;
    bool showing_ = false;
};

}  // namespace quillon::app
