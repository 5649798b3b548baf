#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "CadTestFakes.h"
#include "StandinTestSupport.h"
#include "autocad/CadConnection.h"
#include "base/StdFileSystem.h"
#include "plotting/DrawingOutcome.h"
#include "plotting/LayoutPlotter.h"
#include "plotting/ReportRows.h"
#include "plotting/XrefReloader.h"

namespace quillon::plotting {
namespace {

using standin::testing::TempFolder;
using Lines = std::vector<std::string>;

// A file that cannot be deleted, as one open in a viewer or read-only.
class HeldFileSystem : public base::StdFileSystem {
public:
    std::string held;
    bool removeFile(const std::string& path) override { return path != held && StdFileSystem::removeFile(path); }
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
    const PlotSetup setup{"DWG To PDF.pc3", "A4", "mono.ctb", 1, {dir.folder("Out"), "", "", ""}};
    const Lines drawings{dir.file("North/PLAN.DWG", "drawing"), dir.file("South/PLAN.DWG", "drawing")};

    // One run: a new plotter with the run's own names; the outcome of each drawing.
    auto run = [&] {
        LayoutPlotter plotter{connection, xrefs, files, messages, stop};
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
    EXPECT_EQ(second[1].text(), "1 layout plotted; plot file named so as not to overwrite an earlier one that "
                                "could not be replaced: PLAN-Ground (3).pdf");
    EXPECT_EQ(reportRows(second[0], setup, "").at(0).reason, "replaced the earlier plot file of this name");
    const auto held = reportRows(second[1], setup, "").at(0);
    EXPECT_EQ(held.plotFile, dir.at("Out/PLAN-Ground (3).pdf"));
    EXPECT_EQ(held.reason, "the earlier plot file " + files.held + " could not be replaced (open or read-only)");
    for (const auto& plot : standin::plotsIn(engine->journal())) EXPECT_TRUE(plot.succeeded) << *plot.plotFile;
}

}  // namespace
}  // namespace quillon::plotting
