#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "CadTestFakes.h"
#include "RunTestSupport.h"
#include "StandinTestSupport.h"
#include "app/RunExit.h"
#include "autocad/CadConnection.h"
#include "base/StdFileSystem.h"
#include "plotting/PlotRun.h"
#include "plotting/record/ReportRows.h"

namespace quillon::plotting {
namespace {

using nlohmann::json;
using Lines = std::vector<std::string>;

// The rows of each drawing as the run report would write them.
class ReportingDisplay : public quillon::testing::RecordingDisplay {
public:
    using RecordingDisplay::RecordingDisplay;
    void showOutcome(int entry, const DrawingOutcome& outcome) override {
        RecordingDisplay::showOutcome(entry, outcome);
        for (const auto& row : reportRows(outcome, setup, ""))
            rows.push_back(row.layout + "|" + row.outcome + "|" + row.reason + "|" + row.dwgVersion);
    }
    PlotSetup setup;
    Lines rows;
};

// The reference search looks nowhere outside the test's folder (it would walk the whole temporary folder).
class ConfinedFiles : public base::StdFileSystem {
public:
    explicit ConfinedFiles(std::string root) : root_(std::move(root)) {}
    std::optional<std::vector<base::DirEntry>> list(const std::string& folder) override {
        if (folder.rfind(root_, 0) != 0) return std::nullopt;
        return StdFileSystem::list(folder);
    }

private:
    std::string root_;
};

class CheckRuns : public ::testing::Test {
protected:
    standin::testing::TempFolder dir;
    std::shared_ptr<standin::Engine> engine;
    quillon::testing::EngineLauncher launcher;
    quillon::testing::SilentUi ui;
    autocad::CadConnection connection{launcher, ui};
    ConfinedFiles files{dir.path()};
    std::atomic<bool> stop{false};
    ReportingDisplay display{dir.path()};
    quillon::testing::FakeList list;

    PlotRun::Tally check(const std::string& paper) {
        const json scenario = {
            {"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
            {"defaultDevice", "Plotter.pc3"},
            {"plotStyleTables", {"mono.ctb"}},
            {"drawings",
             {{{"file", "Ready.dwg"}, {"layouts", {{{"name", "One"}}, {{"name", "Two"}}}}},
              {{"file", "Xref.dwg"}, {"xrefs", {{{"name", "SITE"}, {"path", "Q:\\Gone\\site-nowhere.dwg"}}}}},
              {{"file", "Broken.dwg"}, {"openError", "the drawing file is damaged"}}}}};
        engine = standin::Engine::fromJson(scenario.dump(), dir.path());
        launcher.application = engine->application();
        // Listed first to last; a run takes them up from the last.
        list.rows.clear();
        for (const char* name : {"Broken.dwg", "Xref.dwg", "Ready.dwg"}) {
            dir.file(std::string("Plans/") + name, std::string("AC1032") + std::string(200, '\0'));
            list.rows.push_back({name, dir.path() + "/Plans/", false});
        }
        PlotSetup setup{"Plotter.pc3", paper, "mono.ctb", 1};
        setup.purpose = RunPurpose::Check;
        display.setup = setup;
        PlotRun run(RunKind::AllListed, connection, files, display, list, stop, setup);
        run.runToEnd();
        EXPECT_EQ(run.ending(), PlotRun::Ending::Finished);
        return run.tally();
    }
};

TEST_F(CheckRuns, EverySheetIsSetUpNothingIsPlottedAndWhatWouldGoWrongIsNamed) {
    const auto tally = check("A4");
    for (const auto& access : standin::accessesIn(engine->journal()))
        EXPECT_TRUE(access.member != "PlotToFile" && access.member != "PlotToDevice" && access.member != "Save" &&
                    access.member != "SaveAs")
            << access.member;
    EXPECT_TRUE(standin::plotsIn(engine->journal()).empty());
    EXPECT_EQ(display.starting("row "),
              (Lines{"row 3: Ready: 2 layouts: One (Quillon's settings: extents, fit), Two (Quillon's settings: extents, fit)",
                     "row 2: Problems: reference not found after the repair: Q:\\Gone\\site-nowhere.dwg",
                     "row 1: Problems: Cannot open Plans/Broken.dwg: the drawing file is damaged"}));
    EXPECT_EQ(display.rows.front(), "One|ready||AC1032 (2018 format)");
    EXPECT_EQ(display.rows.size(), 4u);
    EXPECT_EQ(display.rows[2], "Model|problems|reference not found after the repair: Q:\\Gone\\site-nowhere.dwg|AC1032 (2018 format)");
    EXPECT_EQ(display.rows[3].substr(0, 10), "|problems|");
    EXPECT_EQ((Lines{std::to_string(tally.ready), std::to_string(tally.problems)}), (Lines{"1", "2"}));
    EXPECT_EQ(app::checkExitCode(PlotRun::Ending::Finished, tally, 3), app::RunExitCode::SomeNotPlotted);
    EXPECT_NE(display.events.back().find("Check finished: 1 ready, 0 ready with warnings, 2 drawings with problems."),
              std::string::npos)
        << display.events.back();

    // A paper the device does not offer is named on each sheet it concerns; the sheets are still ready to plot.
    display.events.clear();
    display.rows.clear();
    const auto warned = check("Tabloid");
    EXPECT_EQ(display.starting("row 3"),
              Lines{"row 3: Ready with warnings (2 layouts: One (Quillon's settings: extents, fit), Two (Quillon's settings: "
                    "extents, fit)): One: paper \"Tabloid\" not set (the device does not offer "
                    "it; it would plot on \"ISO_A4_(210.00_x_297.00_MM)\"); Two: paper \"Tabloid\" not set (the "
                    "device does not offer it; it would plot on \"ISO_A4_(210.00_x_297.00_MM)\")"});
    EXPECT_EQ(display.rows.front().substr(0, 24), "One|ready with warnings|");
    EXPECT_EQ(warned.readyWithWarnings, 1);
    EXPECT_TRUE(standin::plotsIn(engine->journal()).empty());
}

}  // namespace
}  // namespace quillon::plotting
