#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainSettings.h"
#include "app/win/CadSessionSlot.h"
#include "app/win/RunReportKeeper.h"
#include "app/win/RunView.h"
#include "autocad/CallMonitor.h"
#include "autocad/CallWatchdog.h"
#include "autocad/win/CadThread.h"
#include "base/TaskMailbox.h"
#include "plotting/PlotRun.h"
#include "plotting/PlotRunDisplay.h"
#include "plotting/RunDispatcher.h"
#include "plotting/RunListSnapshot.h"

namespace quillon::app {

class MainController;

// The runs and the CAD sessions that plot them: the CAD thread every call is
// made on, the further sessions of a shared run and their dispatcher, the
// watchdog over their calls, the restarts, and the run report.
class RunCoordinator {
public:
    explicit RunCoordinator(MainController& host);
    ~RunCoordinator();

    // The mailbox and the first CAD thread; the call timeout is read here, once.
    void start();
    // Work for the CAD thread; dropped once the application could not be started.
    void postCad(std::function<void(autocad::CadSession&)> job);
    void drainMail();
    void startRun(plotting::RunKind kind);
    bool active() const { return runActive_; }
    void requestStop() { runStop_->store(true); }
    // Watches every session's call, once a second.
    void watchCalls();
    RunReportKeeper& reports() { return reports_; }

    // For the way out.
    bool hasCad() const { return cad_ != nullptr; }
    // The CAD clean-up before leaving; then() runs on the window's thread once it is done.
    void postCleanUp(std::function<void()> then);
    autocad::CallMonitor* monitor() { return monitor_.get(); }
    std::vector<std::unique_ptr<CadSessionSlot>>& extraSessions() { return extraSessions_; }
    void endHungApplication(std::uint32_t process, autocad::CallMonitor& monitor);
    void abandonCadThread(const std::string& why);

    // A call longer than this is named in Status.
    static constexpr auto AnnounceCallAfter = std::chrono::seconds(3);

private:
    void startCadThread();
    std::unique_ptr<autocad::CadThread> makeCadThread(std::shared_ptr<autocad::CallMonitor> monitor);
    // A run plotted by `sessions` CAD sessions side by side; the first is the usual CAD thread.
    void startSharedRun(plotting::RunKind kind, std::shared_ptr<plotting::RunListSnapshot> list,
                        const plotting::PlotSetup& setup, const std::string& panel,
                        std::shared_ptr<plotting::PlotRunDisplay> target, int sessions);
    void runEnded(std::optional<plotting::PlotRun::Ending> ending, plotting::PlotRun::Tally tally);
    // Lets the further sessions' threads end once a run is over.
    void endExtraSessions();
    // One session's call: true when the watchdog gave up on it (the session is then to be abandoned).
    bool watchCall(autocad::CallMonitor& monitor, autocad::CallWatchdog& watchdog, std::string& abandonText);

    MainController& host_;
    // How long one CAD call may take, for every session; read once at start.
    std::chrono::seconds callTimeout_ = DefaultCallTimeout;
    // What the CAD thread shows, run on the window's thread.
    std::shared_ptr<base::TaskMailbox> mailbox_;
    std::shared_ptr<autocad::CallMonitor> monitor_;
    std::unique_ptr<autocad::CadThread> cad_;
    autocad::CallWatchdog watchdog_;

    std::shared_ptr<RunView> runView_;
    // The run's own Stop: the CAD thread may outlive the window's interest in it.
    std::shared_ptr<std::atomic<bool>> runStop_ = std::make_shared<std::atomic<bool>>(false);
    bool runActive_ = false;
    // The sessions past the first of the run in progress, and what they share.
    std::vector<std::unique_ptr<CadSessionSlot>> extraSessions_;
    std::shared_ptr<plotting::RunDispatcher> sharedRun_;
    RunReportKeeper reports_;
    // What the watchdog last wrote into Status, and the run's line it wrote under.
    std::wstring announced_;
    std::wstring announceBase_;
};

}  // namespace quillon::app
