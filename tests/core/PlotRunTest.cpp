#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <iterator>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "CadTestFakes.h"
#include "RunTestSupport.h"
#include "StandinTestSupport.h"
#include "autocad/CadConnection.h"
#include "autocad/CallMonitor.h"
#include "autocad/CallWatchdog.h"
#include "base/StdFileSystem.h"
#include "plotting/PlotRun.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/record/ReportRows.h"

namespace quillon::plotting {
namespace {

using automation::AutomationError;
using automation::ObjectPtr;
using nlohmann::json;
using standin::JournalEntryType;
using standin::testing::TempFolder;
using Lines = std::vector<std::string>;

using quillon::testing::EngineLauncher;
using quillon::testing::SilentUi;
using quillon::testing::FakeList;
using quillon::testing::RecordingDisplay;
using quillon::testing::StartingLauncher;

const PlotSetup Chosen{"Plotter.pc3", "A4", "mono.ctb", 1};

class PlotRuns : public ::testing::Test {
protected:
    TempFolder dir;
    std::shared_ptr<standin::Engine> engine;
    EngineLauncher launcher;
    SilentUi ui;
    autocad::CadConnection connection{launcher, ui};
    base::StdFileSystem files;
    std::atomic<bool> stop{false};
    RecordingDisplay display{dir.path()};
    FakeList list;

    void start(json extra = json::object()) {
        json scenario = {{"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
                         {"defaultDevice", "Plotter.pc3"},
                         {"plotStyleTables", {"mono.ctb"}},
                         {"drawings", {{{"file", "L.dwg"}, {"layouts", {{{"name", "One"}}, {{"name", "Two"}}}}}}}};
        scenario.update(extra);
        engine = standin::Engine::fromJson(scenario.dump(), dir.path());
        launcher.application = engine->application();
    }
    // Listed drawings, first to last; each file exists unless named "missing...".
    void listDrawings(const Lines& names) {
        list.rows.clear();
        for (const auto& name : names) {
            if (name.rfind("missing", 0) != 0) dir.file(name, "drawing");
            list.rows.push_back({name, dir.path() + "/", false});
        }
    }
    PlotRun& run(RunKind kind, PlotSetup setup = Chosen) {
        runs_.push_back(std::make_unique<PlotRun>(kind, connection, files, display, list, stop, std::move(setup)));
        return *runs_.back();
    }
    Lines opened() const {
        Lines out;
        for (const auto& a : standin::accessesIn(engine->journal()))
            if (a.member == "Open") out.push_back(std::filesystem::path(a.args[0].get<std::string>()).filename());
        return out;
    }
    Lines closed() const {
        Lines out;
        for (const auto& e : engine->journal())
            if (e.type == JournalEntryType::Close) out.push_back(std::filesystem::path(e.close.document).filename());
        return out;
    }

protected:
    std::vector<std::unique_ptr<PlotRun>> runs_;
};

// The display of one drawing plotted from model space in the all-listed run.
Lines allListedEntry(int entry, const std::string& name, int progress, int count) {
    return {"hourglass",
            "panel:Processing ...",
            "progress:" + std::to_string(progress),
            "status:Opening Drawing " + name + " ...",
            "status:Printing Model Space from Drawing " + name + " ...",
            "status:Closing Drawing " + name + " ...",
            "row " + std::to_string(entry) + ": Plotted (model space)",
            "normal",
            "panel:Ready",
            "progress:0",
            "status:" + std::to_string(count) + "  Files Found  "};
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(PlotRuns, ChoicesAreValidatedInOrderBeforeAnythingIsTouched) {
    start();
    listDrawings({"A.dwg"});
    const PlotSetup placeholders{"Select a Printer", "Select a Paper", "Select Plot Style Table", 0};
    EXPECT_FALSE(run(RunKind::AllListed, placeholders).start());
    EXPECT_FALSE(run(RunKind::Selected, {"Plotter.pc3", "", "", 0}).start());
    EXPECT_FALSE(run(RunKind::AllDrawings, {"Plotter.pc3", "A4", "Select Ctb File", 0}).start());
    EXPECT_FALSE(run(RunKind::AllListed, {"None", "A4", "mono.ctb", 0}).start());
    PlotSetup elsewhere = Chosen;
    elsewhere.files.folder = dir.path() + "/gone";
    EXPECT_FALSE(run(RunKind::AllListed, elsewhere).start());
    PlotSetup asDrawings = Chosen;  // a resumed report's column can carry what a job would have been refused
    asDrawings.files.extension = ".DWG";
    EXPECT_FALSE(run(RunKind::AllListed, asDrawings).start());
    EXPECT_EQ(display.events,
              (Lines{"message:Printer Not Selected|Please Select a Printer before printing",
                     "message:Paper Not Selected|Please Select a Paper Size before Ploting",
                     "message:Plot Style Table Not Selected|Please Select a Plot Style Table before printing",
                     "message:Printer Not Selected|Please Select a Printer before printing",
                     "message:Plot Folder|" + PlotRun::plotFolderRefusal("gone"),
                     "message:Plot Files|A plot file's extension cannot be " + *plotExtensionRefusal("dwg")}));
    EXPECT_FALSE(connection.connected());
}

TEST_F(PlotRuns, AllListedPlotsFromTheLastEntryAndPutsTheDisplayBackAfterEach) {
    start();
    listDrawings({"A.dwg", "B.dwg", "C.dwg"});
    auto& all = run(RunKind::AllListed);
    all.runToEnd();

    EXPECT_EQ(opened(), (Lines{"C.dwg", "B.dwg", "A.dwg"}));
    EXPECT_EQ(closed(), (Lines{"C.dwg", "B.dwg", "A.dwg"}));
    const Lines expected =
        allListedEntry(3, "C.dwg", 33, 3) + allListedEntry(2, "B.dwg", 66, 3) + allListedEntry(1, "A.dwg", 100, 3) +
        Lines{"panel:Ready", "progress:0", "normal",
              "status:3  Files Found  \r\nRun finished: 3 drawings plotted (3 sheets), 0 skipped, 0 failed."};
    EXPECT_EQ(display.events, expected);
    EXPECT_EQ(all.ending(), PlotRun::Ending::Finished);
    EXPECT_EQ(all.strFileName(), dir.at("A.dwg"));
}

TEST_F(PlotRuns, SelectedRunCountsEveryEntryButPlotsOnlyTheSelected) {
    start();
    listDrawings({"A.dwg", "B.dwg", "C.dwg", "D.dwg"});
    list.rows[1].selected = true;
    run(RunKind::Selected).runToEnd();

    EXPECT_EQ(opened(), Lines{"B.dwg"});
    EXPECT_EQ(display.starting("progress:"),
              (Lines{"progress:25", "progress:50", "progress:75", "progress:0", "progress:100", "progress:0"}));
    const Lines lastEntryAndEnd{
        "panel:Processing ...",
        "progress:100",
        "hourglass",
        "panel:Ready",
        "progress:0",
        "normal",
        "status:4  Files Found  \r\nRun finished: 1 drawing plotted (1 sheet), 0 skipped, 0 failed."};
    EXPECT_EQ(Lines(display.events.end() - 7, display.events.end()), lastEntryAndEnd);
}

TEST_F(PlotRuns, AllDrawingsRunLeavesItsProgressStandingUntilTheEnd) {
    start();
    listDrawings({"A.dwg", "B.dwg"});
    list.directory = "C:\\Jobs\\J12";
    run(RunKind::AllDrawings).runToEnd();

    auto entry = [](int n, const std::string& name, int progress) {
        return Lines{"hourglass",
                     "panel:Processing ...",
                     "progress:" + std::to_string(progress),
                     "status:Printing All Drawings in C:\\Jobs\\J12 ...",
                     "repaint",
                     "status:Opening Drawing " + name + " ...",
                     "status:Printing Model Space from Drawing " + name + " ...",
                     "status:Closing Drawing " + name + " ...",
                     "row " + std::to_string(n) + ": Plotted (model space)",
                     "normal"};
    };
    const Lines end{"status:2  Files Found  ", "panel:Ready", "progress:0", "normal",
                    "status:2  Files Found  \r\nRun finished: 2 drawings plotted (2 sheets), 0 skipped, 0 failed."};
    EXPECT_EQ(display.events, entry(2, "B.dwg", 50) + entry(1, "A.dwg", 100) + end);
}

TEST_F(PlotRuns, AnEmptyListOnlyPutsTheDisplayBack) {
    start();
    run(RunKind::AllListed).runToEnd();
    run(RunKind::Selected).runToEnd();
    const Lines reset{"panel:Ready", "progress:0", "normal",
                      "status:Run finished: 0 drawings plotted (0 sheets), 0 skipped, 0 failed."};
    EXPECT_EQ(display.events, reset + reset);

    display.events.clear();
    run(RunKind::AllDrawings).runToEnd();
    EXPECT_EQ(display.events.front(), "status:0  Files Found  ");
    EXPECT_FALSE(connection.connected()) << "nothing asked of the application";
}

TEST_F(PlotRuns, StopLeftOverFromASearchEndsEveryRunBeforeItsFirstDrawing) {
    start();
    listDrawings({"A.dwg", "B.dwg"});
    list.rows[1].selected = true;
    stop = true;
    const std::string stopped = "status:Run stopped: 0 drawings plotted (0 sheets), 0 skipped, 0 failed.";
    run(RunKind::AllListed).runToEnd();
    EXPECT_EQ(display.events, (Lines{"hourglass", "normal", stopped}));
    display.events.clear();
    run(RunKind::Selected).runToEnd();
    EXPECT_EQ(display.events, (Lines{"panel:Processing ...", "progress:50", "hourglass", "normal", stopped}));
    display.events.clear();
    run(RunKind::AllDrawings).runToEnd();
    EXPECT_EQ(display.events, Lines{stopped});
    EXPECT_TRUE(opened().empty());
}

TEST_F(PlotRuns, ThePrintLayoutsBoxChoosesLayoutsOnlyForDrawingsThatHaveThem) {
    start();
    listDrawings({"M.dwg", "L.dwg"});
    run(RunKind::AllListed).runToEnd();
    PlotSetup modelSpace = Chosen;
    modelSpace.layouts = false;
    run(RunKind::AllListed, modelSpace).runToEnd();
    EXPECT_EQ(display.starting("row"), (Lines{"row 2: 2 layouts plotted", "row 1: Plotted (model space)",
                                              "row 2: Plotted (model space)", "row 1: Plotted (model space)"}));
    EXPECT_EQ(display.starting("status:Printing All Layouts of ").size(), 1u);
}

TEST_F(PlotRuns, AFailingDrawingIsReportedClosedAndTheRunGoesOn) {
    start({{"faults",
            {{"throws",
              {{{"object", "Layouts"},
                {"member", "Count"},
                {"drawing", "B.dwg"},
                {"description", "Layout table damaged"}}}}}}});
    listDrawings({"A.dwg", "B.dwg"});
    auto& all = run(RunKind::AllListed);
    all.runToEnd();

    EXPECT_EQ(closed(), (Lines{"B.dwg", "A.dwg"}));
    EXPECT_EQ(display.starting("row"), (Lines{"row 2: Failed: Layout table damaged", "row 1: Plotted (model space)"}));
    const auto statuses = display.starting("status:");
    EXPECT_EQ(statuses[1], "status:Error plotting B.dwg: Layout table damaged");
    EXPECT_EQ(statuses[2], "status:Closing Drawing B.dwg ...");
    EXPECT_EQ(statuses.back(),
              "status:2  Files Found  \r\nRun finished: 1 drawing plotted (1 sheet), 0 skipped, 1 failed.");
}

TEST_F(PlotRuns, ADrawingThatWillNotCloseEndsOnlyItselfAndIsNotPlottedAgain) {
    start({{"faults",
            {{"throws",
              {{{"object", "Document"}, {"member", "Close"}, {"drawing", "B.dwg"}, {"description", "close refused"}}}}}}});
    listDrawings({"A.dwg", "B.dwg", "C.dwg"});
    run(RunKind::AllListed).runToEnd();
    const Lines rows = display.starting("row");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], "row 3: Plotted (model space)");
    EXPECT_EQ(rows[1].rfind("row 2: Plotted (model space); not closed: ", 0), 0u) << rows[1];
    EXPECT_EQ(rows[2], "row 1: Plotted (model space)") << "the next drawing opens normally";
    EXPECT_NE(rows[1].find("it is left open in AutoCAD"), std::string::npos) << "the user's application keeps it";
    DrawingOutcome stuck;
    stuck.kind = DrawingOutcome::Kind::ModelPlotted;
    stuck.sheets = {{"Model", "", true, {}}};
    stuck.closeError = "close refused";
    const auto reportRowsOfStuck = reportRows(stuck, Chosen, "");
    EXPECT_EQ(reportRowsOfStuck.back().outcome, "plotted with warnings") << "a resume does not plot it again";
    EXPECT_EQ(reportRowsOfStuck.back().reason, "could not be closed: close refused");
}

TEST_F(PlotRuns, DrawingsThatCannotBeTakenAreReportedAndTheUsersDocumentsSurvive) {
    start({{"reopenOpenDocuments", "refuse"},
           {"openDocuments", {{{"path", dir.at("Mine.dwg")}, {"modified", true}}}},
           {"drawings", {{{"file", "Bad.dwg"}, {"openError", "the drawing file is damaged"}}}}});
    listDrawings({"missing.dwg", "Bad.dwg", "Mine.dwg", "Good.dwg"});
    run(RunKind::AllListed).runToEnd();

    EXPECT_EQ(
        display.starting("row"),
        (Lines{"row 4: Plotted (model space)",
               "row 3: Skipped: already open in AutoCAD, which would not open it again read-only",
               "row 2: Failed: Cannot open Bad.dwg: the drawing file is damaged", "row 1: Skipped: file not found"}));
    EXPECT_EQ(closed(), Lines{"Good.dwg"});
    auto documents = connection.app().documents().items();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(documents[0].getVariable("DBMOD").toInt(), 1);
}

// An add-on that works with one drawing has set SDI 2 or 3: a drawing Quillon opened there would take the place of
// the user's, so Quillon plots in an application of its own (also in that mode), or names SDI when none starts.
// 0: the add-on is loaded once the window has attached, before the run.
TEST_F(PlotRuns, AUsersApplicationInASingleDocumentModeOfItsOwnIsLeftAloneAndQuillonPlotsInItsOwn) {
    for (int mode : {2, 3, 0}) {
        const int sdi = mode == 0 ? 2 : mode;
        start({{"sdi", mode}, {"answerMilliseconds", 10}, {"openDocuments", {{{"path", dir.at("Mine.dwg")}, {"modified", true}}}}});
        listDrawings({"A.dwg", "B.dwg"});
        struct : autocad::CadLauncher {
            ObjectPtr users;
            StartingLauncher own;
            ObjectPtr connectRunning() override { return users; }
            ObjectPtr createInstance() override { return own.createInstance(); }
        } launchers;
        launchers.users = engine->application();
        launchers.own.make = [&] {
            return standin::Engine::fromJson(json({{"sdi", sdi}, {"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
                                                   {"defaultDevice", "Plotter.pc3"}, {"plotStyleTables", {"mono.ctb"}}})
                                                 .dump(),
                                             dir.path());
        };
        autocad::CadConnection both(launchers, ui);
        if (mode == 0) {
            ASSERT_TRUE(both.connectAutoCAD());
            engine->loadSingleDocumentAddOn(sdi);
        }
        PlotRun all(RunKind::AllListed, both, files, display, list, stop, Chosen);
        all.runToEnd();
        EXPECT_EQ(all.tally().plotted, 2) << "SDI " << mode;
        EXPECT_EQ(autocad::CadApplication(engine->application()).activeDocument().getVariable("BACKGROUNDPLOT").toInt(), 2)
            << "given back";
        EXPECT_TRUE(opened().empty()) << "nothing was opened in the user's application";
        EXPECT_TRUE(closed().empty());
        ASSERT_EQ(launchers.own.started.size(), 1u);
        EXPECT_EQ(standin::plotsIn(launchers.own.started[0]->journal()).size(), 2u);
    }
    autocad::CadConnection cannotStart(launcher, ui);
    EXPECT_FALSE(cannotStart.connectAutoCAD());
    EXPECT_TRUE(cannotStart.takeStartFailure());
    EXPECT_NE(cannotStart.startFailureReason().find("single-document mode (SDI 2"), std::string::npos)
        << cannotStart.startFailureReason();
}

// The reference is silent on opening a file already open: an application that hands back the user's own document
// gets nothing of Quillon's done to it, in a run or a check, and the rest go on.
TEST_F(PlotRuns, TheUsersOwnDocumentHandedBackIsNeitherSetUpNorClosedInARunOrACheck) {
    for (auto purpose : {RunPurpose::Plot, RunPurpose::Check}) {
        start({{"reopenOpenDocuments", "handBack"}, {"openDocuments", {{{"path", dir.at("Mine.dwg")}, {"modified", true}}}}});
        listDrawings({"Mine.dwg", "Good.dwg"});
        display.events.clear();
        PlotSetup setup = Chosen;
        setup.purpose = purpose;
        autocad::CadConnection users(launcher, ui);
        PlotRun(RunKind::AllListed, users, files, display, list, stop, setup).runToEnd();
        const auto rows = display.starting("row");
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1], std::string(purpose == RunPurpose::Plot ? "row 1: Skipped: " : "row 1: Problems: ") +
                               "already open in AutoCAD, which would not open it again read-only");
        EXPECT_EQ(closed(), Lines{"Good.dwg"});
        for (const auto& a : standin::accessesIn(engine->journal()))
            EXPECT_FALSE(a.kind == "put" && a.object.find("Mine.dwg") != std::string::npos) << a.object << "." << a.member;
        auto mine = users.app().activeDocument();
        EXPECT_EQ(mine.name(), "Mine.dwg");
        EXPECT_EQ(mine.getVariable("SDI").toInt(), 0) << "the user's SDI given back";
        EXPECT_EQ(mine.getVariable("BACKGROUNDPLOT").toInt(), 2) << "the user's BACKGROUNDPLOT given back";
    }
}

TEST_F(PlotRuns, StopBetweenLayoutsFinishesTheDrawingClosesItAndEnds) {
    start();
    listDrawings({"A.dwg", "L.dwg"});
    auto& all = run(RunKind::AllListed);
    ASSERT_TRUE(all.start());
    while (standin::plotsIn(engine->journal()).empty() && all.step()) {
    }
    stop = true;
    while (all.step()) {
    }
    EXPECT_EQ(all.ending(), PlotRun::Ending::Stopped);
    EXPECT_EQ(standin::plotsIn(engine->journal()).size(), 1u);
    EXPECT_EQ(closed(), Lines{"L.dwg"});
    EXPECT_EQ(opened(), Lines{"L.dwg"});
    EXPECT_EQ(display.starting("row"), Lines{"row 2: 1 layout plotted (stopped)"});
}

TEST_F(PlotRuns, ADeadApplicationEndsTheRunAndTheNextRunConnectsAgain) {
    listDrawings({"A.dwg", "B.dwg", "C.dwg"});
    start();
    run(RunKind::AllListed).runToEnd();
    const auto callsForAll = engine->callCount();
    connection.quitAutoCAD();

    start({{"faults", {{"dieAfterCalls", callsForAll / 2}}}});
    auto& dying = run(RunKind::AllListed);
    display.events.clear();
    dying.runToEnd();
    EXPECT_EQ(dying.ending(), PlotRun::Ending::ApplicationLost);
    EXPECT_FALSE(connection.connected());
    const auto messages = display.starting("message:");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("message:AutoCAD Not Responding|AutoCAD stopped responding while plotting B.dwg", 0),
              0u)
        << messages[0];
    EXPECT_EQ(display.events.back().rfind("status:", 0), 0u);
    EXPECT_NE(display.events.back().find(
                  "\r\nRun ended, AutoCAD was lost: 1 drawing plotted (1 sheet), 0 skipped, 1 failed."),
              std::string::npos)
        << display.events.back();

    start();
    auto& next = run(RunKind::AllListed);
    next.runToEnd();
    EXPECT_EQ(next.ending(), PlotRun::Ending::Finished);
    EXPECT_EQ(standin::plotsIn(engine->journal()).size(), 3u);
}

class RestartingRuns : public PlotRuns {
protected:
    StartingLauncher starting;
    std::shared_ptr<autocad::CallMonitor> monitor = std::make_shared<autocad::CallMonitor>();
    autocad::CadConnection startedConnection{starting, ui, monitor};

    // Calls an application serves from connecting to the end of the run over the listed drawings.
    std::int64_t callsForWholeRun() {
        start();
        run(RunKind::AllListed).runToEnd();
        return engine->callCount();
    }
    PlotRun& startedRun() {
        runs_.push_back(
            std::make_unique<PlotRun>(RunKind::AllListed, startedConnection, files, display, list, stop, Chosen));
        return *runs_.back();
    }
    // An application Quillon starts, with these faults.
    std::shared_ptr<standin::Engine> application(json faults = json::object()) const {
        json scenario = {{"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
                         {"defaultDevice", "Plotter.pc3"},
                         {"plotStyleTables", {"mono.ctb"}},
                         {"faults", std::move(faults)}};
        return standin::Engine::fromJson(scenario.dump(), dir.path());
    }
    int plotsOverAll() const {
        int plots = 0;
        for (const auto& e : starting.started) plots += static_cast<int>(standin::plotsIn(e->journal()).size());
        return plots;
    }
};

TEST_F(RestartingRuns, AnApplicationQuillonStartedIsStartedAgainAndTheRunGoesOnWithTheNextDrawing) {
    listDrawings({"A.dwg", "B.dwg", "C.dwg", "D.dwg"});
    const auto dieAfter = callsForWholeRun() / 2;
    starting.make = [&] {
        json scenario = {{"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
                         {"defaultDevice", "Plotter.pc3"},
                         {"plotStyleTables", {"mono.ctb"}},
                         {"sdi", 1}};
        // Only the first application dies; its successors start in single-document mode with nothing open.
        if (starting.started.empty()) scenario["faults"] = {{"dieAfterCalls", dieAfter}};
        return standin::Engine::fromJson(scenario.dump(), dir.path());
    };
    ASSERT_TRUE(startedConnection.connectAutoCAD());
    // The window ended the first application because a call never came back.
    monitor->markEndedByWatchdog();
    display.events.clear();
    auto& all = startedRun();
    all.runToEnd();

    EXPECT_EQ(all.ending(), PlotRun::Ending::Finished);
    ASSERT_EQ(starting.started.size(), 2u);
    EXPECT_EQ(all.tally().restarts, 1);
    EXPECT_EQ(all.tally().failed, 1);
    EXPECT_EQ(all.tally().plotted, 3);
    EXPECT_EQ(plotsOverAll(), 3) << "every drawing but the one in hand is plotted once";
    const auto rows = display.starting("row");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "row 3: Failed: AutoCAD stopped answering") +
                  std::count(rows.begin(), rows.end(), "row 2: Failed: AutoCAD stopped answering"),
              1)
        << rows[0] << " | " << rows[1] << " | " << rows[2] << " | " << rows[3];
    EXPECT_TRUE(display.starting("message:").empty()) << "a restart that works needs no message";
    EXPECT_NE(display.events.back().find("0 skipped, 1 failed. AutoCAD was started again 1 time."), std::string::npos)
        << display.events.back();
    // The replacement allowed several drawings, so none was refused for single-document mode.
    for (const auto& row : rows) EXPECT_EQ(row.find("single"), std::string::npos) << row;
}

// An invalid signature is shown whatever SIGWARN says: nothing keeps the question away, so the open outlasts its
// own limit, which is shorter than a call's. The drawing fails alone, is not tried again, and the rest plot.
TEST_F(RestartingRuns, AnOpenWaitingOnAQuestionPastItsLimitFailsAloneInAFreshApplication) {
    using namespace std::chrono_literals;
    listDrawings({"A.dwg", "Signed.dwg", "C.dwg"});
    std::mutex current;
    std::shared_ptr<standin::Engine> latest;
    starting.make = [&] {
        auto made = standin::Engine::fromJson(
            json({{"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
                  {"defaultDevice", "Plotter.pc3"}, {"plotStyleTables", {"mono.ctb"}},
                  {"drawings", {{{"file", "Signed.dwg"}, {"invalidSignature", true}}}}})
                .dump(),
            dir.path());
        std::lock_guard<std::mutex> lock(current);
        return latest = made;
    };
    ASSERT_TRUE(startedConnection.connectAutoCAD());
    // The window's watch: a call may take an hour, an open a tenth of a second.
    autocad::CallWatchdog watchdog(50ms, 1h, 100ms);
    std::atomic<bool> done{false};
    std::thread window([&] {
        for (; !done; std::this_thread::sleep_for(10ms)) {
            auto call = monitor->snapshot();
            call.serverProcess = 7;  // known, as for an application Quillon started
            if (watchdog.check(call, autocad::CallMonitor::Clock::now()).action !=
                autocad::CallWatchdog::Verdict::Action::EndProcess)
                continue;
            monitor->markEndedByWatchdog();
            std::lock_guard<std::mutex> lock(current);
            latest->kill();
        }
    });
    auto& all = startedRun();
    all.runToEnd();
    done = true;
    window.join();
    EXPECT_EQ(display.starting("row"), (Lines{"row 3: Plotted (model space)",
                                              "row 2: Failed: AutoCAD asked a question while opening this drawing",
                                              "row 1: Plotted (model space)"}));
    EXPECT_EQ(all.tally().restarts, 1);
}

// Quillon's own application is started again once a drawing would not close, and the next opens there.
TEST_F(RestartingRuns, ADrawingThatWillNotCloseInQuillonsOwnApplicationIsLeftInItAndAFreshOneGoesOn) {
    listDrawings({"A.dwg", "B.dwg", "C.dwg"});
    starting.make = [&] {
        return application(starting.started.empty() ? json{{"throws", {{{"object", "Document"}, {"member", "Close"},
                                                                         {"drawing", "B.dwg"}}}}}
                                                    : json::object());
    };
    monitor->endServerWith([&] {
        starting.started.back()->kill();
        return true;
    });
    auto& all = startedRun();
    all.runToEnd();
    ASSERT_EQ(starting.started.size(), 2u);
    EXPECT_EQ(standin::plotsIn(starting.started[1]->journal()).size(), 1u) << "A, in the fresh application";
    EXPECT_EQ(all.tally().restarts, 0) << "nothing was lost";
    EXPECT_NE(display.starting("row").at(1).find("; AutoCAD was ended and started again without it"), std::string::npos);
    for (const auto& e : starting.started[0]->journal())
        EXPECT_NE(e.type, JournalEntryType::Quit) << "Quit would ask about B, which would not close";
}

TEST_F(RestartingRuns, AFourthLossInARowEndsTheRunWithTheMessageAndAUsersApplicationIsNeverReplaced) {
    // Each application dies in its first drawing: none is finished between the losses, the fourth ends the run.
    listDrawings({"A.dwg", "B.dwg", "C.dwg", "D.dwg", "E.dwg", "F.dwg", "G.dwg", "H.dwg", "I.dwg"});
    const auto perDrawing = callsForWholeRun() / 9;
    json scenario = {{"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
                     {"defaultDevice", "Plotter.pc3"},
                     {"plotStyleTables", {"mono.ctb"}}};
    starting.make = [&] { return standin::Engine::fromJson(scenario.dump(), dir.path()); };
    ASSERT_TRUE(startedConnection.connectAutoCAD());
    const auto connecting = starting.started.back()->callCount();
    startedConnection.quitAutoCAD();
    starting.started.clear();
    scenario["faults"] = {{"dieAfterCalls", connecting + perDrawing / 2}};
    display.events.clear();
    auto& all = startedRun();
    all.runToEnd();
    EXPECT_EQ(all.ending(), PlotRun::Ending::ApplicationLost);
    EXPECT_EQ(all.tally().restarts, PlotRun::MaxRestarts);
    EXPECT_EQ(starting.started.size(), 1u + PlotRun::MaxRestarts);
    ASSERT_EQ(display.starting("message:").size(), 1u);
    EXPECT_EQ(display.starting("message:")[0].rfind("message:AutoCAD Not Responding|", 0), 0u);
    const auto rows = display.starting("row");
    ASSERT_EQ(rows.size(), 2u) << "the first drawing was tried once more; the second is in hand at the fourth loss";
    EXPECT_EQ(rows[0], "row 9: Failed: AutoCAD ended twice while this drawing was open");
    EXPECT_EQ(rows[1], "row 8: Failed: AutoCAD ended twice while this drawing was open") << "the fourth loss";

    // Lost while attached to the user's own application: no new one, the run ends at once.
    listDrawings({"A.dwg", "B.dwg", "C.dwg"});
    const auto dieAfter = callsForWholeRun() / 2;
    connection.quitAutoCAD();
    start({{"faults", {{"dieAfterCalls", dieAfter}}}});
    auto& users = run(RunKind::AllListed);
    users.runToEnd();
    EXPECT_EQ(users.ending(), PlotRun::Ending::ApplicationLost);
    EXPECT_EQ(users.tally().restarts, 0);
}

TEST_F(PlotRuns, StopWhileADrawingIsOpenClosesItBeforeAnythingIsPlotted) {
    start();
    listDrawings({"A.dwg", "L.dwg"});
    auto& all = run(RunKind::AllListed);
    ASSERT_TRUE(all.start());
    while (opened().empty() && all.step()) {
    }
    stop = true;
    while (all.step()) {
    }
    EXPECT_EQ(all.ending(), PlotRun::Ending::Stopped);
    EXPECT_TRUE(standin::plotsIn(engine->journal()).empty());
    EXPECT_EQ(closed(), Lines{"L.dwg"});
    EXPECT_EQ(display.starting("row"), Lines{"row 2: Skipped: stopped before plotting"});
    EXPECT_NE(display.events.back().find("Run stopped: 0 drawings plotted (0 sheets), 1 skipped, 0 failed."),
              std::string::npos)
        << display.events.back();
}

TEST_F(PlotRuns, SettingsThatDidNotTakeAreNamedOnTheRowAndCountedInTheSummary) {
    start({{"faults",
            {{"throws",
              {{{"object", "Layout"}, {"member", "StyleSheet"}, {"access", "put"}, {"description", "Table locked"},
                {"count", 1}}}}}}});
    listDrawings({"L.dwg"});
    run(RunKind::AllListed, {"Plotter.pc3", "Tabloid", "mono.ctb", 0}).runToEnd();
    EXPECT_EQ(display.starting("row "),
              Lines{"row 1: 2 layouts plotted, 2 with warnings: One: paper \"Tabloid\" not set (the device does not "
                    "offer it; plotted on \"ISO_A4_(210.00_x_297.00_MM)\"); One: plot style table \"mono.ctb\" not "
                    "set (Table locked); Two: paper \"Tabloid\" not set (the device does not offer it; plotted on "
                    "\"ISO_A4_(210.00_x_297.00_MM)\")"});
    EXPECT_NE(display.events.back().find(
                  "Run finished: 1 drawing plotted (2 sheets, 2 with warnings), 0 skipped, 0 failed."),
              std::string::npos)
        << display.events.back();
}

TEST_F(PlotRuns, TheRunPlotsTheDrawingsItOpenedWhenTheUserMakesTheirOwnActiveBetweenItsSteps) {
    const std::string mine = dir.file("Mine.dwg", "drawing");
    start({{"openDocuments", {{{"path", mine}}}}});
    listDrawings({"A.dwg", "B.dwg"});
    auto& all = run(RunKind::AllListed);
    ASSERT_TRUE(all.start());
    auto users = engine->application();  // a second client, as the user clicking their drawing's window
    while (all.step()) {
        const auto accesses = standin::accessesIn(engine->journal());
        if (!accesses.empty() && accesses.back().member == "Activate")
            users->put("ActiveDocument", users->object("Documents")->call("Item", {automation::Value(0)}));
    }
    Lines plotted;
    for (const auto& plot : standin::plotsIn(engine->journal())) plotted.push_back(plot.drawing);
    EXPECT_EQ(plotted, (Lines{dir.at("B.dwg"), dir.at("A.dwg")}));
    for (const auto& a : standin::accessesIn(engine->journal()))
        EXPECT_FALSE(a.object.find("Mine.dwg") != std::string::npos && a.kind == "put") << a.object << "." << a.member;
    EXPECT_EQ(all.tally().plotted, 2);
}

TEST_F(PlotRuns, ModelSpaceIsPlottedInTheForegroundSoNoSheetIsLostWithItsDrawing) {
    start({{"backgroundPlot", 3}});
    listDrawings({"A.dwg"});
    run(RunKind::AllListed).runToEnd();
    const auto plots = standin::plotsIn(engine->journal());
    ASSERT_EQ(plots.size(), 1u);
    EXPECT_EQ(plots[0].backgroundPlot, 0);
    EXPECT_FALSE(plots[0].lost);
    EXPECT_TRUE(plots[0].succeeded);
}

TEST_F(PlotRuns, TheUsersBackgroundPlotIsPutBackAfterANormalAStoppedAndALostRun) {
    auto backgroundPlot = [&] {
        return autocad::CadApplication(engine->application()).activeDocument().getVariable("BACKGROUNDPLOT").toInt();
    };
    start({{"backgroundPlot", 3}});
    listDrawings({"A.dwg", "L.dwg"});
    run(RunKind::AllListed).runToEnd();
    EXPECT_EQ(backgroundPlot(), 3) << "after a normal run";
    // The call that plots the first sheet, while Quillon's value is set.
    const auto accesses = standin::accessesIn(engine->journal());
    const auto firstPlot = std::find_if(accesses.begin(), accesses.end(),
                                        [](const auto& access) { return access.member == "PlotToFile"; });
    ASSERT_NE(firstPlot, accesses.end());
    const auto callsToFirstPlot = std::distance(accesses.begin(), firstPlot) + 1;

    auto& stopped = run(RunKind::AllListed);
    ASSERT_TRUE(stopped.start());
    while (standin::plotsIn(engine->journal()).size() < 4 && stopped.step()) {
    }
    stop = true;
    while (stopped.step()) {
    }
    stop = false;
    EXPECT_EQ(stopped.ending(), PlotRun::Ending::Stopped);
    EXPECT_EQ(backgroundPlot(), 3) << "after a stopped run";

    // The user's application dies during the run; the one they start next read Quillon's 0 from their profile.
    connection.quitAutoCAD();
    start({{"backgroundPlot", 3}, {"faults", {{"dieAfterCalls", callsToFirstPlot}}}});
    auto& lost = run(RunKind::AllListed);
    lost.runToEnd();
    EXPECT_EQ(lost.ending(), PlotRun::Ending::ApplicationLost);
    start({{"backgroundPlot", 0}});
    ASSERT_TRUE(connection.ensureConnected());
    EXPECT_EQ(backgroundPlot(), 3) << "after a lost run";
}

}  // namespace
}  // namespace quillon::plotting
