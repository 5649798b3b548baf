#include <atomic>
#include <optional>
#include <thread>

#include "StandinTestSupport.h"

namespace quillon::standin::testing {
namespace {

namespace hr = automation::hresult;

class StandinFaults : public StandinTest {};

TEST_F(StandinFaults, ABusyServerRefusesCallsWithoutRunningThem) {
    start({{"faults", {{"busy", {{{"afterCalls", 1}, {"calls", 2}}, {{"afterCalls", 6}, {"calls", 1}, {"code", "callRejected"}}}}}}});
    auto docs = documents();  // call 1
    const std::string a = dir.file("A.dwg");
    EXPECT_EQ(failureOf([&] { docs->call("Open", {Value(a)}); }).code(), hr::RetryLater);
    EXPECT_EQ(failureOf([&] { docs->call("Open", {Value(a)}); }).kind(), automation::FailureKind::Busy);
    EXPECT_EQ(docs->get("Count").toInt(), 0);
    docs->call("Open", {Value(a)});
    docs->get("Count");
    EXPECT_EQ(failureOf([&] { docs->get("Count"); }).code(), hr::CallRejected);
    EXPECT_EQ(docs->get("Count").toInt(), 1);

    auto lines = accesses();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_FALSE(lines[1].executed);
    EXPECT_EQ(lines[1].errorCode, "0x8001010A");
    EXPECT_TRUE(lines[3].executed);
    EXPECT_FALSE(lines[6].executed);
}

TEST_F(StandinFaults, ADeadServerFailsEveryLaterCallAsDisconnected) {
    start({{"faults", {{"dieAfterCalls", 2}}}});
    auto docs = documents();
    docs->get("Count");
    EXPECT_TRUE(engine->crashed());
    auto e = failureOf([&] { docs->get("Count"); });
    EXPECT_EQ(e.code(), hr::Disconnected);
    EXPECT_TRUE(e.serverGone());
    EXPECT_EQ(failureOf([&] { app->get("Visible"); }).code(), hr::Disconnected);
    EXPECT_FALSE(accesses().back().executed);
    EXPECT_EQ(engine->callCount(), 4);
}

TEST_F(StandinFaults, AMemberThrowsAsOftenAsTold) {
    start({{"faults",
            {{"throws",
              {{{"object", "Layout"}, {"member", "configname"}, {"access", "put"}, {"drawing", "B.dwg"},
                {"description", "Plotter gone"}, {"code", "0x80020009"}, {"count", 1}}}}}}});
    auto a = open(dir.file("A.dwg"));
    auto b = open(dir.file("B.dwg"));
    a->object("ActiveLayout")->put("ConfigName", Value("None"));
    b->object("ActiveLayout")->get("ConfigName");
    auto e = failureOf([&] { b->object("ActiveLayout")->put("ConfigName", Value("None")); });
    EXPECT_EQ(e.code(), hr::Exception);
    EXPECT_EQ(e.description(), "Plotter gone");
    b->object("ActiveLayout")->put("ConfigName", Value("None"));
}

TEST_F(StandinFaults, BlockFaultsCoverModelAndPaperSpace) {
    start({{"faults", {{"throws", {{{"object", "Block"}, {"member", "Count"}}}}}}});
    auto doc = open(dir.file("A.dwg"));
    failureOf([&] { doc->object("ModelSpace")->get("Count"); });
    failureOf([&] { doc->object("PaperSpace")->get("Count"); });
    EXPECT_EQ(doc->object("Layouts")->get("Count").toInt(), 1);
}

TEST_F(StandinFaults, SlowCallsTakeAtLeastTheirTime) {
    start({{"faults", {{"slow", {{{"object", "Documents"}, {"member", "Count"}, {"milliseconds", 60}}}}}}});
    auto docs = documents();
    const auto before = std::chrono::steady_clock::now();
    docs->get("Count");
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(60));
}

TEST_F(StandinFaults, AHangingOpenOfOneDrawingReturnsOnlyWhenTheApplicationIsKilled) {
    const std::string stuck = dir.file("Stuck.dwg");
    const std::string fine = dir.file("Fine.dwg");
    start({{"faults",
            {{"hangs", {{{"object", "Documents"}, {"member", "Open"}, {"drawing", "Stuck.dwg"}}}},
             {"slow", {{{"object", "Documents"}, {"member", "Open"}, {"drawing", "Fine.dwg"}, {"milliseconds", 50}}}}}}});
    engine->setWindowHandle(0x1234);
    EXPECT_EQ(app->get("HWND").toInt(), 0x1234);
    const auto before = std::chrono::steady_clock::now();
    open(fine);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));

    std::atomic<bool> returned{false};
    std::optional<AutomationError> failure;
    std::thread caller([&] {
        try {
            open(stuck);
        } catch (const AutomationError& error) {
            failure = error;
        }
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_FALSE(returned.load()) << "the call must not return by itself";
    engine->kill();
    caller.join();
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->serverGone());
    EXPECT_THROW(documents(), AutomationError) << "nothing answers after the kill";
}

TEST_F(StandinFaults, QuitOnlyMarksTheRequest) {
    start();
    EXPECT_FALSE(engine->quitRequested());
    app->call("Quit");
    EXPECT_TRUE(engine->quitRequested());
    EXPECT_EQ(documents()->get("Count").toInt(), 0);
}

}  // namespace
}  // namespace quillon::standin::testing
