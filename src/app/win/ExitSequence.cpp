#include "app/win/ExitSequence.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/win/MainController.h"
#include "autocad/CallWatchdog.h"
#include "win/Utf.h"

namespace quillon::app {

void ExitSequence::exitCommand() {
    exitCommandPending_ = true;
    proceed();
}

void ExitSequence::closeRequested() {
    closing_ = true;
    closePending_ = true;
    proceed();
}

void ExitSequence::proceed() {
    if (unloaded_ && !cleanUpPosted_) return;
    if (!exitRequestedAt_) exitRequestedAt_ = autocad::CallMonitor::Clock::now();
    // A search or run in progress ends first; the run closes the drawing it opened.
    host_.search().requestStop();
    host_.runs().requestStop();
    RunCoordinator& runs = host_.runs();
    if (runs.active() || cleanUpPosted_) return;  // going on when the run or the clean-up reports back
    HWND window = host_.window().hwnd();

    if (exitCommandPending_) {
        // Exit: the CAD clean-up first, then the window closes as from its title bar.
        exitCommandPending_ = false;
        if (!runs.hasCad()) {
            SendMessageW(window, WM_CLOSE, 0, 0);
            return;
        }
        cleanUpPosted_ = true;
        runs.postCleanUp([this, window] {
            cleanUpPosted_ = false;
            SendMessageW(window, WM_CLOSE, 0, 0);
        });
        return;
    }
    if (!closePending_) return;
    closePending_ = false;
    // Query-unload: the help viewer's windows go with the program.
    host_.closeHelp();

    // Unload: the other windows first, then the settings, then the CAD clean-up.
    host_.about().close();
    if (!IsIconic(window)) host_.saveSettings();
    unloaded_ = true;
    if (!runs.hasCad()) {
        DestroyWindow(window);
        return;
    }
    cleanUpPosted_ = true;
    runs.postCleanUp([window] { DestroyWindow(window); });
}

bool ExitSequence::leaveWithoutCad() {
    if (!closing_ && !exitRequestedAt_) return false;
    // Leaving: nothing of the user's is touched, and nothing more is waited for.
    closing_ = true;
    exitCommandPending_ = false;
    if (unloaded_) {
        DestroyWindow(host_.window().hwnd());
    } else {
        closePending_ = true;
        proceed();
    }
    return true;
}

void ExitSequence::onClockTick() {
    if (exitRequestedAt_ && (host_.runs().active() || cleanUpPosted_)) {
        askAboutHungExtraSessionsAtExit();
        askAboutHungCallAtExit();
    }
}

void ExitSequence::askAboutHungCallAtExit() {
    autocad::CallMonitor* monitor = host_.runs().monitor();
    if (exitQuestionAsked_ || !monitor) return;
    const auto call = monitor->snapshot();
    const auto now = autocad::CallMonitor::Clock::now();
    if (!call.inCall || call.waited(now) < ExitWaitBeforeAsking || now - *exitRequestedAt_ < ExitWaitBeforeAsking)
        return;
    exitQuestionAsked_ = true;
    const std::string waited = autocad::CallWatchdog::durationText(call.waited(now));
    if (call.startedByQuillon && call.serverProcess) {
        const std::string text = "AutoCAD has not answered " + call.call + " for " + waited +
                                 ".\r\nEnd the AutoCAD that Quillon started and leave now?";
        if (MessageBoxW(host_.window().hwnd(), win::toWide(text).c_str(), L"Quillon", MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
            return;
        host_.runs().endHungApplication(*call.serverProcess, *monitor);
        host_.runs().abandonCadThread("AutoCAD was ended; Quillon is leaving.");
        return;
    }
    host_.showInformation("Quillon", "AutoCAD has not answered " + call.call + " for " + waited +
                                         ".\r\nIt is left running as it is, with your drawings; Quillon leaves without "
                                         "waiting further.");
    host_.runs().abandonCadThread("AutoCAD is left as it is; Quillon is leaving.");
}

void ExitSequence::askAboutHungExtraSessionsAtExit() {
    if (exitQuestionAsked_) return;
    const auto now = autocad::CallMonitor::Clock::now();
    if (now - *exitRequestedAt_ < ExitWaitBeforeAsking) return;
    std::vector<std::pair<std::uint32_t, autocad::CallMonitor*>> hung;
    std::string call, waited;
    for (auto& slot : host_.runs().extraSessions()) {
        if (slot->ended) continue;
        const auto snapshot = slot->monitor->snapshot();
        if (!snapshot.inCall || snapshot.waited(now) < ExitWaitBeforeAsking || !snapshot.serverProcess) continue;
        hung.emplace_back(*snapshot.serverProcess, slot->monitor.get());
        call = snapshot.call;
        waited = autocad::CallWatchdog::durationText(snapshot.waited(now));
    }
    if (hung.empty()) return;
    exitQuestionAsked_ = true;
    const std::string text = "An AutoCAD session Quillon started has not answered " + call + " for " + waited +
                             ".\r\nEnd the AutoCAD sessions that do not answer and leave now?";
    if (MessageBoxW(host_.window().hwnd(), win::toWide(text).c_str(), L"Quillon", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    // Their calls then fail, their sessions end and the way out goes on.
    for (const auto& [process, monitor] : hung) host_.runs().endHungApplication(process, *monitor);
}

}  // namespace quillon::app
