#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "RunHarness.h"
#include "StandinTestSupport.h"
#include "app/RunExit.h"
#include "base/StdFileSystem.h"
#include "plotting/changes/ChangeCheck.h"
#include "plotting/job/FirstOpenCheck.h"
#include "plotting/changes/PlotKeyStore.h"
#include "plotting/record/ReportRows.h"
#include "run/RunRequest.h"

// Runs that plot only what changed since the last plot, against the stand-in: what counts as a change, and
// that a drawing with none is never opened.
namespace quillon::run {
namespace {

namespace fs = std::filesystem;
using plotting::PlotRun;
using standin::testing::TempFolder;
using testing::countOf;

// Counts every way a session reaches an application: a run that connects late and opens nothing reaches none.
struct CountingLauncher : testing::EngineLauncher {
    std::atomic<int> reached{0};
    automation::ObjectPtr connectRunning() override {
        ++reached;
        return EngineLauncher::connectRunning();
    }
    automation::ObjectPtr createInstance() override {
        ++reached;
        return EngineLauncher::createInstance();
    }
};

class ChangedRun : public ::testing::Test {
protected:
    TempFolder dir;
    std::shared_ptr<standin::Engine> engine;
    CountingLauncher launcher;
    std::unique_ptr<testing::RunWorld> world;
    std::vector<std::string> paths;
    // Named after the test's own folder: the repair's upward search would find another test's file of a
    // shared name in the system's temporary folder.
    std::string site = "site " + fs::path(dir.path()).filename().string() + ".dwg";

    void SetUp() override {
        const nlohmann::json scenario = {
            {"devices",
             {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}},
              {{"name", "Other.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}},
              {{"name", "DWG To PDF.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
            {"plotStyleTables", {"mono.ctb"}},
            {"drawings",
             {{{"file", "A.dwg"}, {"xrefs", {{{"name", "SITE"}, {"path", site}}}}},
              {{"file", "Office.dwt"}, {"pageSetups", {{{"name", "Model Issue"}, {"modelType", true}, {"plotType", 1}}}}}}}};
        engine = standin::Engine::fromJson(scenario.dump(), dir.path());
        launcher.application = engine->application();
        world = std::make_unique<testing::RunWorld>(launcher, dir.path());
        dir.file("J/" + site, "site");
        for (const char* name : {"J/A.dwg", "J/B.dwg", "J/C.dwg"}) paths.push_back(dir.file(name, std::string("drawing ") + name));
    }
    RunRequest request(bool onlyChanged) const {
        RunRequest asked;
        asked.rows = rowsInRunOrder(paths);
        asked.setup = plotting::PlotSetup{"Plotter.pc3", "A4", "mono.ctb", 1};
        asked.setup.files.folder = dir.folder("Out");
        asked.setup.onlyChanged = onlyChanged;
        return asked;
    }
    // Runs it and answers the drawings opened, by file name.
    std::vector<std::string> run(const RunRequest& asked) {
        const auto before = engine->journal().size();
        world->runToEnd(asked);
        std::vector<std::string> opened;
        const auto journal = engine->journal();
        for (std::size_t i = before; i < journal.size(); ++i)
            if (journal[i].access.member == "Open" && journal[i].access.kind == "call")
                opened.push_back(fs::path(journal[i].access.args.at(0).get<std::string>()).filename().string());
        return opened;
    }
    std::string report() const { return standin::testing::readText(world->reports().runReport().string()); }
    // Rewrites the file with these bytes, and a write time a minute on, as an editor's save leaves it.
    static void rewrite(const std::string& path, const std::string& content) {
        const auto time = fs::exists(path) ? fs::last_write_time(path) : fs::file_time_type::clock::now();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        fs::last_write_time(path, time + std::chrono::minutes(1));
    }
    static std::string readAll(const std::string& path) { return standin::testing::readText(path); }
};

TEST_F(ChangedRun, NothingChangedOpensNothingAndATouchedDrawingWithTheSameContentStaysUpToDate) {
    ASSERT_EQ(run(request(false)).size(), 3u);
    ASSERT_EQ(world->tally.plotted, 3);

    EXPECT_TRUE(run(request(true)).empty()) << "an up-to-date drawing is never opened";
    EXPECT_EQ(world->tally.upToDate, 3);
    EXPECT_EQ(world->tally.plotted, 0);
    EXPECT_EQ(app::runExitCode(world->ending, world->tally, 3), app::RunExitCode::AllPlotted);
    const std::string text = report();
    EXPECT_EQ(countOf(text, ",up to date,plotted 2026-"), 3) << text;
    EXPECT_NE(text.find(dir.path() + "/Out/A.plt"), std::string::npos) << "the row names the existing file";
    EXPECT_NE(world->statusLines().closingLine().find("3 up to date"), std::string::npos)
        << world->statusLines().closingLine();

    // Copied over itself: a new write time, the same bytes.
    rewrite(paths[0], readAll(paths[0]));
    EXPECT_TRUE(run(request(true)).empty());
    EXPECT_EQ(world->tally.upToDate, 3);

    // Connecting late with two sessions: while nothing changed, neither session reaches an application at all;
    // every drawing edited, the second starts its own when it first takes one up, and each is plotted once.
    RunRequest shared = request(true);
    shared.sessions = 2;
    plotting::PlotJobSpec job;
    std::tie(job.device, job.paper, job.plotStyleTable) = std::tuple("Plotter.pc3", "A4", "mono.ctb");
    shared.setup.firstOpen = std::make_shared<plotting::FirstOpenCheck>(job, true);
    launcher.reached = 0;
    EXPECT_TRUE(run(shared).empty());
    EXPECT_EQ(launcher.reached, 0);
    EXPECT_EQ(world->tally.upToDate, 3);
    for (const auto& path : paths) rewrite(path, readAll(path) + " edited");
    auto opened = run(shared);
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(opened, (std::vector<std::string>{"A.dwg", "B.dwg", "C.dwg"}));
    EXPECT_EQ(world->tally.plotted, 3) << report();
}

TEST_F(ChangedRun, EachThingThatShapesASheetPlotsItsDrawingAgainAndItsRowSaysWhy) {
    ASSERT_EQ(run(request(false)).size(), 3u);
    rewrite(paths[1], "drawing B, edited");
    fs::remove(dir.path() + "/Out/C.plt");
    RunRequest spelt = request(true);
    spelt.setup.device = "PLOTTER.pc3";
    EXPECT_EQ(run(spelt), (std::vector<std::string>{"B.dwg", "C.dwg"})) << "a device's name is matched ignoring case";
    std::string text = report();
    EXPECT_NE(text.find("B.dwg,Model,"), std::string::npos);
    EXPECT_EQ(countOf(text, "drawing changed"), 1) << text;
    EXPECT_EQ(countOf(text, "plot file missing"), 1) << text;
    EXPECT_EQ(countOf(text, ",up to date,"), 1) << text;

    // A plot file replaced by another of the same size is not the one Quillon wrote.
    const std::string plot = dir.path() + "/Out/A.plt";
    std::string other = readAll(plot);
    other.back() = other.back() == 'x' ? 'y' : 'x';
    rewrite(plot, other);
    EXPECT_EQ(run(request(true)), (std::vector<std::string>{"A.dwg"}));
    EXPECT_EQ(countOf(report(), "plot file changed"), 1) << report();

    // A choice that shapes every sheet plots every drawing.
    RunRequest device = request(true);
    device.setup.device = "Other.pc3";
    EXPECT_EQ(run(device).size(), 3u);
    EXPECT_EQ(countOf(report(), "device changed"), 3) << report();

    // So does the template's page setup edited in place: the same file name, other content.
    RunRequest fromTemplate = device;
    fromTemplate.setup.sheetSettings = plotting::SheetSettings::Template;
    fromTemplate.setup.pageSetupFile = dir.file("Office.dwt", "template");
    fromTemplate.setup.pageSetup = "Model Issue";
    EXPECT_EQ(run(fromTemplate).size(), 4u) << "three drawings and the template";
    EXPECT_EQ(countOf(report(), "sheet settings changed"), 3) << report();
    EXPECT_TRUE(run(fromTemplate).empty());
    rewrite(fromTemplate.setup.pageSetupFile, "template, its page setup edited");
    EXPECT_EQ(run(fromTemplate).size(), 4u);
    EXPECT_EQ(countOf(report(), "page setup file changed"), 3) << report();
}

TEST_F(ChangedRun, AReferenceThatChangedWentMissingOrWasFoundAgainPlotsItsDrawingAgain) {
    ASSERT_EQ(run(request(false)).size(), 3u);
    const std::string reference = dir.path() + "/J/" + site;
    rewrite(reference, "site, edited");
    EXPECT_EQ(run(request(true)), (std::vector<std::string>{"A.dwg"}));
    EXPECT_EQ(countOf(report(), "reference SITE changed"), 1) << report();

    fs::remove(reference);
    EXPECT_EQ(run(request(true)), (std::vector<std::string>{"A.dwg"}));
    EXPECT_EQ(countOf(report(), "reference SITE missing"), 1) << report();
    // Plotted without it: that plot is what a returning reference changes.
    EXPECT_TRUE(run(request(true)).empty());
    dir.file("J/" + site, "site");
    EXPECT_EQ(run(request(true)), (std::vector<std::string>{"A.dwg"}));
    EXPECT_EQ(countOf(report(), "reference SITE found"), 1) << report();
}

TEST_F(ChangedRun, ACheckSaysWhatWouldBePlottedAndACombineRemovesOnlyTheSheetFilesItsRunMade) {
    RunRequest full = request(false);
    full.setup.device = "DWG To PDF.pc3";
    ASSERT_EQ(run(full).size(), 3u);
    rewrite(paths[1], "drawing B, edited");

    RunRequest check = request(true);
    check.setup.device = "DWG To PDF.pc3";
    check.setup.purpose = plotting::RunPurpose::Check;
    EXPECT_EQ(run(check).size(), 3u) << "a check opens every drawing";
    EXPECT_EQ(countOf(report(), ",ready,up to date: would not be plotted"), 2) << report();
    EXPECT_EQ(countOf(report(), ",ready,would be plotted: drawing changed"), 1) << report();

    RunRequest combined = request(true);
    combined.setup.device = "DWG To PDF.pc3";
    combined.setup.combine = {plotting::CombineMode::Run, "Set", false};
    EXPECT_EQ(run(combined), (std::vector<std::string>{"B.dwg"}));
    EXPECT_EQ(countOf(report(), ",combined,"), 1) << report();
    EXPECT_FALSE(fs::exists(dir.path() + "/Out/B.pdf")) << "this run's own sheet went into the set";
    EXPECT_TRUE(fs::exists(dir.path() + "/Out/A.pdf") && fs::exists(dir.path() + "/Out/C.pdf"))
        << "an earlier run's files are not this run's to remove";
}

TEST_F(ChangedRun, SheetsCombinedWithoutTheirOwnFilesAreUpToDateThroughTheirPagesInTheCombinedFile) {
    // A second drawing called A: its sheet and the first A's share a bookmark in the set.
    paths.push_back(dir.file("J/sub/A.dwg", "drawing sub A"));
    RunRequest asked = request(false);
    asked.setup.device = "DWG To PDF.pc3";
    asked.setup.combine = {plotting::CombineMode::Run, "Set", false};
    const std::string set = dir.path() + "/Out/Set.pdf";
    // The drawings whose pages the set holds, in its order.
    auto pagesOfSet = [&] {
        std::vector<std::string> drawings;
        const std::string text = readAll(set);
        for (auto at = text.find("(drawing: "); at != std::string::npos; at = text.find("(drawing: ", at + 1))
            drawings.push_back(text.substr(at + 10, text.find(')', at) - at - 10));
        return drawings;
    };
    ASSERT_EQ(run(asked).size(), 4u);
    const auto night = pagesOfSet();
    ASSERT_EQ(night.size(), 4u) << report();
    EXPECT_FALSE(fs::exists(dir.path() + "/Out/A.pdf"));

    asked.setup.onlyChanged = true;
    EXPECT_TRUE(run(asked).empty()) << report();
    EXPECT_EQ(world->tally.upToDate, 4);
    EXPECT_EQ(countOf(report(), "/Out/Set.pdf,up to date,"), 4) << report();
    EXPECT_EQ(pagesOfSet(), night) << "the set is made again from its own pages";

    // The first A edited: the second A keeps its own page, not the first's old one.
    rewrite(paths[0], "drawing A, edited");
    EXPECT_EQ(run(asked), (std::vector<std::string>{"A.dwg"}));
    EXPECT_EQ(pagesOfSet(), night) << report();
    EXPECT_EQ(app::runExitCode(world->ending, world->tally, 4), app::RunExitCode::AllPlotted) << report();
    EXPECT_TRUE(run(asked).empty()) << "the set made now is the one recorded";

    fs::remove(set);
    EXPECT_EQ(run(asked).size(), 4u);
    EXPECT_EQ(countOf(report(), "combined file missing"), 4) << report();
}

TEST_F(ChangedRun, ASheetTheDrawingNoLongerHasLeavesItsFileObsoleteUntilTheRunIsAskedToRemoveIt) {
    testing::SlashFileSystem files;
    plotting::PlotSetup setup = request(true).setup;
    auto plot = [&](plotting::ChangeCheck& check, const std::vector<std::string>& layouts) {
        plotting::DrawingOutcome outcome;
        outcome.kind = plotting::DrawingOutcome::Kind::LayoutsPlotted;
        for (const auto& layout : layouts) {
            plotting::SheetRecord sheet;
            sheet.layout = layout;
            sheet.plotFile = dir.file("Out/A-" + layout + ".pdf", "sheet " + layout);
            sheet.plotted = true;
            outcome.sheets.push_back(sheet);
        }
        check.recordPlot(files, paths[0], plotting::fileKeyOf(files, paths[0]), {}, outcome);
        return outcome;
    };
    auto local = [](std::chrono::system_clock::time_point) { return std::string("2026-12-10T22:00:00"); };
    plotting::ChangeCheck first(setup, "W.txt", local);
    plot(first, {"Ground", "Roof"});
    // Roof renamed Attic: Roof's file is no sheet of the drawing any more.
    const auto renamed = plot(first, {"Ground", "Attic"});
    ASSERT_EQ(renamed.obsoleteFiles.size(), 1u);
    EXPECT_EQ(renamed.obsoleteFiles.front().first, "Roof");
    const auto rows = plotting::reportRows(renamed, setup, "");
    EXPECT_EQ(rows.back().outcome, "obsolete");
    EXPECT_EQ(rows.back().plotFile, dir.path() + "/Out/A-Roof.pdf");
    plotting::PlotRun::Tally tally;
    tally.add(renamed);
    EXPECT_EQ(app::runExitCode(PlotRun::Ending::Finished, tally, 1), app::RunExitCode::SomeNotPlotted) << "a warning";

    // Told again while it stays, up to date or not; removed only when asked, and then never told again.
    plotting::ChangeCheck next(setup, "W.txt", local);
    const auto verdict = next.decide(files, paths[0]);
    ASSERT_TRUE(verdict.upToDate) << verdict.reason;
    EXPECT_EQ(plotting::ChangeCheck::stillObsolete(files, *verdict.record).size(), 1u);
    setup.removeObsolete = true;
    plotting::ChangeCheck removing(setup, "W.txt", local);
    const auto removed = plot(removing, {"Ground", "Attic"});
    EXPECT_TRUE(removed.obsoleteRemoved);
    EXPECT_FALSE(fs::exists(dir.path() + "/Out/A-Roof.pdf"));
    EXPECT_TRUE(plot(removing, {"Ground", "Attic"}).obsoleteFiles.empty());
}

TEST_F(ChangedRun, ADeletedDrawingOfTheJobLeavesItsFilesObsoleteAndAnotherJobsIsNeverTold) {
    ASSERT_EQ(run(request(false)).size(), 3u);
    // Another job's drawing plotting into the same folder, deleted since: not this job's to tell of.
    RunRequest other = request(false);
    other.rows = rowsInRunOrder({dir.file("K/D.dwg", "drawing D")});
    ASSERT_EQ(run(other).size(), 1u);
    fs::remove(dir.path() + "/K/D.dwg");
    fs::remove(paths[2]);
    paths.pop_back();

    EXPECT_TRUE(run(request(true)).empty());
    EXPECT_EQ(countOf(report(), "/Out/C.plt,obsolete,the drawing is gone; its plot file is left as it was"), 1)
        << report();
    EXPECT_EQ(countOf(report(), "D.dwg"), 0) << report();
    EXPECT_EQ(app::runExitCode(world->ending, world->tally, 2), app::RunExitCode::SomeNotPlotted) << "a warning";

    RunRequest removing = request(true);
    removing.setup.removeObsolete = true;
    run(removing);
    EXPECT_EQ(countOf(report(), "was removed, as the run asked"), 1) << report();
    EXPECT_FALSE(fs::exists(dir.path() + "/Out/C.plt"));
    EXPECT_TRUE(fs::exists(dir.path() + "/Out/D.plt"));
    run(request(true));
    EXPECT_EQ(countOf(report(), "obsolete"), 0) << "told no more once removed: " << report();
    EXPECT_EQ(app::runExitCode(world->ending, world->tally, 2), app::RunExitCode::AllPlotted);
}

TEST_F(ChangedRun, PartsRecordsAreReadTogetherNewestFirstAndABadRecordIsNeverTrusted) {
    testing::SlashFileSystem files;
    const std::string out = dir.folder("Out");
    auto key = [&](const std::string& drawing, const std::string& at) {
        plotting::PlotKey one;
        one.drawing = drawing;
        one.plottedAtUtc = at;
        one.drawingKey.hash = at;
        return one;
    };
    plotting::PlotKeyStore(files, out, "W1 part 1 of 2.txt").add(files, key("J/A.dwg", "2026-12-09T22:00:00Z"));
    plotting::PlotKeyStore(files, out, "W2 part 2 of 2.txt").add(files, key("J/B.dwg", "2026-12-09T22:00:00Z"));
    plotting::PlotKeyStore(files, out, "W2 part 2 of 2.txt").add(files, key("J/A.dwg", "2026-12-10T22:00:00Z"));
    const std::string records = plotting::PlotKeyStore::recordFolder(out);
    const plotting::PlotKeyStore both(files, out, "W1 part 1 of 2.txt");
    ASSERT_NE(both.latest("J/A.dwg"), nullptr);
    EXPECT_EQ(both.latest("J/A.dwg")->drawingKey.hash, "2026-12-10T22:00:00Z") << "the newest record stands";
    ASSERT_NE(both.latest("j/b.DWG"), nullptr) << "drawings are matched as Windows matches paths";
    EXPECT_EQ(both.missingReason(), "never plotted");

    // A line cut short by a power cut, and one of another version: neither is trusted, and the next line
    // appended after the cut one is whole.
    std::ofstream(fs::path(out) / ".quillon/plotted/W1 part 1 of 2.txt", std::ios::app) << "{\"version\":1,\"drawing\":\"J/C";
    std::ofstream(fs::path(out) / ".quillon/plotted/W3.txt") << "{\"version\":2,\"drawing\":\"J/D.dwg\"}\n";
    plotting::PlotKeyStore cut(files, out, "W1 part 1 of 2.txt");
    EXPECT_EQ(cut.latest("J/C.dwg"), nullptr);
    EXPECT_EQ(cut.missingReason().rfind("its plot record ", 0), 0u) << cut.missingReason();
    cut.add(files, key("J/E.dwg", "2026-12-11T22:00:00Z"));
    EXPECT_NE(plotting::PlotKeyStore(files, out, "W1 part 1 of 2.txt").latest("J/E.dwg"), nullptr);
    EXPECT_NE(records.find(".quillon"), std::string::npos);
}

}  // namespace
}  // namespace quillon::run
