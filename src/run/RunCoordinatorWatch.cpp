#include "run/RunCoordinator.h"

#include "plotting/StatusLines.h"

// The watch over every session's call: named in Status when it lasts, ended
// or given up on when it hangs; and what the way out asks about.
namespace quillon::run {

std::string RunCoordinator::givenUpReason(RunSession& session) {
    // An open that outlasted its limit waits on a question the application asked.
    return session.monitor().snapshot().call == autocad::CallWatchdog::OpenCall
               ? autocad::CallWatchdog::AskedWhileOpening
               : plotting::PlotRun::StoppedAnswering;
}

void RunCoordinator::watchCalls() {
    if (main_) {
        if (auto why = watchCall(*main_)) {
            if (!giveUpFirstSessionOnly(*why)) giveUpCad(*why);
            return;
        }
    }
    if (run_) {
        for (std::size_t i = 0; run_ && i < run_->further.size(); ++i) {
            RunSession& session = *run_->further[i];
            if (session.givenUp()) continue;
            // Only an application whose process is unknown gets here: the run goes on without that session.
            if (auto why = watchCall(session)) giveUpFurtherSession(i, *why);
        }
    }
    // Against the local clock at every tick: a clock changed during the night moves the stop with it.
    if (run_ && run_->deadline && run_->deadline->reached(host_.localNow()) && !run_->stop->load()) {
        run_->deadline.reset();
        // As Stop: the drawing in hand is finished, the rest are not started, and the report is ready for /resume.
        host_.setStatus("\r\n" + run_->deadlineText);
        host_.teller().line(run_->deadlineText);
        requestStop();
    }
    endSettledRun();
    // Threads let go of that have ended need no waiting for at exit.
    std::erase_if(retired_, [](const std::unique_ptr<RunSession>& owner) { return owner->ended(); });
}

std::optional<std::string> RunCoordinator::watchCall(RunSession& session) {
    const bool stopping = run_ && run_->stop->load();
    const auto verdict =
        session.watchdog().check(session.monitor().snapshot(), autocad::CallMonitor::Clock::now(), stopping);
    using Action = autocad::CallWatchdog::Verdict::Action;
    switch (verdict.action) {
        case Action::None: return std::nullopt;
        case Action::Announce: {
            // Shown under the first line of what the run last said, which stays.
            const std::string& shown = host_.statusLines().text();
            if (shown != announced_) {
                const auto lineEnd = shown.find("\r\n", shown.empty() || shown.rfind("\r\n", 0) != 0 ? 0 : 2);
                announceBase_ = lineEnd == std::string::npos ? shown : shown.substr(0, lineEnd);
            }
            announced_ = announceBase_ + "\r\n" + verdict.text;
            host_.statusLines().showFromRun(announced_);
            return std::nullopt;
        }
        case Action::EndProcess:
            host_.setStatus(verdict.text);
            // The hung call then fails as a lost server on the CAD thread, which starts a new application and
            // goes on. An application that could not be ended is tried again at the next tick.
            if (!session.endApplication()) session.watchdog().retry();
            return std::nullopt;
        case Action::Abandon: return verdict.text;
    }
    return std::nullopt;
}

std::string RunCoordinator::leftBehind(const std::string& why, const RunSession& session) const {
    // An application Quillon started is ended, and what it held with it; the values it changed are given back
    // at the next connection, as always. The user's own goes on: the session's thread, once its call returns,
    // closes the drawing and gives the values back then.
    if (session.canEndApplication()) return why;
    const std::string left = settings_.owed ? settings_.owed->leftChanged() : std::string();
    if (left.empty()) return why;
    const std::string text =
        why + ". Left in AutoCAD until it answers again, else until Quillon next connects to it: " + left;
    host_.teller().line(text);
    return text;
}

void RunCoordinator::giveUpCad(const std::string& why) {
    // The user's own application is never ended: Quillon stops waiting on it instead.
    if (!main_) return;
    std::unique_ptr<RunSession> main = std::move(main_);
    const std::string failedBecause = leftBehind(givenUpReason(*main), *main);
    main->giveUp();
    retired_.push_back(std::move(main));
    host_.cadThreadLost();
    const bool hadRun = run_ != nullptr;
    host_.setStatus(hadRun && !host_.leaving() ? why + " The run has ended." : why);
    if (run_) {
        ActiveRun& run = *run_;
        // The drawing in hand did not answer; the rest were not reached because of it, or because Quillon is closing.
        run.lostBecause = host_.leaving() ? "Quillon was closed" : plotting::PlotRun::StoppedAnswering;
        run.stop->store(true);
        for (auto& stop : run.sessionStops) stop->store(true);
        if (auto given = run.ledger->giveUp(0, failedBecause)) run.view->showOutcome(given->first, given->second);
        // The further sessions stop at their next call and quit their applications by themselves.
        for (auto& further : run.further) further->release();
        const plotting::PlotRun::Tally tally = run.dispatcher ? run.dispatcher->tally() : plotting::PlotRun::Tally{};
        run.view->setProgress(0);
        run.view->setPointer(plotting::Pointer::Normal);
        runEnded(run.generation, plotting::PlotRun::Ending::ApplicationLost, tally);
    }
    // Leaving: nothing of the user's is touched, and nothing more is waited for.
    if (host_.leaveWithoutCad()) return;
    // The next use connects anew, on a thread of its own; a window hidden while the application started comes back.
    main_ = makeSession();
    host_.showWindow();
    host_.cadLost(why, hadRun);
}

bool RunCoordinator::giveUpFirstSessionOnly(const std::string& why) {
    if (!run_ || !run_->dispatcher || host_.leaving()) return false;
    ActiveRun& run = *run_;
    // As for any further session: its drawing in hand fails, nothing it reports later counts, and the run
    // goes on with the sessions left; the last to end decides how the run ended (lost only when drawings
    // are left that no session is there to plot). The program's next use of AutoCAD connects anew.
    run.sessionStops[0]->store(true);
    if (auto given = run.ledger->giveUp(0, leftBehind(givenUpReason(*main_), *main_)))
        run.dispatcher->finished(given->first, given->second);
    std::unique_ptr<RunSession> main = std::move(main_);
    main->giveUp();
    retired_.push_back(std::move(main));
    host_.cadThreadLost();
    main_ = makeSession();
    if (!run.dispatcher->sessionEnded(0, plotting::PlotRun::Ending::ApplicationLost, 0)) {
        host_.setStatus(why + " The run goes on with the other AutoCAD sessions.");
        return true;
    }
    // The last session to end: the run's mail closes now, so its summary is said here, from the record.
    host_.setStatus(why + "\r\nRun ended.");
    runEnded(run.generation, run.dispatcher->ending(), run.dispatcher->tally());
    return true;
}

RunSession* RunCoordinator::findSession(std::uint64_t id) {
    if (main_ && main_->id() == id) return main_.get();
    if (run_)
        for (auto& further : run_->further)
            if (further->id() == id && !further->givenUp()) return further.get();
    return nullptr;
}

namespace {

std::optional<HungCall> hungIn(RunSession& session, autocad::CallMonitor::Clock::duration after) {
    const auto call = session.monitor().snapshot();
    const auto now = autocad::CallMonitor::Clock::now();
    if (!call.inCall || call.waited(now) < after) return std::nullopt;
    HungCall hung;
    hung.session = session.id();
    hung.callNumber = call.callNumber;
    hung.call = call.call;
    hung.waited = autocad::CallWatchdog::durationText(call.waited(now));
    hung.endable = call.startedByQuillon && session.canEndApplication();
    return hung;
}

}  // namespace

std::optional<HungCall> RunCoordinator::hungMainCall(autocad::CallMonitor::Clock::duration after) {
    if (!main_) return std::nullopt;
    return hungIn(*main_, after);
}

std::vector<HungCall> RunCoordinator::hungFurtherCalls(autocad::CallMonitor::Clock::duration after) {
    std::vector<HungCall> hung;
    if (!run_) return hung;
    for (auto& further : run_->further)
        if (!further->givenUp())
            if (auto call = hungIn(*further, after); call && call->endable) hung.push_back(*call);
    return hung;
}

bool RunCoordinator::stillHung(const HungCall& call) {
    RunSession* session = findSession(call.session);
    if (!session) return false;
    const auto now = session->monitor().snapshot();
    return now.inCall && now.callNumber == call.callNumber;
}

bool RunCoordinator::endHungCall(const HungCall& call) {
    // Checked against what runs now: a session gone or a call that has since returned is left alone.
    if (!stillHung(call)) return false;
    return findSession(call.session)->endApplication();
}

}  // namespace quillon::run
