#pragma once

#include <chrono>
#include <optional>
#include <vector>

#include "run/CadExit.h"
#include "app/win/ExitHost.h"
#include "autocad/CallMonitor.h"

namespace quillon::app {

// Where the way out stands. Exit (the menu, the button) cleans up the CAD
// side first and then closes the window as its title bar does; closing the
// window unloads it (help, About, settings), cleans up the CAD side and
// destroys it. A run or search in progress is stopped and ended first.
enum class ExitState {
    Open,         // no way out asked for
    StoppingRun,  // the run was told to stop; the way out goes on when it ends
    CleaningUp,   // Exit: the CAD clean-up runs, then the window closes
    Unloaded,     // the window is unloaded: the CAD clean-up runs, then the window goes
    Asking,       // a question about a call that does not answer is open; where it was is kept aside
    Gone          // the window is destroyed
};

// The way out as one state machine. A question is one of its states: it is
// shown from a message of its own (never inside a timer tick or a mailbox
// task), and its answer is checked against what runs at that moment before
// anything is ended. With /run no question is ever shown: what would have been
// asked is decided and said on the console, in Status and in the report.
class ExitSequence {
public:
    ExitSequence(ExitHost& host, run::CadExit& runs) : host_(host), runs_(runs) {}

    // Exit from the menu or the button.
    void exitCommand();
    // The window is asked to close for any reason.
    void closeRequested();
    void proceed();
    void onClockTick();
    // The question's own message.
    void askNow();

    ExitState state() const { return state_; }
    bool closing() const { return state_ != ExitState::Open; }
    // The CAD application could not be started: the window closes at once.
    void setClosing();
    bool unloaded() const { return state_ == ExitState::Unloaded || state_ == ExitState::Gone; }
    // A way out is under way: what ends a run goes on with it.
    bool leaving() const { return state_ != ExitState::Open; }
    // After the CAD sessions were given up on: true when the program is leaving (it then goes without them).
    bool leaveWithoutCad();

    // Leaving Quillon waits this long for a call in progress before asking.
    static constexpr auto ExitWaitBeforeAsking = std::chrono::seconds(5);

private:
    enum class Cause { ExitCommand, WindowClosed };
    // What the open question is about.
    struct Question {
        std::vector<run::HungCall> further;
        std::optional<run::HungCall> main;
    };
    void destroyWindow();
    void resume();
    // The answer, given by the user or (with /run) decided: true ends what Quillon started.
    void answer(const Question& question, bool endWhatQuillonStarted);

    ExitHost& host_;
    run::CadExit& runs_;
    ExitState state_ = ExitState::Open;
    ExitState resumeTo_ = ExitState::Open;
    Cause cause_ = Cause::WindowClosed;
    bool questionAsked_ = false;
    Question question_;
    std::optional<autocad::CallMonitor::Clock::time_point> requestedAt_;
};

}  // namespace quillon::app
