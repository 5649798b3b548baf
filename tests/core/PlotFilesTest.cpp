#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <optional>
#include <string>
#include <vector>

#include "CadTestFakes.h"
#include "StandinTestSupport.h"
#include "autocad/CadConnection.h"
#include "base/Paths.h"
#include "base/StdFileSystem.h"
#include "plotting/DrawingOutcome.h"
#include "plotting/DrawingPlotter.h"
#include "plotting/files/PlotFileWriter.h"
#include "plotting/job/PlotJobFile.h"
#include "plotting/record/ReportRows.h"
#include "plotting/xref/XrefReloader.h"

namespace quillon::plotting {
namespace {

using standin::testing::TempFolder;
using Lines = std::vector<std::string>;

// A file that cannot be deleted, as one open in a viewer or read-only.
class HeldFileSystem : public base::StdFileSystem {
public:
    std::string held;
    bool removeFile(const std::string& path) override { return path != held && StdFileSystem::removeFile(path); }
    base::MoveResult moveFile(const std::string& from, const std::string& to, bool replace) override {
        if (to == held) return {base::MoveResult::Outcome::Refused, "Access is denied."};
        return StdFileSystem::moveFile(from, to, replace);
    }
};

class NoMessages : public InformationSink {
public:
    void showInformation(const std::string&, const std::string&) override {}
};

// Two drawings of one name in two folders, plotted into one folder by a
// PDF device whose application refuses to write over a file.
TEST(PlotFiles, OneFolderTakesSameNamedDrawingsAndEarlierFilesAreReplacedOrSteppedAround) {
    TempFolder dir;
    const auto engine = standin::Engine::fromJson(
        nlohmann::json{{"devices", {{{"name", "DWG To PDF.pc3"}, {"media", {"A4"}}}}},
                       {"plotStyleTables", {"mono.ctb"}},
                       {"existingPlotFiles", "refuse"},
                       {"drawings", {{{"file", "PLAN.DWG"}, {"layouts", {{{"name", "Ground"}}}}}}}}
            .dump(),
        dir.path());
    testing::EngineLauncher launcher;
    launcher.application = engine->application();
    testing::SilentUi ui;
    autocad::CadConnection connection{launcher, ui};
    connection.connectAutoCAD();
    HeldFileSystem files;
    std::atomic<bool> stop{false};
    NoMessages messages;
    XrefReloader xrefs{connection, files, stop};
    const PlotSetup setup{"DWG To PDF.pc3", "A4", "mono.ctb", 1, {dir.folder("Out"), "", "", "", {}, {}, PlotOutput::File}};
    const Lines drawings{dir.file("North/PLAN.DWG", "drawing"), dir.file("South/PLAN.DWG", "drawing")};

    // One run: a new plotter with the run's own names; the outcome of each drawing.
    auto run = [&] {
        DrawingPlotter plotter{connection, xrefs, files, messages, stop};
        plotter.setSetup(setup);
        std::vector<DrawingOutcome> outcomes;
        for (const auto& path : drawings) {
            EXPECT_TRUE(plotter.openDrawing(path) && plotter.activateDrawing(true));
            plotter.setLayoutsToPlot();
            plotter.closeDrawing();
            outcomes.push_back(outcomeOf(plotter.report(), ""));
        }
        return outcomes;
    };
    auto written = [](const std::vector<DrawingOutcome>& outcomes) {
        Lines paths;
        for (const auto& outcome : outcomes) paths.push_back(outcome.sheets.at(0).plotFile);
        return paths;
    };

    const auto first = run();
    EXPECT_EQ(written(first), (Lines{dir.at("Out/PLAN-Ground.pdf"), dir.at("Out/PLAN-Ground (2).pdf")}));
    EXPECT_EQ(first[1].text(), "1 layout plotted; plot file named so as not to overwrite one of this run: "
                               "PLAN-Ground (2).pdf");

    // Again, with the second file held: the first is replaced, the second steps round it.
    files.held = dir.at("Out/PLAN-Ground (2).pdf");
    const auto second = run();
    EXPECT_EQ(written(second), (Lines{dir.at("Out/PLAN-Ground.pdf"), dir.at("Out/PLAN-Ground (3).pdf")}));
    EXPECT_EQ(second[0].text(), "1 layout plotted");
    EXPECT_EQ(second[1].text(), "1 layout plotted, 1 with warnings; plot file named so as not to overwrite an "
                                "earlier one that could not be replaced: PLAN-Ground (3).pdf");
    EXPECT_EQ(reportRows(second[0], setup, "").at(0).reason, "replaced the earlier plot file of this name");
    const auto held = reportRows(second[1], setup, "").at(0);
    EXPECT_EQ(held.plotFile, dir.at("Out/PLAN-Ground (3).pdf"));
    EXPECT_EQ(held.reason, "the earlier plot file " + files.held + " could not be replaced (Access is denied.)");
    for (const auto& plot : standin::plotsIn(engine->journal())) EXPECT_TRUE(plot.succeeded) << *plot.plotFile;
}

// Moves that find a file held open, as Windows refuses them (a sharing violation): the plot itself for its first
// `plotHeld` tries, the earlier file for ever when `targetHeld`.
class SharingFileSystem : public base::StdFileSystem {
public:
    int plotHeld = 0;
    bool targetHeld = false;
    int tries = 0;
    base::MoveResult moveFile(const std::string& from, const std::string& to, bool replace) override {
        ++tries;
        const std::string violation = "The process cannot access the file because it is being used by another process.";
        if (plotHeld-- > 0 || (targetHeld && replace)) return {base::MoveResult::Outcome::InUse, violation};
        return StdFileSystem::moveFile(from, to, replace);
    }
};

TEST(PlotFiles, AMoveRefusedForAMomentIsTriedAgainAndAHeldEarlierFileIsNamedWithTheSystemsReason) {
    TempFolder dir;
    SharingFileSystem files;
    const std::string target = dir.file("Out/A.pdf", "last night");
    auto plot = [&](const std::string& file) {
        std::ofstream(file, std::ios::binary) << "%PDF";
        return true;
    };
    // The application (or a scanner) holds its new file a moment longer: it takes the earlier one's place.
    files.plotHeld = 2;
    PlotFileClaims night;
    auto written = PlotFileWriter(files, night, std::chrono::milliseconds(100)).write(target, plot);
    EXPECT_EQ(std::tie(written.written, written.earlier), std::tuple(std::optional(target), EarlierPlotFile::Replaced));
    EXPECT_EQ(files.tries, 3);

    // The earlier file stays held: tried again within the bound, then the plot steps round it, saying why.
    files.targetHeld = true;
    PlotFileClaims nextNight;
    written = PlotFileWriter(files, nextNight, std::chrono::milliseconds(100)).write(target, plot);
    EXPECT_EQ(written.written, dir.at("Out/A (2).pdf"));
    EXPECT_EQ(written.keptReason, "The process cannot access the file because it is being used by another process.");

    // The plot itself stays held: it fails with both reasons, and never blames an earlier file.
    files.targetHeld = false;
    files.plotHeld = 1000;
    written = PlotFileWriter(files, nextNight, std::chrono::milliseconds(100)).write(dir.at("Out/B.pdf"), plot);
    EXPECT_FALSE(written.written);
    EXPECT_EQ(written.failure.rfind("the plot file could not be moved into place as " + dir.at("Out/B.pdf"), 0), 0u)
        << written.failure;
}

// One drawing "A.dwg" with layouts Ground and First plotted into Out by the
// scenario's devices; the outcome and report rows of one run.
class PlotFileRun : public ::testing::Test {
protected:
    TempFolder dir;
    std::shared_ptr<standin::Engine> engine;
    std::optional<testing::EngineLauncher> launcher;
    testing::SilentUi ui;
    std::optional<autocad::CadConnection> connection;
    base::StdFileSystem files;
    std::atomic<bool> stop{false};
    NoMessages messages;
    PlotSetup setup{"DWG To PDF.pc3", "A4", "mono.ctb", 1, {}};

    void start(nlohmann::json scenario) {
        scenario["devices"] = {{{"name", "DWG To PDF.pc3"}, {"media", {"A4"}}},
                               {{"name", "Plotter.pc3"}, {"media", {"A4"}}},
                               {{"name", "Refusing PDF.pc3"}, {"media", {"A4"}}, {"plotToFile", false}},
                               {{"name", "Refusing Plotter.pc3"}, {"media", {"A4"}}, {"plotToFile", false}},
                               {{"name", "Losing PDF.pc3"}, {"media", {"A4"}}, {"writesFile", false}},
                               {{"name", "Microsoft Print to PDF"}, {"media", {"A4"}}}};
        scenario["plotStyleTables"] = {"mono.ctb"};
        if (!scenario.contains("drawings"))
            scenario["drawings"] = {{{"file", "A.dwg"}, {"layouts", {{{"name", "Ground"}}, {{"name", "First"}}}}}};
        engine = standin::Engine::fromJson(scenario.dump(), dir.path());
        launcher.emplace();
        launcher->application = engine->application();
        connection.emplace(*launcher, ui);
        connection->connectAutoCAD();
        setup.files.folder = dir.folder("Out");
    }
    DrawingOutcome plot(const std::string& drawing = "A.dwg") {
        XrefReloader xrefs{*connection, files, stop};
        DrawingPlotter plotter{*connection, xrefs, files, messages, stop};
        plotter.setSetup(setup);
        plotter.setPlotFileWait(std::chrono::milliseconds(50));
        EXPECT_TRUE(plotter.openDrawing(dir.file(drawing, "drawing")) && plotter.activateDrawing(true));
        plotter.setLayoutsToPlot();
        plotter.closeDrawing();
        return outcomeOf(plotter.report(), "");
    }
    Lines rows(const DrawingOutcome& outcome) const {
        Lines out;
        for (const auto& row : reportRows(outcome, setup, ""))
            out.push_back(row.layout + ": " + row.outcome + (row.reason.empty() ? "" : " (" + row.reason + ")"));
        return out;
    }
    Lines outFolder() const {
        Lines names;
        // The files beside the sheets, as anything collecting them sees them; the hidden folder is no sheet.
        for (const auto& entry : std::filesystem::directory_iterator(dir.at("Out")))
            if (!entry.is_directory()) names.push_back(entry.path().filename().string() + " " + standin::testing::readText(entry.path()).substr(0, 5));
        std::sort(names.begin(), names.end());
        return names;
    }
    bool sentToDevice() const {
        for (const auto& record : standin::plotsIn(engine->journal()))
            if (record.toDevice) return true;
        return false;
    }
};

TEST_F(PlotFileRun, APlotThatFailsLeavesLastNightsFileAndNoTemporaryOne) {
    start({{"faults", {{"throws", {{{"object", "Plot"}, {"member", "PlotToFile"}, {"description", "Share gone"}}}}}}});
    dir.file("Out/A-Ground.pdf", "last night");
    const auto outcome = plot();
    EXPECT_EQ(outcome.text(), "Failed: Share gone");
    EXPECT_EQ(rows(outcome), (Lines{"Ground: failed (Share gone)", "First: failed (Share gone)"}));
    EXPECT_EQ(outFolder(), Lines{"A-Ground.pdf last "});
}

TEST_F(PlotFileRun, PlotsAreWrittenInAHiddenFolderWhoseOldLeftoversGoAtItsNextUse) {
    start({});
    const std::string killed = dir.file("Out/.quillon/A-Ground.~deadbeef.pdf", "killed");
    std::filesystem::last_write_time(killed, std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    dir.file("Out/.quillon/B.~00000001.pdf", "another workstation's, in progress");
    // An earlier version's leftover beside the sheets goes too; a sheet merely named alike stays.
    const std::string besides = dir.file("Out/C.~0123abcd.pdf", "killed");
    std::filesystem::last_write_time(besides, std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    const std::string alike = dir.file("Out/C.~plans.pdf", "sheet");
    std::filesystem::last_write_time(alike, std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    EXPECT_EQ(plot().text(), "2 layouts plotted");
    EXPECT_EQ(outFolder(), (Lines{"A-First.pdf %PDF-", "A-Ground.pdf %PDF-", "C.~plans.pdf sheet"}));
    Lines hidden;
    for (const auto& entry : std::filesystem::directory_iterator(dir.at("Out/.quillon")))
        hidden.push_back(entry.path().filename().string());
    EXPECT_EQ(hidden, Lines{"B.~00000001.pdf"});
    for (const auto& record : standin::plotsIn(engine->journal()))
        EXPECT_NE(record.plotFile->find(".quillon/A-"), std::string::npos) << *record.plotFile;
}

TEST_F(PlotFileRun, AFileDeviceNeverFallsBackToTheDeviceWhileAPlotterDoesWithAWarning) {
    start({});
    setup.device = "Refusing PDF.pc3";
    EXPECT_EQ(rows(plot()).at(1), "First: failed (AutoCAD did not accept the plot)");
    EXPECT_FALSE(sentToDevice());
    setup.device = "Refusing Plotter.pc3";
    const auto outcome = plot();
    EXPECT_EQ(rows(outcome).at(0), "Ground: plotted with warnings (sent to the device: the plot file could not be "
                                   "written (AutoCAD did not accept the plot))");
    EXPECT_EQ(outcome.layoutsWithWarnings, 2);
    EXPECT_TRUE(sentToDevice());
    EXPECT_TRUE(outFolder().empty());
}

TEST_F(PlotFileRun, APlotAnsweredTrueThatWritesNoFileFails) {
    start({});
    setup.device = "Losing PDF.pc3";
    const auto outcome = plot();
    EXPECT_EQ(outcome.text(), "Failed: the plot file was not written: " + dir.at("Out/A-Ground.pdf"));
    EXPECT_EQ(outcome.layoutsPlotted, 0);
    EXPECT_TRUE(outFolder().empty());
}

TEST_F(PlotFileRun, ALayoutThatCannotBeMadeActiveIsNotPlotted) {
    start({{"faults",
            {{"throws", {{{"object", "Document"}, {"member", "ActiveLayout"}, {"access", "put"},
                          {"description", "Layout locked"}, {"count", 1}}}}}}});
    const auto outcome = plot();
    EXPECT_EQ(rows(outcome), (Lines{"Ground: failed (the layout could not be made active (Layout locked))",
                                    "First: plotted"}));
    EXPECT_EQ(outFolder(), Lines{"A-First.pdf %PDF-"});
}

TEST_F(PlotFileRun, ASheetWithoutItsReferenceIsPlottedWithAWarningAndARepointedOneIsNamed) {
    const std::string site = dir.file("Refs/site.dwg", "ref");
    start({{"drawings", {{{"file", "A.dwg"},
                          {"layouts", {{{"name", "Ground"}}}},
                          {"xrefs", {{{"name", "TITLE"}, {"path", "D:\\Gone\\title.dwg"}},
                                     {{"name", "SITE"}, {"path", "D:\\Old\\Refs\\site.dwg"}}}}}}}});
    // A folder of its own below the test's: the search upward starts there, never in the shared temporary
    // folder, whose size (other suites' files) would bound how far it gets.
    const auto outcome = plot("Drawings/A.dwg");
    EXPECT_EQ(rows(outcome), (Lines{"Ground: plotted with warnings (reference not found after the repair: "
                                    "D:\\Gone\\title.dwg; reference D:\\Old\\Refs\\site.dwg now uses " + site + ")"}));
    EXPECT_EQ(outcome.kind, DrawingOutcome::Kind::LayoutsPlotted);
}

TEST_F(PlotFileRun, OnPaperOnlyAPlotterGoesToItsDeviceAndAPrinterThatWritesFilesWritesOne) {
    start({});
    setup.files.output = PlotOutput::Device;
    setup.device = "Plotter.pc3";
    EXPECT_EQ(rows(plot()), (Lines{"Ground: plotted (sent to the device)", "First: plotted (sent to the device)"}));
    EXPECT_TRUE(sentToDevice());
    setup.device = "DWG To PDF.pc3";  // its output is a file, whatever the choice
    plot();
    setup.device = "Microsoft Print to PDF";  // sent to the device, it would ask for a file name in a box
    setup.files.output = PlotOutput::File;
    setup.files.pattern = "{drawing} {layout} printer";
    EXPECT_EQ(rows(plot()), (Lines{"Ground: plotted", "First: plotted"}));
    EXPECT_EQ(outFolder(), (Lines{"A First printer.pdf %PDF-", "A Ground printer.pdf %PDF-", "A-First.pdf %PDF-",
                                  "A-Ground.pdf %PDF-"}));
    EXPECT_THROW(readPlotJob(R"({"folder": "C:\\J", "device": "P.pc3", "paper": "A3", "plotStyleTable": "m.ctb",
                                 "output": "paper"})"),
                 PlotJobError);
}

TEST_F(PlotFileRun, APlotFileThatWouldBeADrawingOfTheListingIsNotWritten) {
    start({{"drawings", {{{"file", "A.dwg"}, {"layouts", {{{"name", "Ground"}}, {{"name", "First"}}}}},
                         {{"file", "Out/A-First.pdf"}}}}});
    setup.files.drawings = {base::foldedPath(dir.at("Out/a-first.PDF"))};
    EXPECT_EQ(rows(plot()), (Lines{"Ground: plotted", "First: failed (the plot file " + dir.at("Out/A-First.pdf") +
                                                          " would replace a drawing of the listing or a file the run keeps)"}));
}

}  // namespace
}  // namespace quillon::plotting
