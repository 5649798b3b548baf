#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "CadTestFakes.h"
#include "RunTestSupport.h"
#include "StandinTestSupport.h"
#include "autocad/CadConnection.h"
#include "autocad/CallMonitor.h"
#include "autocad/RetryingLauncher.h"
#include "base/StdFileSystem.h"
#include "plotting/PlotRun.h"

namespace quillon::plotting {
namespace {

using nlohmann::json;
using standin::testing::TempFolder;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

// Applications Quillon starts, each a process of its own whose private memory grows with what it opened.
class MeasuredLauncher : public quillon::testing::StartingLauncher {
public:
    std::int64_t kbPerOpen = 0;
    std::optional<std::uint32_t> createdProcess() override { return static_cast<std::uint32_t>(started.size()); }
    std::optional<std::uint64_t> privateMemoryMB(std::uint32_t process) override {
        const auto& journal = started.at(process - 1)->journal();
        const auto opens = std::count_if(journal.begin(), journal.end(), [](const auto& e) {
            return e.type == standin::JournalEntryType::Access && e.access.member == "Open";
        });
        return static_cast<std::uint64_t>(opens * kbPerOpen / 1024);
    }
};

// Applications started ahead wait as COM's servers do: the next creation takes the one waiting.
class AheadLauncher : public MeasuredLauncher {
public:
    std::string refusal;
    std::function<std::size_t()> rows;
    Lines said;
    std::shared_ptr<standin::Engine> waiting;
    std::string startSpare() override {
        said.push_back("ahead after " + std::to_string(rows()));
        if (refusal.empty()) waiting = make();
        return refusal;
    }
    automation::ObjectPtr createInstance() override {
        if (waiting) said.push_back("taken");
        started.push_back(waiting ? std::exchange(waiting, nullptr) : make());
        return started.back()->application();
    }
    void endSpares() override {
        if (std::exchange(waiting, nullptr)) said.push_back("ended");
    }
};

class NightRuns : public ::testing::Test {
protected:
    TempFolder dir;
    MeasuredLauncher starting;
    quillon::testing::SilentUi ui;
    autocad::CadConnection connection{starting, ui, std::make_shared<autocad::CallMonitor>()};
    base::StdFileSystem files;
    std::atomic<bool> stop{false};
    quillon::testing::RecordingDisplay display{dir.path()};
    quillon::testing::FakeList list;
    json scenario = {{"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
                     {"defaultDevice", "Plotter.pc3"},
                     {"plotStyleTables", {"mono.ctb"}}};

    AheadLauncher ahead;
    autocad::CadConnection own{ahead, ui};
    PlotSetup everyFive{"Plotter.pc3", "A4", "mono.ctb", 1};

    void SetUp() override {
        starting.make = [this] { return standin::Engine::fromJson(scenario.dump(), dir.path()); };
        ahead.make = starting.make;
        ahead.rows = [this] { return display.starting("row").size(); };
        everyFive.cadRestartEvery = 5;
    }
    void listDrawings(int count) {
        list.rows.clear();
        for (int i = 0; i < count; ++i) {
            const std::string name = std::string(1, static_cast<char>('A' + i)) + ".dwg";
            dir.file(name, "drawing");
            list.rows.push_back({name, dir.path() + "/", false});
        }
    }
    PlotRun::Tally runAll(PlotSetup setup = {"Plotter.pc3", "A4", "mono.ctb", 1}) {
        PlotRun run(RunKind::AllListed, connection, files, display, list, stop, std::move(setup));
        run.runToEnd();
        EXPECT_EQ(run.ending(), PlotRun::Ending::Finished) << display.events.back();
        return run.tally();
    }
    std::int64_t callsPerDrawing() {
        listDrawings(4);
        runAll();
        const auto calls = starting.started.back()->callCount();
        connection.quitAutoCAD();
        starting.started.clear();
        display.events.clear();
        return calls / 4;
    }
    long rowsSaying(const std::string& text) const {
        const auto rows = display.starting("row");
        return std::count_if(rows.begin(), rows.end(), [&](const auto& r) { return r.find(text) != std::string::npos; });
    }
};

TEST_F(NightRuns, AnApplicationDyingEveryFewDrawingsCostsNothingAndADrawingThatKillsItTwiceFailsAlone) {
    const auto perDrawing = callsPerDrawing();
    // Every application dies in its third drawing, and opening G kills whichever application tries.
    scenario["faults"] = {{"dieAfterCalls", perDrawing * 5 / 2},
                          {"kills", {{{"object", "Documents"}, {"member", "Open"}, {"drawing", "G.dwg"}}}}};
    listDrawings(12);
    const auto tally = runAll();
    EXPECT_EQ(tally.plotted, 11);
    EXPECT_EQ(tally.failed, 1);
    EXPECT_EQ(rowsSaying("Failed: AutoCAD ended twice while this drawing was open"), 1);
    EXPECT_EQ(rowsSaying("row 6: Failed"), 0) << "F, in hand at a loss, is tried again";
    EXPECT_GT(tally.restarts, PlotRun::MaxRestarts) << "only losses in a row are counted";
    EXPECT_EQ(tally.plannedRestarts, 0);
}

// What the session keeps of an application (its Documents) goes with it: a new one is never reached through
// what an application renewed or lost handed over.
TEST_F(NightRuns, AnApplicationStartedAgainIsReachedThroughItsOwnObjectsAlone) {
    const auto perDrawing = callsPerDrawing();
    auto opensIn = [](const standin::Engine& engine) {
        Lines names;
        for (const auto& access : standin::accessesIn(engine.journal()))
            if (access.member == "Open") names.push_back(fs::path(access.args[0].get<std::string>()).filename());
        return names;
    };
    listDrawings(5);
    PlotSetup setup{"Plotter.pc3", "A4", "mono.ctb", 1};
    setup.cadRestartEvery = 2;
    EXPECT_EQ(runAll(setup).plotted, 5);
    ASSERT_EQ(starting.started.size(), 3u);
    EXPECT_EQ(opensIn(*starting.started[0]), (Lines{"E.dwg", "D.dwg"})) << "the list is run from its end";
    EXPECT_EQ(opensIn(*starting.started[1]), (Lines{"C.dwg", "B.dwg"}));
    EXPECT_EQ(opensIn(*starting.started[2]), (Lines{"A.dwg"}));

    // Each application dies in its second drawing: a loss costs one refused call, and the drawing in hand
    // opens in the next application at once.
    connection.quitAutoCAD();
    starting.started.clear();
    scenario["faults"] = {{"dieAfterCalls", perDrawing * 2}};
    listDrawings(4);
    const auto tally = runAll();
    EXPECT_EQ(std::tie(tally.plotted, tally.restarts), std::tuple(4, 3));
    for (const auto& engine : starting.started) {
        const auto accesses = standin::accessesIn(engine->journal());
        EXPECT_LE(std::count_if(accesses.begin(), accesses.end(), [](const auto& a) { return !a.executed; }), 1);
    }
}

TEST_F(NightRuns, QuillonsOwnApplicationIsReplacedEveryNDrawingsAndPastItsMemoryBoundNeverTheUsers) {
    listDrawings(5);
    PlotSetup setup{"Plotter.pc3", "A4", "mono.ctb", 1};
    setup.cadRestartEvery = 2;
    auto tally = runAll(setup);
    EXPECT_EQ(tally.plotted, 5);
    EXPECT_EQ(starting.started.size(), 3u) << "after the second and the fourth, never after the last";
    EXPECT_EQ(tally.plannedRestarts, 2);
    EXPECT_EQ(tally.restarts, 0);
    EXPECT_EQ(display.starting("status:AutoCAD restarted after 2 drawings").size(), 4u) << "said, then over Opening";
    EXPECT_NE(PlotRun::summaryText(PlotRun::Ending::Finished, tally).find("AutoCAD was restarted on purpose 2 times."),
              std::string::npos);

    // The bound: 1100 KB a drawing, read as whole MB, passes 1 MB at the second.
    connection.quitAutoCAD();
    starting.started.clear();
    starting.kbPerOpen = 1100;
    setup.cadRestartEvery = 0;
    setup.cadMemoryLimitMB = 1;
    tally = runAll(setup);
    EXPECT_EQ(tally.plotted, 5);
    EXPECT_EQ(tally.plannedRestarts, 2);
    EXPECT_EQ(display.starting("status:AutoCAD restarted after its memory passed 1 MB").size(), 4u);

    // The user's own application is used as it is, however many drawings.
    auto users = standin::Engine::fromJson(scenario.dump(), dir.path());
    quillon::testing::EngineLauncher attach;
    attach.application = users->application();
    autocad::CadConnection theirs{attach, ui};
    setup.cadRestartEvery = 1;
    PlotRun run(RunKind::AllListed, theirs, files, display, list, stop, setup);
    run.runToEnd();
    EXPECT_EQ(run.tally().plotted, 5);
    EXPECT_EQ(run.tally().plannedRestarts, 0);
}

TEST_F(NightRuns, AStartThatFailsOnceIsTriedAgainAndOnlyOneThatFailsEveryTimeFailsTheDrawingInHand) {
    listDrawings(5);
    // The first start fails once, as do the renewal before C and every attempt of the renewal before A, as
    // a start at the same moment as another's fails.
    int attempts = 0;
    starting.make = [&] {
        if (std::set<int>{1, 3, 5, 6, 7}.count(++attempts))
            throw automation::AutomationError(static_cast<std::int32_t>(0x80004002), "Error 0x80004002");
        return standin::Engine::fromJson(scenario.dump(), dir.path());
    };
    autocad::RetryingLauncher patient(std::shared_ptr<autocad::CadLauncher>(&starting, [](autocad::CadLauncher*) {}),
                                      {{std::chrono::milliseconds(1), std::chrono::milliseconds(1)},
                                       std::chrono::milliseconds(0)});
    autocad::CadConnection renewed{patient, ui};
    PlotSetup setup{"Plotter.pc3", "A4", "mono.ctb", 1};
    setup.cadRestartEvery = 2;
    PlotRun run(RunKind::AllListed, renewed, files, display, list, stop, setup);
    run.runToEnd();

    EXPECT_EQ(std::tie(run.tally().plotted, run.tally().failed, run.tally().sheetsWithWarnings), std::tuple(4, 1, 0));
    EXPECT_EQ(display.starting("status:AutoCAD started at the second attempt (the first failed: Error 0x80004002)")
                  .size(),
              2u)
        << "said, not warned, for the first start as for a renewal";
    EXPECT_EQ(rowsSaying("row 3: Plotted"), 1);
    EXPECT_EQ(rowsSaying("row 1: Failed: AutoCAD could not be started again: Error 0x80004002 (3 attempts)"), 1);
}

TEST_F(NightRuns, TheApplicationOfAPlannedRestartIsStartedAheadAndOneNoRestartTookEndsWithTheRun) {
    // The run plots 13, from the last: the three first rows, not chosen, end it before the third restart.
    listDrawings(16);
    for (std::size_t row = 3; row < 16; ++row) list.rows[row].selected = true;
    // Up to a row, then stopped, or left without a word as an exception leaves it.
    auto runTo = [&](std::size_t rows, bool stopped) {
        display.events.clear();
        ahead.said.clear();
        PlotRun run(RunKind::Selected, own, files, display, list, stop, everyFive);
        while (run.step() && display.starting("row").size() < rows) {
        }
        stop = stopped;
        while (stopped && run.step()) {
        }
        stop = false;
    };
    runTo(99, true);
    EXPECT_EQ(ahead.said, (Lines{"ahead after 2", "taken", "ahead after 7", "taken", "ahead after 12", "ended"}));
    for (bool stopped : {true, false}) {
        runTo(8, stopped);
        EXPECT_EQ(ahead.said, (Lines{"ahead after 2", "taken", "ahead after 7", "ended"})) << stopped;
    }
}

TEST_F(NightRuns, AnApplicationThatCannotBeStartedAheadCostsAWarningAndTheRestartStartsItAsBefore) {
    listDrawings(13);
    ahead.refusal = "Access is denied.";
    PlotRun run(RunKind::AllListed, own, files, display, list, stop, everyFive);
    run.runToEnd();
    EXPECT_EQ(std::tuple(run.ending(), run.tally().plotted, run.tally().failed, run.tally().plannedRestarts),
              std::tuple(PlotRun::Ending::Finished, 13, 0, 2));
    EXPECT_EQ(ahead.said, (Lines{"ahead after 2", "ahead after 7"})) << "none where no restart can follow";
    EXPECT_EQ(display.starting("status:AutoCAD could not be started ahead of its restart (Access is denied.)").size(),
              4u) << "said, then over Opening";
}

}  // namespace
}  // namespace quillon::plotting
