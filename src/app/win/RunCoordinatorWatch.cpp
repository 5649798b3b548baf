#include "app/win/RunCoordinator.h"

#include <commctrl.h>

#include "app/win/AppMessages.h"
#include "app/win/ControlIds.h"
#include "app/win/MainController.h"
#include "win/Utf.h"

// The watch over every session's call: named in Status when it lasts, ended
// or given up on when it hangs.
namespace quillon::app {

namespace {

constexpr const char* kLostTitle = "AutoCAD Not Responding";

}  // namespace

void RunCoordinator::watchCalls() {
    if (monitor_ && cad_) {
        std::string why;
        if (watchCall(*monitor_, watchdog_, why)) {
            abandonCadThread(why);
            return;
        }
    }
    for (std::size_t i = 0; i < extraSessions_.size(); ++i) {
        CadSessionSlot& slot = *extraSessions_[i];
        std::string why;
        if (slot.ended || !slot.thread || !watchCall(*slot.monitor, slot.watchdog, why)) continue;
        // Only an application whose process is unknown gets here: the run goes on without that session.
        slot.thread->abandon();
        slot.ended = true;
        host_.setStatus(why);
        if (sharedRun_ && sharedRun_->sessionEnded(static_cast<int>(i) + 1, plotting::PlotRun::Ending::ApplicationLost, 0))
            mailbox_->post([this, run = sharedRun_] { runEnded(run->ending(), run->tally()); });
    }
}

bool RunCoordinator::watchCall(autocad::CallMonitor& monitor, autocad::CallWatchdog& watchdog, std::string& abandonText) {
    const auto verdict = watchdog.check(monitor.snapshot(), autocad::CallMonitor::Clock::now());
    using Action = autocad::CallWatchdog::Verdict::Action;
    MainWindow& window = host_.window();
    switch (verdict.action) {
        case Action::None: return false;
        case Action::Announce: {
            // Shown under the first line of what the run last said, which stays.
            std::wstring shown = window.text(ids::Status);
            if (shown != announced_) {
                const auto lineEnd = shown.find(L"\r\n", shown.empty() || shown.rfind(L"\r\n", 0) != 0 ? 0 : 2);
                announceBase_ = lineEnd == std::wstring::npos ? shown : shown.substr(0, lineEnd);
            }
            announced_ = announceBase_ + L"\r\n" + win::toWide(verdict.text);
            window.setText(ids::Status, announced_);
            return false;
        }
        case Action::EndProcess:
            host_.setStatus(verdict.text);
            endHungApplication(verdict.process, monitor);
            return false;
        case Action::Abandon: abandonText = verdict.text; return true;
    }
    return false;
}

void RunCoordinator::endHungApplication(std::uint32_t process, autocad::CallMonitor& monitor) {
    monitor.markEndedByWatchdog();
    // The hung call then fails as a lost server on the CAD thread, which starts a new application and goes on.
    if (HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process)) {
        TerminateProcess(handle, 1);
        CloseHandle(handle);
    }
}

void RunCoordinator::abandonCadThread(const std::string& why) {
    // The user's own application is never ended: Quillon stops waiting on it instead.
    runStop_->store(true);
    mailbox_->close();
    cad_->abandon();
    cad_.reset();
    // The further sessions stop at their next call and quit their applications by themselves.
    for (auto& slot : extraSessions_)
        if (slot->thread) slot->thread->abandon();
    extraSessions_.clear();
    sharedRun_.reset();
    host_.boxes().cadThreadLost();
    host_.exitSequence().cleanUpLost();
    if (runActive_) {
        runActive_ = false;
        runView_.reset();
        reports_.end();
        SendMessageW(host_.window().control(ids::ProgressBar1), PBM_SETPOS, 0, 0);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        host_.setBusy(false);
    }
    host_.setStatus(why);
    // Leaving: nothing of the user's is touched, and nothing more is waited for.
    if (host_.exitSequence().leaveWithoutCad()) return;
    // The next use connects anew, on a thread of its own.
    mailbox_ = std::make_shared<base::TaskMailbox>(
        [hwnd = host_.window().hwnd()] { PostMessageW(hwnd, kCadMailMessage, 0, 0); });
    startCadThread();
    if (host_.job().unattended()) {
        host_.job().runEnded(plotting::PlotRun::Ending::ApplicationLost, {});
        return;
    }
    host_.showInformation(kLostTitle, why + "\r\nThe next run connects to AutoCAD again.");
}

}  // namespace quillon::app
