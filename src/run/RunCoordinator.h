#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "autocad/CallMonitor.h"
#include "autocad/OwedVariables.h"
#include "base/TaskMailbox.h"
#include "plotting/PlotRun.h"
#include "plotting/PlotRunDisplay.h"
#include "plotting/RunDeadline.h"
#include "plotting/RunDispatcher.h"
#include "plotting/RunListSnapshot.h"
#include "plotting/pdf/CombinePlan.h"
#include "plotting/pdf/RunCombine.h"
#include "plotting/record/RunLedger.h"
#include "plotting/record/RunRecordWriter.h"
#include "run/CadExit.h"
#include "run/RunHost.h"
#include "run/RunRequest.h"
#include "run/RunSession.h"

namespace quillon::run {

// What the sessions are made with, read from the settings once at start.
struct RunSettings {
    // How long one CAD call may take, and opening one drawing.
    std::chrono::seconds callTimeout{600};
    std::chrono::seconds openTimeout{120};
    // How often Quillon's own application starts afresh (0: never), and the memory past which it does.
    int restartEvery = 100;
    std::uint64_t memoryLimitMB = 0;
    // What every session owes the user's profile.
    std::shared_ptr<autocad::OwedVariables> owed;
};


// The runs and the CAD sessions that plot them: the first session, which
// every other use of the CAD application goes through too, the further
// sessions of a shared run and their dispatcher, the watch over every call,
// and the run report.
//
// A run is known by its generation: whatever a run posts goes through a
// mailbox of its own, closed when the run is over, and the end of a run,
// which always arrives (a task dropped unrun or ending in an exception says so
// too), counts only for the run in progress.
class RunCoordinator final : public CadExit {
public:
    explicit RunCoordinator(RunHost& host);
    ~RunCoordinator() override;

    // The first session, its tasks for the window's thread posted to `mailbox`.
    void start(std::shared_ptr<base::TaskMailbox> mailbox, RunSettings settings);
    // Work for the first session; dropped once the application could not be started.
    void postCad(RunSession::Task task);
    // A run as the request says: the request is all it reads.
    void startRun(RunRequest request);
    bool active() const override { return run_ != nullptr; }
    void requestStop() override;
    // Watches every session's call, once a second.
    void watchCalls();

    // For the way out.
    bool hasCad() const override { return main_ != nullptr; }
    // The CAD clean-up before leaving; then() runs on the window's thread once it is done.
    void postCleanUp(std::function<void()> then) override;
    std::optional<HungCall> hungMainCall(autocad::CallMonitor::Clock::duration after) override;
    std::vector<HungCall> hungFurtherCalls(autocad::CallMonitor::Clock::duration after) override;
    // Ends the application of that call if the same call still hangs now; false when nothing was ended.
    bool endHungCall(const HungCall& call) override;
    // Whether the first session is still inside that very call.
    bool stillHung(const HungCall& call) override;
    // Gives up on every session: their runs end, the program goes on (or leaves) without them.
    void giveUpCad(const std::string& why) override;

    // A call longer than this is named in Status.
    static constexpr auto AnnounceCallAfter = std::chrono::seconds(3);

private:
    // The run in progress, as the window holds it.
    struct ActiveRun {
        std::uint64_t generation = 0;
        // Everything the run shows passes through here; closed when the run is over.
        std::shared_ptr<base::TaskMailbox> mail;
        std::shared_ptr<plotting::RunLedger> ledger;
        std::shared_ptr<plotting::PlotRunDisplay> view;
        // The run's Stop, and each session's own (set by the run's Stop or when the session is given up on).
        std::shared_ptr<std::atomic<bool>> stop;
        std::vector<std::shared_ptr<std::atomic<bool>>> sessionStops;
        // A shared run's dispatcher and its sessions past the first.
        std::shared_ptr<plotting::RunDispatcher> dispatcher;
        std::vector<std::unique_ptr<RunSession>> further;
        // Why the run was given up on; said on the rows it never finished.
        std::string lostBecause;
        plotting::PlotSetup setup;
        // The job file and folder the run's combined file is named after.
        std::string jobFile;
        bool jobHadFolder = false;
        std::string listedFolder;
        // A part's job folder: a part lists its own drawings, not the folder, yet its register is the job's.
        std::string partBase;
        // The local time the run ends by, as Stop ends it; none: no deadline (or it has been reached).
        std::optional<plotting::RunDeadline> deadline;
        std::string deadlineText;
        // The run's record: its names, every row as written, its combined files.
        std::shared_ptr<plotting::RunRecordWriter> record;
        // The sheets are being combined: the run is over but for that, and Stop and Exit still reach it.
        bool combining = false;
    };

    std::unique_ptr<RunSession> makeSession();
    // What a run starting now shows through: the host's display, and whom it tells.
    std::shared_ptr<plotting::PlotRunDisplay> makeView(const RunRequest& request);
    // A run plotted by the first session alone.
    void startSingleRun(plotting::RunKind kind, std::shared_ptr<plotting::RunListSnapshot> list,
                        const plotting::PlotSetup& setup);
    // A run plotted by `sessions` CAD sessions side by side; the first is the first session.
    void startSharedRun(plotting::RunKind kind, std::shared_ptr<plotting::RunListSnapshot> list,
                        const plotting::PlotSetup& setup, int sessions);
    void runEnded(std::uint64_t generation, std::optional<plotting::PlotRun::Ending> ending,
                  plotting::PlotRun::Tally tally);
    // What is left once every drawing has its rows (and the sheets are combined, if asked).
    void finishRun(std::unique_ptr<ActiveRun> run, std::optional<plotting::PlotRun::Ending> ending,
                   const plotting::PlotRun::Tally& tally);
    // Combines the run's PDF sheets off the window's thread; false when the run asks for none.
    bool startCombining(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally);
    plotting::CombineNaming combineNaming(const ActiveRun& run) const;
    // What the combiner is given: the run's rows, names and choices, as the record has them.
    plotting::RunCombineInput combineInput(ActiveRun& run) const;
    // The combined files are written (or not): said, then the run finishes, if it is still the one in progress.
    void combiningEnded(std::uint64_t generation, std::optional<plotting::PlotRun::Ending> ending,
                        const plotting::PlotRun::Tally& tally, const std::vector<plotting::ReportRow>& rows);
    // Status's summary line, as the run's record has it.
    void showSummary(const std::string& summary);
    // Posts the end of a run to the window's mailbox, where it counts only for that run.
    std::function<void(std::optional<plotting::PlotRun::Ending>, const plotting::PlotRun::Tally&)> endSignal(
        std::uint64_t generation);
    // One session's call: the Status text when the watchdog gave up on it (the session is then given up on).
    std::optional<std::string> watchCall(RunSession& session);
    // The reason the drawing in hand of a session given up on fails with, from the call it was waiting on.
    static std::string givenUpReason(RunSession& session);
    void giveUpFurtherSession(std::size_t index, const std::string& why);
    // The reason a drawing in hand fails when its session is given up on, with what is left changed in the
    // application (also said on the console of an unattended run).
    std::string leftBehind(const std::string& why, const RunSession& session) const;
    // The first session of a shared run given up on: the run goes on with the other sessions, or ends as
    // they leave it. False (nothing done) when no shared run goes, or Quillon is leaving.
    bool giveUpFirstSessionOnly(const std::string& why);
    // A shared run whose drawings are all done ends even while a session is still starting.
    void endSettledRun();
    RunSession* findSession(std::uint64_t id);

    RunHost& host_;
    RunSettings settings_;
    // What the sessions show, run on the window's thread; each session and each run posts through its own child.
    std::shared_ptr<base::TaskMailbox> mailbox_;
    std::unique_ptr<RunSession> main_;
    std::unique_ptr<ActiveRun> run_;
    std::uint64_t generations_ = 0;
    // Sessions let go or given up on whose threads may still run: waited for, bounded, when the program ends.
    std::vector<std::unique_ptr<RunSession>> retired_;
    // The thread that combines a run's sheets; joined before the next and at the end. Only the program
    // going away stops it (a resume makes the file then): a combine once begun is the run's last step, and
    // Stop and /until end plotting.
    std::thread combiner_;
    std::shared_ptr<std::atomic<bool>> exiting_ = std::make_shared<std::atomic<bool>>(false);
    // What the watchdog last wrote into Status, and the run's line it wrote under.
    std::string announced_;
    std::string announceBase_;
};

}  // namespace quillon::run
