#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "autocad/CallMonitor.h"
#include "autocad/CallWatchdog.h"
#include "autocad/MonitoredObject.h"
#include "automation/AutomationError.h"
#include "base/TaskMailbox.h"
#include "plotting/boxes/PlotLists.h"
#include "plotting/boxes/RecordingComboBox.h"
#include "standin/Engine.h"

namespace quillon::autocad {
namespace {

using namespace std::chrono_literals;
using Action = CallWatchdog::Verdict::Action;

CallMonitor::Snapshot callOf(std::chrono::seconds waited, bool started, std::optional<std::uint32_t> process,
                             CallMonitor::Clock::time_point now, std::uint64_t number = 1) {
    CallMonitor::Snapshot call;
    call.inCall = true;
    call.call = "Documents.Open";
    call.since = now - waited;
    call.callNumber = number;
    call.serverProcess = process;
    call.startedByQuillon = started;
    return call;
}

TEST(CallWatchdogTest, NamesALongCallThenEndsOnlyAnApplicationQuillonStartedAndGivesUpOnEachCallOnce) {
    CallWatchdog watchdog(3s, 10s, 10s);
    const auto now = CallMonitor::Clock::now();
    EXPECT_EQ(watchdog.check(CallMonitor::Snapshot{}, now).action, Action::None);
    EXPECT_EQ(watchdog.check(callOf(2s, true, 42u, now), now).action, Action::None);

    const auto waiting = watchdog.check(callOf(4s, true, 42u, now), now);
    EXPECT_EQ(waiting.action, Action::Announce);
    EXPECT_EQ(waiting.text, "Waiting for AutoCAD to answer Documents.Open (4 s) ...");

    const auto ended = watchdog.check(callOf(10s, true, 42u, now), now);
    EXPECT_EQ(ended.action, Action::EndProcess);
    EXPECT_EQ(watchdog.check(callOf(75s, true, 42u, now), now).action, Action::Announce) << "the same call again";
    EXPECT_EQ(watchdog.check(callOf(75s, true, 42u, now), now).text,
              "Waiting for AutoCAD to answer Documents.Open (1 min 15 s) ...");

    // The user's application, or one whose process is unknown, is never ended.
    EXPECT_EQ(watchdog.check(callOf(11s, false, 42u, now, 2), now).action, Action::Abandon);
    EXPECT_EQ(watchdog.check(callOf(11s, true, std::nullopt, now, 3), now).action, Action::Abandon);

    // A process Quillon may not end is tried three times, then the session is given up on.
    for (int attempt = 0; attempt < CallWatchdog::MaxEndAttempts; ++attempt) {
        ASSERT_EQ(watchdog.check(callOf(12s, true, 42u, now, 4), now).action, Action::EndProcess) << attempt;
        watchdog.retry();
    }
    EXPECT_EQ(watchdog.check(callOf(12s, true, 42u, now, 4), now).action, Action::Abandon);
    EXPECT_EQ(watchdog.check(callOf(12s, true, 42u, now, 5), now).action, Action::EndProcess) << "a new call";
}

TEST(CallMonitorTest, TheWindowSeesWhichCallIsInProgressWhileTheCadThreadWaits) {
    auto engine = standin::Engine::fromJson(
        R"({"faults": {"slow": [{"object": "Documents", "member": "Count", "milliseconds": 400}]}})", ".");
    auto monitor = std::make_shared<CallMonitor>();
    auto app = MonitoredObject::wrap(engine->application(), "Application", monitor);
    std::thread cadThread([&] { app->object("Documents")->get("Count"); });
    bool seen = false;
    for (int i = 0; i < 300 && !seen; ++i) {
        const auto call = monitor->snapshot();
        seen = call.inCall && call.call == "Documents.Count";
        std::this_thread::sleep_for(1ms);
    }
    cadThread.join();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(monitor->snapshot().inCall) << "the call has returned";

    // A failing call ends too, and the wrapped application is still the same object.
    EXPECT_THROW(app->get("NoSuchMember"), automation::AutomationError);
    EXPECT_FALSE(monitor->snapshot().inCall);
    EXPECT_TRUE(app->sameObject(*engine->application()));
}

TEST(CadHandOverTest, AFillReplaysOnTheRealBoxAndAClosedMailboxDeliversNothing) {
    plotting::RecordingComboBox recorded;
    recorded.clear();
    recorded.setText("Select a Paper");
    recorded.addItem("A0");
    recorded.addItem("A1");
    EXPECT_EQ(plotting::exclusionText(recorded), "A0  , A1") << "the fill reads back what it added";

    struct Box : plotting::RecordingComboBox {
    } shown;
    shown.addItem("stale");
    recorded.replay(shown);
    ASSERT_EQ(shown.itemCount(), 2u);
    EXPECT_EQ(shown.itemText(0), "A0");

    // A task that shows a message box holds back the ones after it, even when the box's loop drains.
    std::vector<int> order;
    base::TaskMailbox ordered(nullptr);
    ordered.post([&] {
        ordered.drain();
        order.push_back(1);
    });
    ordered.post([&] { order.push_back(2); });
    ordered.drain();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));

    int notified = 0;
    int ran = 0;
    base::TaskMailbox mailbox([&] { ++notified; });
    EXPECT_TRUE(mailbox.post([&] { ++ran; }));
    mailbox.close();
    EXPECT_FALSE(mailbox.post([&] { ++ran; }));
    mailbox.drain();
    EXPECT_EQ(ran, 0) << "an abandoned worker's queued results never land";
    EXPECT_EQ(notified, 1);
}

}  // namespace
}  // namespace quillon::autocad
