#include "app/win/ExitSequence.h"

#include <windows.h>

#include <string>

#include "app/win/AppMessages.h"
#include "app/win/MainWindow.h"
#include "win/Utf.h"

namespace quillon::app {

void ExitSequence::exitCommand() {
    if (state_ == ExitState::Open) {
        cause_ = Cause::ExitCommand;
        state_ = ExitState::StoppingRun;
    }
    proceed();
}

void ExitSequence::closeRequested() {
    if (state_ == ExitState::Unloaded || state_ == ExitState::Gone) return;
    cause_ = Cause::WindowClosed;
    if (state_ == ExitState::Open) state_ = ExitState::StoppingRun;
    proceed();
}

void ExitSequence::setClosing() {
    if (state_ == ExitState::Open) {
        state_ = ExitState::StoppingRun;
        cause_ = Cause::WindowClosed;
    }
}

void ExitSequence::proceed() {
    if (state_ == ExitState::Open || state_ == ExitState::Gone || state_ == ExitState::Asking) return;
    if (!requestedAt_) requestedAt_ = autocad::CallMonitor::Clock::now();
    // A search or run in progress ends first; the run closes the drawing it opened.
    host_.stopSearch();
    run::CadExit& runs = runs_;
    runs.requestStop();
    if (runs.active()) return;  // going on when the run reports back
    if (state_ == ExitState::CleaningUp || state_ == ExitState::Unloaded) return;  // going on when the clean-up does
    HWND window = host_.window().hwnd();

    if (cause_ == Cause::ExitCommand) {
        // Exit: the CAD clean-up first, then the window closes as from its title bar.
        if (!runs.hasCad()) {
            SendMessageW(window, WM_CLOSE, 0, 0);
            return;
        }
        state_ = ExitState::CleaningUp;
        runs.postCleanUp([this, window] {
            if (state_ == ExitState::Asking && resumeTo_ == ExitState::CleaningUp) {
                // Done while a question is open: the window closes once it is answered.
                resumeTo_ = ExitState::StoppingRun;
                cause_ = Cause::WindowClosed;
                return;
            }
            if (state_ != ExitState::CleaningUp) return;
            state_ = ExitState::StoppingRun;
            SendMessageW(window, WM_CLOSE, 0, 0);
        });
        return;
    }
    // Query-unload: the help viewer's windows go with the program.
    host_.closeHelp();
    // Unload: the other windows first, then the settings, then the CAD clean-up.
    host_.closeAbout();
    if (!IsIconic(window)) host_.saveSettings();
    state_ = ExitState::Unloaded;
    if (!runs.hasCad()) {
        destroyWindow();
        return;
    }
    runs.postCleanUp([this] {
        if (state_ == ExitState::Asking && resumeTo_ == ExitState::Unloaded) resumeTo_ = ExitState::Gone;
        if (state_ == ExitState::Unloaded) destroyWindow();
    });
}

void ExitSequence::destroyWindow() {
    state_ = ExitState::Gone;
    DestroyWindow(host_.window().hwnd());
}

bool ExitSequence::leaveWithoutCad() {
    switch (state_) {
        case ExitState::Open: return false;
        case ExitState::Gone:
        case ExitState::Asking: return true;  // the answer's turn goes on from what is there then
        case ExitState::Unloaded: destroyWindow(); return true;
        case ExitState::CleaningUp:
        case ExitState::StoppingRun:
            // Nothing of the user's is touched, and nothing more is waited for.
            cause_ = Cause::WindowClosed;
            state_ = ExitState::StoppingRun;
            proceed();
            return true;
    }
    return true;
}

void ExitSequence::onClockTick() {
    if (!requestedAt_ || questionAsked_) return;
    if (state_ != ExitState::StoppingRun && state_ != ExitState::CleaningUp && state_ != ExitState::Unloaded) return;
    if (state_ == ExitState::StoppingRun && !runs_.active()) return;
    if (autocad::CallMonitor::Clock::now() - *requestedAt_ < ExitWaitBeforeAsking) return;
    Question question;
    question.further = runs_.hungFurtherCalls(ExitWaitBeforeAsking);
    if (question.further.empty()) question.main = runs_.hungMainCall(ExitWaitBeforeAsking);
    if (question.further.empty() && !question.main) return;
    questionAsked_ = true;
    if (host_.unattended()) {
        // No one is there to answer: what Quillon started is ended, the user's own is left as it is.
        answer(question, true);
        return;
    }
    question_ = std::move(question);
    resumeTo_ = state_;
    state_ = ExitState::Asking;
    PostMessageW(host_.window().hwnd(), kExitQuestionMessage, 0, 0);
}

void ExitSequence::askNow() {
    if (state_ != ExitState::Asking) return;
    const Question question = question_;
    HWND window = host_.window().hwnd();
    bool yes = true;
    if (!question.further.empty()) {
        const auto& first = question.further.front();
        const std::string text = "An AutoCAD session Quillon started has not answered " + first.call + " for " +
                                 first.waited + ".\r\nEnd the AutoCAD sessions that do not answer and leave now?";
        yes = MessageBoxW(window, win::toWide(text).c_str(), L"Quillon", MB_YESNO | MB_ICONQUESTION) == IDYES;
    } else if (question.main->endable) {
        const std::string text = "AutoCAD has not answered " + question.main->call + " for " + question.main->waited +
                                 ".\r\nEnd the AutoCAD that Quillon started and leave now?";
        yes = MessageBoxW(window, win::toWide(text).c_str(), L"Quillon", MB_YESNO | MB_ICONQUESTION) == IDYES;
    } else {
        host_.showInformation("Quillon", "AutoCAD has not answered " + question.main->call + " for " +
                                             question.main->waited +
                                             ".\r\nIt is left running as it is, with your drawings; Quillon leaves "
                                             "without waiting further.");
    }
    // Whatever happened while the box was open (the call answered, the run ended, the session was given up
    // on) is what the answer is checked against now.
    state_ = resumeTo_;
    if (state_ == ExitState::Gone) {
        destroyWindow();
        return;
    }
    answer(question, yes);
    resume();
}

void ExitSequence::answer(const Question& question, bool endWhatQuillonStarted) {
    run::CadExit& runs = runs_;
    if (!question.further.empty()) {
        // Their calls then fail, their sessions end and the way out goes on.
        if (endWhatQuillonStarted)
            for (const auto& call : question.further) runs.endHungCall(call);
        return;
    }
    if (!question.main || !runs.stillHung(*question.main)) return;
    if (question.main->endable) {
        if (!endWhatQuillonStarted || !runs.endHungCall(*question.main)) return;
        runs.giveUpCad("AutoCAD was ended; Quillon is leaving.");
        return;
    }
    runs.giveUpCad("AutoCAD is left as it is; Quillon is leaving.");
}

void ExitSequence::resume() {
    if (state_ == ExitState::Gone || state_ == ExitState::Asking) return;
    if (runs_.hasCad() || runs_.active()) {
        proceed();
        return;
    }
    // The sessions were given up on meanwhile: the clean-up they were to do never reports back.
    if (state_ == ExitState::Unloaded) {
        destroyWindow();
        return;
    }
    cause_ = Cause::WindowClosed;
    state_ = ExitState::StoppingRun;
    proceed();
}

}  // namespace quillon::app
