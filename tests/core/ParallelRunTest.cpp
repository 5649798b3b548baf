#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "CadTestFakes.h"
#include "RunTestSupport.h"
#include "StandinTestSupport.h"
#include "autocad/CadConnection.h"
#include "autocad/RetryingLauncher.h"
#include "base/StdFileSystem.h"
#include "plotting/RunDispatcher.h"

namespace quillon::plotting {
namespace {

using nlohmann::json;
using standin::testing::TempFolder;
using testing::FakeList;
using testing::RecordingDisplay;
using testing::SilentUi;
using Lines = std::vector<std::string>;

const PlotSetup Chosen{"Plotter.pc3", "A4", "mono.ctb", 1};

// A display that can act when a row is reported, as the user pressing Stop would.
class ReactingDisplay : public RecordingDisplay {
public:
    using RecordingDisplay::RecordingDisplay;
    std::function<void()> onRow;
    void showOutcome(int entry, const DrawingOutcome& outcome) override {
        RecordingDisplay::showOutcome(entry, outcome);
        if (onRow) onRow();
    }
};

// The application's COM server as wine runs it: each start makes a new
// stand-in application, and a start made while another is still under way
// fails, as two starts at the same moment do there.
class ServerStarts : public autocad::CadLauncher {
public:
    std::function<std::shared_ptr<standin::Engine>()> make;
    automation::ObjectPtr connectRunning() override {
        throw automation::AutomationError(automation::hresult::Unavailable, "Operation unavailable");
    }
    automation::ObjectPtr createInstance() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (starting_) throw automation::AutomationError(NoInterface, "Starting 'AutoCAD.Application': Error 0x80004002");
            starting_ = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        auto engine = make();
        std::lock_guard<std::mutex> lock(mutex_);
        starting_ = false;
        started_.push_back(engine);
        return engine->application();
    }
    std::vector<std::shared_ptr<standin::Engine>> started() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return started_;
    }

private:
    static constexpr std::int32_t NoInterface = static_cast<std::int32_t>(0x80004002);
    mutable std::mutex mutex_;
    bool starting_ = false;
    std::vector<std::shared_ptr<standin::Engine>> started_;
};

// One run shared by several sessions, each on its own thread with its own
// stand-in application, as the window runs them: their starts go through
// one launcher.
class ParallelRuns : public ::testing::Test {
protected:
    TempFolder dir;
    base::StdFileSystem files;
    std::atomic<bool> stop{false};
    ReactingDisplay display{dir.path()};
    FakeList list;
    json faults = json::object();
    // The faults of the nth application started (0-based), by any session; else those of every application.
    std::map<int, json> faultsOf;
    json everyApplication;
    std::atomic<int> startedApplications{0};
    // Starts past this many fail, as a licence that allows no more would.
    int startsAllowed = 1000;

    std::shared_ptr<ServerStarts> server = std::make_shared<ServerStarts>();
    autocad::RetryingLauncher launcher{server, {{std::chrono::milliseconds(5), std::chrono::milliseconds(10)},
                                                std::chrono::milliseconds(2)}};

    struct Session {
        SilentUi ui;
        std::unique_ptr<autocad::CadConnection> connection;
    };
    std::vector<std::unique_ptr<Session>> sessions;

    void SetUp() override { server->make = [this] { return makeApplication(); }; }

    void listDrawings(const Lines& relative) {
        list.rows.clear();
        for (const auto& path : relative) {
            const std::filesystem::path file = dir.file(path, "drawing");
            list.rows.push_back({file.filename().string(), file.parent_path().string() + "/", false});
        }
    }

    std::shared_ptr<standin::Engine> makeApplication() {
        const int n = startedApplications++;
        if (n >= startsAllowed) throw automation::AutomationError(automation::hresult::Fail, "No licence is free");
        json scenario = {{"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
                         {"defaultDevice", "Plotter.pc3"},
                         {"plotStyleTables", {"mono.ctb"}},
                         {"drawings",
                          {{{"file", "PLAN.DWG"}, {"layouts", {{{"name", "Ground"}}, {{"name", "First"}}}}}}}};
        if (faultsOf.count(n)) scenario["faults"] = faultsOf[n];
        else if (!everyApplication.is_null()) scenario["faults"] = everyApplication;
        return standin::Engine::fromJson(scenario.dump(), dir.path());
    }

    // Runs `kind` with up to `wanted` sessions to its end; the dispatcher says how it ended.
    std::unique_ptr<RunDispatcher> runWith(int wanted, RunKind kind = RunKind::AllListed) {
        auto dispatcher = std::make_unique<RunDispatcher>(kind, list, display, stop);
        if (!dispatcher->start(Chosen)) return dispatcher;
        const int count = dispatcher->sessionsFor(wanted);
        std::vector<std::thread> threads;
        for (int i = 0; i < count; ++i) {
            sessions.push_back(std::make_unique<Session>());
            Session& session = *sessions.back();
            session.connection = std::make_unique<autocad::CadConnection>(launcher, session.ui);
            threads.emplace_back([this, i, &session, &dispatcher = *dispatcher, kind] {
                PlotRun run(kind, *session.connection, files, dispatcher.sessionDisplay(), list, stop, Chosen,
                            &dispatcher.shareFor(i));
                // A session that cannot start its application plots nothing; the others go on.
                if (session.connection->restartAutoCAD()) run.runToEnd();
                else run.start();
                dispatcher.sessionEnded(i, run.finished() ? run.ending() : PlotRun::Ending::ApplicationLost,
                                        run.tally().restarts);
                session.connection->cleanUpAtExit();
            });
        }
        for (auto& t : threads) t.join();
        return dispatcher;
    }

    // Every drawing opened by any application, by file name (with its folder's name when given).
    std::multiset<std::string> openedEverywhere() const {
        std::multiset<std::string> out;
        for (const auto& engine : server->started())
            for (const auto& a : standin::accessesIn(engine->journal()))
                if (a.member == "Open") {
                    const std::filesystem::path path(a.args[0].get<std::string>());
                    out.insert(path.parent_path().filename().string() + "/" + path.filename().string());
                }
        return out;
    }
    Lines plotFiles() const {
        Lines out;
        for (const auto& engine : server->started())
            for (const auto& plot : standin::plotsIn(engine->journal())) out.push_back(plot.plotFile.value_or(""));
        return out;
    }
};

TEST_F(ParallelRuns, EveryDrawingIsPlottedOnceAndNoTwoSessionsWriteTheSamePlotFile) {
    // PLAN-Ground.dwg's model-space file has the name of PLAN.DWG's first layout file.
    listDrawings({"J/A.dwg", "J/B.dwg", "J/C.dwg", "J/PLAN.DWG", "J/PLAN-Ground.dwg", "J/D.dwg", "J/E.dwg"});
    // Opening takes a moment, as it does in the application, so the sessions overlap.
    for (int n = 0; n < 3; ++n)
        faultsOf[n] = {{"slow", {{{"object", "Documents"}, {"member", "Open"}, {"milliseconds", 30}}}}};
    const auto run = runWith(3);

    EXPECT_EQ(run->ending(), PlotRun::Ending::Finished);
    EXPECT_EQ(startedApplications.load(), 3);
    EXPECT_EQ(openedEverywhere(), (std::multiset<std::string>{"J/A.dwg", "J/B.dwg", "J/C.dwg", "J/PLAN.DWG",
                                                              "J/PLAN-Ground.dwg", "J/D.dwg", "J/E.dwg"}));
    const auto written = plotFiles();
    EXPECT_EQ(written.size(), 8u);
    EXPECT_EQ(std::set<std::string>(written.begin(), written.end()).size(), written.size()) << "a plot file written twice";

    // Each row once; progress counts finished drawings up to the whole; the display is put back.
    auto rows = display.starting("row ");
    std::sort(rows.begin(), rows.end());
    ASSERT_EQ(rows.size(), 7u);
    for (int entry = 1; entry <= 7; ++entry) EXPECT_EQ(rows[entry - 1].rfind("row " + std::to_string(entry) + ": ", 0), 0u);
    const auto progress = display.starting("progress:");
    EXPECT_EQ(progress[progress.size() - 2], "progress:100");
    EXPECT_EQ(display.panel, "Ready");
    EXPECT_EQ(display.events.back(),
              "status:7  Files Found  \r\nRun finished: 7 drawings plotted (8 sheets), 0 skipped, 0 failed.");
    const auto panels = display.starting("panel:Processing ");
    EXPECT_TRUE(std::any_of(panels.begin(), panels.end(), [](const auto& p) { return p == "panel:Processing 2 drawings ..." || p == "panel:Processing 3 drawings ..."; }))
        << "sessions worked side by side";
}

TEST_F(ParallelRuns, SessionsAreStartedOnlyForDrawingsThereAreAndTheSelectionRunTakesOnlyTheSelected) {
    listDrawings({"J/A.dwg", "J/B.dwg", "J/C.dwg", "J/D.dwg"});
    list.rows[0].selected = list.rows[2].selected = true;
    RunDispatcher probe(RunKind::Selected, list, display, stop);
    ASSERT_TRUE(probe.start(Chosen));
    EXPECT_EQ(probe.sessionsFor(8), 2);
    EXPECT_EQ(probe.take(0), 3) << "from the last entry to the first";
    EXPECT_EQ(probe.take(0), 1);
    EXPECT_EQ(probe.take(0), std::nullopt);

    display.events.clear();
    const auto run = runWith(4, RunKind::Selected);
    EXPECT_EQ(startedApplications.load(), 2);
    EXPECT_EQ(openedEverywhere(), (std::multiset<std::string>{"J/A.dwg", "J/C.dwg"}));
    EXPECT_EQ(display.events.back(),
              "status:4  Files Found  \r\nRun finished: 2 drawings plotted (2 sheets), 0 skipped, 0 failed.");

    // Nothing selected: one session, which ends the run at once without starting anything more.
    for (auto& row : list.rows) row.selected = false;
    RunDispatcher none(RunKind::Selected, list, display, stop);
    ASSERT_TRUE(none.start(Chosen));
    EXPECT_EQ(none.sessionsFor(3), 1);
    EXPECT_TRUE(none.sessionEnded(0, PlotRun::Ending::Finished, 0));
    EXPECT_EQ(none.ending(), PlotRun::Ending::Finished);
    EXPECT_FALSE(none.sessionEnded(0, PlotRun::Ending::Finished, 0)) << "a session ends once";
}

TEST_F(ParallelRuns, TheDisplayNamesTheDrawingsInHandAndTheProgressCountsFinishedOnes) {
    listDrawings({"J/A.dwg", "J/B.dwg", "J/C.dwg"});
    RunDispatcher run(RunKind::AllListed, list, display, stop);
    ASSERT_TRUE(run.start(Chosen));
    EXPECT_EQ(display.events, (Lines{"hourglass", "progress:0", "panel:Processing ...", "status:Processing ..."}));
    ASSERT_EQ(run.sessionsFor(2), 2);

    display.events.clear();
    EXPECT_EQ(run.take(0), 3);
    EXPECT_EQ(run.take(1), 2);
    run.sessionStatus("Opening Drawing C:\\J\\B.dwg ...");
    DrawingOutcome plotted;
    plotted.kind = DrawingOutcome::Kind::ModelPlotted;
    run.finished(3, plotted);
    EXPECT_EQ(display.events,
              (Lines{"panel:Processing 1 drawing ...", "status:Processing 1 drawing ... C.dwg",
                     "panel:Processing 2 drawings ...", "status:Processing 2 drawings ... B.dwg",
                     "panel:Processing 2 drawings ...",
                     "status:Processing 2 drawings ... B.dwg\r\nOpening Drawing C:\\J\\B.dwg ...",
                     "row 3: Plotted (model space)", "progress:33", "panel:Processing 1 drawing ...",
                     "status:Processing 1 drawing ... B.dwg\r\nOpening Drawing C:\\J\\B.dwg ..."}));

    // A session that ends while others still plot changes nothing shown; the last one shows the end.
    EXPECT_FALSE(run.sessionEnded(1, PlotRun::Ending::Finished, 0));
    EXPECT_EQ(run.ending(), PlotRun::Ending::Running);
    run.finished(2, plotted);
    EXPECT_EQ(run.take(0), 1);
    run.finished(1, plotted);
    EXPECT_TRUE(run.sessionEnded(0, PlotRun::Ending::Finished, 0));
    EXPECT_EQ(display.panel, "Ready");
    EXPECT_EQ(display.events.back(),
              "status:3  Files Found  \r\nRun finished: 3 drawings plotted (3 sheets), 0 skipped, 0 failed.");
}

TEST_F(ParallelRuns, ALostSessionRestartsAndTriesItsDrawingAgainWhileTheOthersGoOn) {
    listDrawings({"J/A.dwg", "J/B.dwg", "J/C.dwg", "J/D.dwg", "J/E.dwg", "J/F.dwg", "J/G.dwg", "J/H.dwg"});
    // The second application started dies in the middle of its first drawing. The others take a
    // moment to open each, so the second one has a drawing however the threads are scheduled.
    for (int n : {0, 2, 3})
        faultsOf[n] = {{"slow", {{{"object", "Documents"}, {"member", "Open"}, {"milliseconds", 40}}}}};
    faultsOf[1] = {{"dieAfterCalls", 30}};
    const auto run = runWith(3);

    EXPECT_EQ(run->ending(), PlotRun::Ending::Finished);
    EXPECT_EQ(startedApplications.load(), 4) << "three sessions and one restart";
    const auto tally = run->tally();
    EXPECT_EQ(tally.restarts, 1);
    EXPECT_EQ(tally.failed, 0) << "a crash that does not come again costs nothing";
    EXPECT_EQ(tally.plotted, 8);
    EXPECT_EQ(display.starting("row ").size(), 8u);
    EXPECT_TRUE(display.starting("message:").empty());
    EXPECT_NE(display.events.back().find("0 failed. AutoCAD was started again 1 time."), std::string::npos)
        << display.events.back();
}

TEST_F(ParallelRuns, WhenEverySessionIsLostTheRunEndsWithOneMessage) {
    Lines many;
    for (char c = 'A'; c <= 'T'; ++c) many.push_back(std::string("J/") + c + ".dwg");
    listDrawings(many);
    // Each application dies within its first drawing or two: the budgets run out long before the list does.
    for (int n = 0; n < 2 * (1 + PlotRun::MaxRestarts); ++n) faultsOf[n] = {{"dieAfterCalls", 22}};
    const auto run = runWith(2);
    EXPECT_EQ(run->ending(), PlotRun::Ending::ApplicationLost);
    ASSERT_EQ(display.starting("message:").size(), 1u);
    EXPECT_EQ(display.starting("message:")[0].rfind("message:AutoCAD Not Responding|AutoCAD stopped responding in every session", 0), 0u)
        << display.starting("message:")[0];
    EXPECT_NE(display.events.back().find("Run ended, AutoCAD was lost: "), std::string::npos);
}

TEST_F(ParallelRuns, SessionsDyingTogetherStartAgainAndPlotEveryPlainDrawingEveryTime) {
    Lines names;
    for (int i = 1; i <= 8; ++i) names.push_back("J/A0" + std::to_string(i) + ".dwg");
    for (int i = 1; i <= 4; ++i) names.push_back("J/Z" + std::to_string(i) + ".dwg");
    listDrawings(names);
    // Every Z kills whichever application opens it. The three sessions take Z4, Z3 and Z2 first, so their
    // applications die, and start again, at the same moment; a race shows in some runs only.
    everyApplication["kills"] = json::array();
    for (int i = 1; i <= 4; ++i)
        everyApplication["kills"].push_back(
            {{"object", "Documents"}, {"member", "Open"}, {"drawing", "Z" + std::to_string(i) + ".dwg"}});
    for (int round = 0; round < 12; ++round) {
        display.events.clear();
        const auto run = runWith(3);
        ASSERT_EQ(run->ending(), PlotRun::Ending::Finished) << "round " << round << ": " << display.events.back();
        const auto tally = run->tally();
        EXPECT_EQ(std::tie(tally.plotted, tally.failed), std::tuple(8, 4)) << "round " << round;
        EXPECT_EQ(display.starting("row ").size(), 12u);
        for (const auto& row : display.starting("row "))
            EXPECT_TRUE(row.find("Failed") == std::string::npos ||
                        row.find(SessionRestarts::EndedTwice) != std::string::npos)
                << row;
    }
}

TEST_F(ParallelRuns, ASessionThatCannotStartAgainHandsItsDrawingToASessionThatWaitedForIt) {
    listDrawings({"J/A.dwg", "J/B.dwg"});
    // The first application dies opening its first drawing; no application can be started after the first two.
    faultsOf[0] = {{"kills", {{{"object", "Documents"}, {"member", "Open"}}}}};
    startsAllowed = 2;
    const auto run = runWith(2);

    EXPECT_EQ(run->ending(), PlotRun::Ending::Finished) << display.events.back();
    const auto tally = run->tally();
    EXPECT_EQ(std::tie(tally.plotted, tally.failed), std::tuple(2, 0));
    // Which session starts the first application, and so which drawing it dies on, is the threads' race.
    const auto opened = openedEverywhere();
    EXPECT_EQ(opened.size(), 3u) << "the drawing it died on opened once more, by the other session";
    EXPECT_EQ(std::set<std::string>(opened.begin(), opened.end()), (std::set<std::string>{"J/A.dwg", "J/B.dwg"}));
}

TEST_F(ParallelRuns, StopEndsEverySessionAtItsNextCallAndNoDrawingIsTakenAfterIt) {
    listDrawings({"J/A.dwg", "J/B.dwg", "J/C.dwg", "J/D.dwg", "J/E.dwg", "J/F.dwg", "J/G.dwg", "J/H.dwg"});
    display.onRow = [this] { stop = true; };
    const auto run = runWith(3);

    EXPECT_EQ(run->ending(), PlotRun::Ending::Stopped);
    const auto opened = openedEverywhere();
    EXPECT_LE(opened.size(), 3u) << "only the drawings in hand when Stop came";
    EXPECT_EQ(display.starting("row ").size(), opened.size()) << "each drawing taken gets its row";
    for (const auto& engine : server->started()) EXPECT_TRUE(engine->quitRequested()) << "each session quit its application";
    EXPECT_EQ(display.events.back().rfind("status:8  Files Found  \r\nRun stopped: ", 0), 0u) << display.events.back();
}

}  // namespace
}  // namespace quillon::plotting
