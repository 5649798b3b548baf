#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "plotting/PlotRun.h"
#include "plotting/PlotRunDisplay.h"
#include "plotting/PlotRunList.h"
#include "plotting/RunShare.h"

namespace quillon::plotting {

// A run plotted by several CAD sessions side by side. It hands the drawings
// out one at a time, in the single run's order (the last entry first; only
// the selected ones for the selection run), and owns what the window shows
// of the run as a whole: the pointer, the panel and Status naming the
// drawings in hand, the progress bar counting finished drawings, and the
// summary once the last session has ended. Each session takes its drawings
// through shareFor() and reports through sessionDisplay(); every method may
// be called from any session's thread.
//
// The run is over when no session works any more; it ended for want of
// AutoCAD only when drawings are then left that no session took up or that a
// lost session gave back. A session out of drawings waits while another still
// holds one, since a session that is lost hands its drawing back.
class RunDispatcher {
public:
    RunDispatcher(RunKind kind, PlotRunList& list, PlotRunDisplay& display, const std::atomic<bool>& stopRequested);

    // Checks the choices as a single run does (telling the user what is
    // missing) and shows the run as started. False when refused.
    bool start(const PlotSetup& setup);
    // How many sessions to start for `wanted`: never more than there are
    // drawings, and always one, which ends the run when there is nothing to do.
    int sessionsFor(int wanted);
    int drawingCount() const { return drawings_; }

    // What session `session` (0-based) takes its drawings through.
    RunShare& shareFor(int session);
    std::optional<int> take(int session);
    void giveBack(int session, int entry);
    bool lostWhileOpen(int entry);
    std::shared_ptr<PlotFileClaims> plotFiles() { return plotFiles_; }
    void refuse();

    // What each session's run shows through: its status lines, messages and outcomes come here, and what
    // belongs to the whole run (progress, pointer, panel) is left to the dispatcher.
    PlotRunDisplay& sessionDisplay() { return sessionDisplay_; }

    // From the sessions' displays.
    void sessionStatus(const std::string& text);
    void announce(const std::string& text);
    void finished(int entry, const DrawingOutcome& outcome);
    void information(const std::string& title, const std::string& text);
    // Session `session` (0-based) has ended; true for the last one, which
    // has shown the run's end. A session ending twice counts once. How one
    // session ended does not decide the run's: the run is lost only when
    // drawings are left and no session is there to plot them. A drawing the
    // session still held (it never said what became of it) is its record's
    // to close.
    bool sessionEnded(int session, PlotRun::Ending ending, int restarts, int plannedRestarts = 0);

    // Every drawing is finished while some session has not ended (one still starting its application):
    // nothing is left for it, and the run need not wait for it.
    bool settled() const;
    bool sessionRunning(int session) const;

    PlotRun::Ending ending() const;
    PlotRun::Tally tally() const;
    // What the panel and Status's first line say for n drawings in hand.
    static std::string processingText(int n);

private:
    class SessionDisplay : public PlotRunDisplay {
    public:
        explicit SessionDisplay(RunDispatcher& dispatcher) : dispatcher_(dispatcher) {}
        void showInformation(const std::string& title, const std::string& text) override {
            dispatcher_.information(title, text);
        }
        void setStatus(const std::string& text) override { dispatcher_.sessionStatus(text); }
        void repaintStatus() override {}
        void announce(const std::string& text) override { dispatcher_.announce(text); }
        void setStatusPanelText(const std::string&) override {}
        void restoreStatusPanel() override {}
        void setProgress(int) override {}
        void setPointer(Pointer) override {}
        void showOutcome(int entry, const DrawingOutcome& outcome) override { dispatcher_.finished(entry, outcome); }

    private:
        RunDispatcher& dispatcher_;
    };

    class SessionShare : public RunShare {
    public:
        SessionShare(RunDispatcher& dispatcher, int session) : dispatcher_(dispatcher), session_(session) {}
        std::optional<int> take() override { return dispatcher_.take(session_); }
        void giveBack(int entry) override { dispatcher_.giveBack(session_, entry); }
        bool lostWhileOpen(int entry) override { return dispatcher_.lostWhileOpen(entry); }
        std::shared_ptr<PlotFileClaims> plotFiles() override { return dispatcher_.plotFiles(); }
        void refuse() override { dispatcher_.refuse(); }

    private:
        RunDispatcher& dispatcher_;
        int session_;
    };
    // A session works from its start until it says it has ended.
    enum class SessionState { Working, Ended };
    // A drawing being plotted: its entry, its file name, and the session holding it.
    struct Held {
        int entry;
        std::string name;
        int session;
    };

    void refresh();
    bool anyWorking() const;

    RunKind kind_;
    PlotRunList& list_;
    PlotRunDisplay& display_;
    const std::atomic<bool>& stop_;
    std::shared_ptr<PlotFileClaims> plotFiles_ = std::make_shared<PlotFileClaims>();

    mutable std::mutex mutex_;
    // Wakes a session waiting for a drawing another session still holds.
    std::condition_variable handedBack_;
    int drawings_ = 0;
    // The drawings still to hand out, in the run's order; one given back goes first.
    std::deque<int> toTake_;
    int finished_ = 0;
    // The drawings being plotted, oldest first.
    std::vector<Held> inHand_;
    // Drawings whose application was lost once while they were open.
    std::set<int> lostOnce_;
    std::string lastLine_;
    std::vector<SessionState> sessions_;
    std::deque<SessionShare> shares_;
    bool refused_ = false;
    // The last message shown: sessions refusing for one reason tell it once.
    std::string lastInformation_;
    PlotRun::Ending ending_ = PlotRun::Ending::Running;
    PlotRun::Tally tally_;
    SessionDisplay sessionDisplay_{*this};
};

}  // namespace quillon::plotting
