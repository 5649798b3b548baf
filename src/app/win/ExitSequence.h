#pragma once

#include <chrono>
#include <optional>

#include "autocad/CallMonitor.h"

namespace quillon::app {

class MainController;

// The way out: a search or run in progress is stopped and ended first, then
// the CAD clean-up, then the window goes. Each step goes on when the one
// before reports back; a CAD call that does not answer is asked about.
class ExitSequence {
public:
    explicit ExitSequence(MainController& host) : host_(host) {}

    // Exit from the menu or the button: the CAD clean-up first, then the window closes as from its title bar.
    void exitCommand();
    // The window is asked to close for any reason.
    void closeRequested();
    void proceed();
    void onClockTick();

    bool closing() const { return closing_; }
    void setClosing() { closing_ = true; }
    bool unloaded() const { return unloaded_; }
    // A way out is under way: what ends a run goes on with it.
    bool leaving() const { return closing_ || exitCommandPending_ || closePending_; }
    // The CAD thread was given up on: its clean-up never reports back.
    void cleanUpLost() { cleanUpPosted_ = false; }
    // After the CAD thread was given up on: true when the program is leaving (it then goes without it).
    bool leaveWithoutCad();

    // Leaving Quillon waits this long for a call in progress before asking.
    static constexpr auto ExitWaitBeforeAsking = std::chrono::seconds(5);

private:
    void askAboutHungCallAtExit();
    void askAboutHungExtraSessionsAtExit();

    MainController& host_;
    bool closing_ = false;
    bool exitCommandPending_ = false;
    bool closePending_ = false;
    bool unloaded_ = false;
    bool cleanUpPosted_ = false;
    bool exitQuestionAsked_ = false;
    std::optional<autocad::CallMonitor::Clock::time_point> exitRequestedAt_;
};

}  // namespace quillon::app
