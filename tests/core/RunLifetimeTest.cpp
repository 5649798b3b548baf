#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <tuple>
#include <thread>

#include "RunTestSupport.h"
#include "autocad/CallWatchdog.h"
#include "base/TaskMailbox.h"
#include "plotting/RunDispatcher.h"
#include "plotting/RunEndSignal.h"
#include "plotting/HeardDisplay.h"
#include "plotting/record/SessionRecord.h"
#include "plotting/record/ReportRows.h"
#include "plotting/record/RunLedger.h"

// How long a run and its sessions live: what is said when they end, however they end.
namespace quillon::plotting {
namespace {

using namespace std::chrono_literals;

DrawingOutcome plotted(const std::string& path) {
    DrawingOutcome outcome;
    outcome.kind = DrawingOutcome::Kind::ModelPlotted;
    outcome.path = path;
    outcome.sheets.push_back({});
    outcome.sheets.back().layout = "Model";
    outcome.sheets.back().plotted = true;
    return outcome;
}

TEST(RunLedgerTest, EveryDrawingEndsWithARowAndASessionGivenUpOnIsHeardNoMore) {
    std::map<std::string, std::string> rows;  // drawing -> outcome, as the report has them
    auto ledger = std::make_shared<RunLedger>(
        std::vector<std::pair<int, std::string>>{{1, "C:\\A.dwg"}, {2, "C:\\B.dwg"}, {3, "C:\\C.dwg"}, {4, "C:\\D.dwg"}},
        [&](const std::vector<DrawingOutcome>& record, std::size_t) -> std::optional<std::string> {
            rows.clear();
            for (const auto& outcome : record)
                for (const auto& row : reportRows(outcome, PlotSetup{"P", "A3", "S", 1}, "t"))
                    rows[row.drawing] = row.outcome + ":" + row.reason;
            return std::nullopt;
        });
    testing::RecordingDisplay window(".");
    SessionRecord first(ledger, 0), second(ledger, 1);
    HeardDisplay secondShown(window, [&second] { return second.heard(); });

    // Before the first drawing is opened the record names every drawing; the one taken up is in hand.
    ledger->begin();
    EXPECT_EQ(rows["C:\\A.dwg"], "not started:");
    first.takenUp(4);
    EXPECT_EQ(rows["C:\\D.dwg"], "started, not finished:");
    EXPECT_EQ(rows.size(), 4u);

    // Rows are written as the sessions report them, on their side, not when the window gets to them.
    first.finished(4, plotted("C:\\D.dwg"));
    EXPECT_EQ(rows["C:\\D.dwg"], "plotted:");

    // The second session hangs in its drawing and is given up on: the drawing fails for that reason at once,
    // and whatever the session reports once its call returns reaches neither the report nor the window.
    second.takenUp(3);
    const auto given = ledger->giveUp(1, PlotRun::StoppedAnswering);
    ASSERT_TRUE(given);
    EXPECT_EQ(given->first, 3);
    EXPECT_EQ(rows["C:\\C.dwg"], "failed:AutoCAD stopped answering");
    window.events.clear();
    secondShown.setStatus("Opening Drawing C:\\A.dwg ...");
    if (second.finished(3, plotted("C:\\C.dwg"))) secondShown.showOutcome(3, plotted("C:\\C.dwg"));
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(rows["C:\\C.dwg"], "failed:AutoCAD stopped answering");

    // The run ends: the drawing in hand and those never reached get rows that say why; the list hears the same.
    first.takenUp(2);
    const auto decided = ledger->close(PlotRun::StoppedAnswering, "the run ended because AutoCAD stopped answering");
    ASSERT_EQ(decided.size(), 2u);
    EXPECT_EQ(decided[0].second.text(), "Not started: the run ended because AutoCAD stopped answering");
    EXPECT_EQ(decided[1].second.text(), "Failed: AutoCAD stopped answering");
    EXPECT_EQ(rows["C:\\A.dwg"], "not started:the run ended because AutoCAD stopped answering");
    EXPECT_EQ(rows["C:\\B.dwg"], "failed:AutoCAD stopped answering");
    EXPECT_EQ(rows.size(), 4u);
}

TEST(RunLifetimeTest, TheEndOfARunArrivesEvenForAJobDroppedUnrunAndNothingOfAClosedRunArrives) {
    auto window = std::make_shared<base::TaskMailbox>(nullptr);
    auto run = base::TaskMailbox::childOf(window);
    std::vector<std::string> seen;
    run->post([&] { seen.push_back("status of the run"); });
    window->drain();
    EXPECT_EQ(seen, std::vector<std::string>{"status of the run"});

    // A session's task dropped before it ran (its thread gone, its mailbox closed) still ends the run.
    std::optional<PlotRun::Ending> ending = PlotRun::Ending::Running;
    bool ended = false;
    auto closedSession = base::TaskMailbox::childOf(window);
    closedSession->close();
    {
        auto signal = std::make_shared<RunEndSignal>([&](std::optional<PlotRun::Ending> e, const PlotRun::Tally&) {
            window->post([&, e] {
                ended = true;
                ending = e;
            });
        });
        EXPECT_FALSE(closedSession->post([signal] {}));
    }
    run->close();
    run->post([&] { seen.push_back("late status of the ended run"); });
    window->drain();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(ending) << "no ending: the work never ran";
    EXPECT_EQ(seen.size(), 1u) << "nothing of a run that is over reaches the window";
}

TEST(RunLifetimeTest, ASharedRunWhoseDrawingsAreDoneDoesNotWaitForASessionStillStarting) {
    testing::FakeList list;
    list.rows = {{"A.dwg", "C:\\"}, {"B.dwg", "C:\\"}};
    testing::RecordingDisplay display(".");
    std::atomic<bool> stop{false};
    RunDispatcher dispatcher(RunKind::AllListed, list, display, stop);
    ASSERT_TRUE(dispatcher.start(PlotSetup{"P", "A3", "S", 1}));
    ASSERT_EQ(dispatcher.sessionsFor(2), 2);
    for (int taken = 0; taken < 2; ++taken) {
        const auto entry = dispatcher.take(0);
        ASSERT_TRUE(entry);
        dispatcher.finished(*entry, plotted(list.folder(*entry) + list.fileName(*entry)));
    }
    EXPECT_FALSE(dispatcher.take(0));
    EXPECT_FALSE(dispatcher.sessionEnded(0, PlotRun::Ending::Finished, 0));
    // Session 2 is still starting its application: nothing is left for it, so the run is settled.
    EXPECT_TRUE(dispatcher.settled());
    EXPECT_TRUE(dispatcher.sessionRunning(1));
    EXPECT_TRUE(dispatcher.sessionEnded(1, PlotRun::Ending::Finished, 0));
    EXPECT_EQ(dispatcher.ending(), PlotRun::Ending::Finished);
}

TEST(RunLifetimeTest, ASessionGivenUpOnAmongThreeFailsItsDrawingAndTheRunGoesOnWithTheOthers) {
    testing::FakeList list;
    list.rows = {{"A.dwg", "C:\\"}, {"B.dwg", "C:\\"}, {"C.dwg", "C:\\"}, {"D.dwg", "C:\\"}};
    testing::RecordingDisplay display(".");
    std::atomic<bool> stop{false};
    RunDispatcher dispatcher(RunKind::AllListed, list, display, stop);
    RunLedger ledger({{4, "C:\\D.dwg"}, {3, "C:\\C.dwg"}, {2, "C:\\B.dwg"}, {1, "C:\\A.dwg"}}, nullptr);
    ASSERT_TRUE(dispatcher.start(PlotSetup{"P", "A3", "S", 1}));
    ASSERT_EQ(dispatcher.sessionsFor(3), 3);
    std::map<int, int> held;  // session -> entry
    for (int session = 0; session < 3; ++session) ledger.takenUp(session, held[session] = *dispatcher.take(session));
    // Session 2 stops answering: the ledger fails its drawing, and it is heard no more.
    ASSERT_TRUE(ledger.giveUp(1, PlotRun::StoppedAnswering));
    EXPECT_FALSE(dispatcher.sessionEnded(1, PlotRun::Ending::ApplicationLost, 0));
    auto finish = [&](int session, int entry) {
        const auto outcome = plotted(list.folder(entry) + list.fileName(entry));
        ledger.finished(session, entry, outcome);
        dispatcher.finished(entry, outcome);
    };
    for (const int session : {0, 2}) finish(session, held[session]);
    for (const int session : {0, 2}) {
        while (const auto next = dispatcher.take(session)) {
            ledger.takenUp(session, *next);
            finish(session, *next);
        }
    }
    EXPECT_FALSE(dispatcher.sessionEnded(0, PlotRun::Ending::Finished, 0));
    EXPECT_TRUE(dispatcher.sessionEnded(2, PlotRun::Ending::Finished, 0));
    EXPECT_EQ(dispatcher.ending(), PlotRun::Ending::Finished) << "not every session was lost";
    const auto tally = ledger.tally();
    EXPECT_EQ(std::tie(tally.plotted, tally.failed), std::tuple(3, 1));
    EXPECT_EQ(PlotRun::summaryText(dispatcher.ending(), tally),
              "Run finished: 3 drawings plotted (3 sheets), 0 skipped, 1 failed.");
}

TEST(RunLifetimeTest, StopDuringALongCallIsSaidAndAnApplicationThatCouldNotBeEndedIsTriedAgain) {
    autocad::CallWatchdog watchdog(3s, 10s, 10s);
    const auto now = autocad::CallMonitor::Clock::now();
    autocad::CallMonitor::Snapshot call;
    call.inCall = true;
    call.call = "Plot.PlotToFile";
    call.since = now - 12s;
    call.callNumber = 7;
    call.serverProcess = 42u;
    call.startedByQuillon = true;
    call.since = now - 4s;
    EXPECT_EQ(watchdog.check(call, now, true).text,
              "Stopping: the run ends once AutoCAD answers Plot.PlotToFile (4 s) ...");
    call.since = now - 12s;
    using Action = autocad::CallWatchdog::Verdict::Action;
    EXPECT_EQ(watchdog.check(call, now).action, Action::EndProcess);
    // TerminateProcess refused: the same call is given up on again, not left hanging for ever.
    watchdog.retry();
    EXPECT_EQ(watchdog.check(call, now).action, Action::EndProcess);
}

}  // namespace
}  // namespace quillon::plotting
