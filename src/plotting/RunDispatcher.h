#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
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
// summary once the last session has ended. Each session reports through
// sessionDisplay(); every method may be called from any session's thread.
class RunDispatcher : public RunShare {
public:
    RunDispatcher(RunKind kind, PlotRunList& list, PlotRunDisplay& display, const std::atomic<bool>& stopRequested);

    // Checks the choices as a single run does (telling the user what is
    // missing) and shows the run as started. False when refused.
    bool start(const PlotSetup& setup);
    // How many sessions to start for `wanted`: never more than there are
    // drawings, and always one, which ends the run when there is nothing to do.
    int sessionsFor(int wanted);
    int drawingCount() const { return static_cast<int>(entries_.size()); }

    // RunShare
    std::optional<int> take() override;
    std::shared_ptr<PlotFileClaims> plotFiles() override { return plotFiles_; }
    void refuse() override;

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
    // drawings are left and no session is there to plot them.
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
        std::string statusPanelText() override { return {}; }
        void setStatusPanelText(const std::string&) override {}
        void setProgress(int) override {}
        void setPointer(Pointer) override {}
        void showOutcome(int entry, const DrawingOutcome& outcome) override { dispatcher_.finished(entry, outcome); }

    private:
        RunDispatcher& dispatcher_;
    };

    void refresh();

    RunKind kind_;
    PlotRunList& list_;
    PlotRunDisplay& display_;
    const std::atomic<bool>& stop_;
    std::shared_ptr<PlotFileClaims> plotFiles_ = std::make_shared<PlotFileClaims>();

    mutable std::mutex mutex_;
    std::vector<int> entries_;
    std::size_t next_ = 0;
    int finished_ = 0;
    // The drawings being plotted, oldest first: entry and file name.
    std::vector<std::pair<int, std::string>> inHand_;
    std::string lastLine_;
    std::string savedPanel_;
    std::vector<bool> ended_;
    int running_ = 0;
    bool refused_ = false;
    // The last message shown: sessions refusing for one reason tell it once.
    std::string lastInformation_;
    PlotRun::Ending ending_ = PlotRun::Ending::Running;
    PlotRun::Tally tally_;
    SessionDisplay sessionDisplay_{*this};
};

}  // namespace quillon::plotting
