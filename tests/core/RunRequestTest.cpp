#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "RunHarness.h"
#include "StandinTestSupport.h"
#include "app/RunExit.h"
#include "run/RunRequest.h"

// Runs driven from a request alone, as the window and the command line start them, against a stand-in
// application on a session thread of their own: what the request says is what the run does.
namespace quillon::run {
namespace {

using nlohmann::json;
using plotting::PlotRun;
using standin::testing::TempFolder;
using testing::countOf;

class RequestedRun : public ::testing::Test {
protected:
    TempFolder dir;
    std::shared_ptr<standin::Engine> engine = testing::officeApplication(dir.path());
    testing::EngineLauncher launcher;
    std::unique_ptr<testing::RunWorld> world;

    void SetUp() override {
        launcher.application = engine->application();
        world = std::make_unique<testing::RunWorld>(launcher, dir.path());
    }
    std::vector<std::string> drawings(const std::vector<std::string>& relative) {
        std::vector<std::string> paths;
        for (const auto& path : relative) paths.push_back(dir.file(path, "drawing"));
        return paths;
    }
    RunRequest request(const std::vector<std::string>& paths) {
        RunRequest asked;
        asked.rows = rowsInRunOrder(paths);
        asked.setup = plotting::PlotSetup{"Plotter.pc3", "A4", "mono.ctb", 1};
        return asked;
    }
    // The plot files there are, by name, in the order they were written: a sheet is plotted when its file is there.
    std::vector<std::string> plotted() const {
        std::vector<std::pair<std::filesystem::file_time_type, std::string>> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
            if (entry.path().extension() == ".plt") found.emplace_back(entry.last_write_time(), entry.path().filename().string());
        std::sort(found.begin(), found.end());
        std::vector<std::string> files;
        for (const auto& [time, name] : found) files.push_back(name);
        return files;
    }
    std::string report() const { return standin::testing::readText(world->reports().runReport().string()); }
};

TEST_F(RequestedRun, ADeadlineEndsTheRunAfterTheDrawingInHandEveryDrawingHasItsRowAndTheExitCodeSaysStopped) {
    const auto paths = drawings({"J/A.dwg", "J/B.dwg", "J/C.dwg", "J/D.dwg", "J/E.dwg", "J/F.dwg"});
    RunRequest asked = request(paths);
    asked.deadline = plotting::RunDeadline(world->now, plotting::TimeOfDay{22, 30});
    asked.deadlineText = "It is 22:30, the time the run must end by: it stops after the drawing in hand.";
    // The clock passes the deadline as the first drawing's row is shown.
    world->onRow = [this] { world->now = plotting::LocalTime{2026, 12, 10, 22, 31, 0}; };
    world->runToEnd(asked);

    ASSERT_TRUE(world->ended);
    EXPECT_EQ(world->ending, PlotRun::Ending::Stopped);
    EXPECT_NE(std::find(world->lines.begin(), world->lines.end(), asked.deadlineText), world->lines.end());
    // Taken up in the order the drawings were given; the one in hand finished, the rest left for a resume.
    const auto files = plotted();
    ASSERT_FALSE(files.empty());
    EXPECT_LT(files.size(), paths.size());
    EXPECT_EQ(files.front(), "A.plt");
    const std::string text = report();
    // Left for the resume: not started, or opened when the time came and closed unplotted.
    const int left = countOf(text, ",not started,") + countOf(text, "stopped before plotting");
    EXPECT_EQ(countOf(text, ",plotted,") + left, 6) << text;
    EXPECT_EQ(countOf(text, ",plotted,"), static_cast<int>(files.size())) << text;
    EXPECT_EQ(app::runExitCode(world->ending, world->tally, 6), app::RunExitCode::Stopped);
}

TEST_F(RequestedRun, APartNamesItsFilesOverTheWholeJobAndACheckPlotsAndCombinesNothing) {
    // Part of a job whose other part holds a drawing of the same name, all plotted into one folder: its
    // files are told apart as the whole job's would be, though this part lists one of them only.
    const auto paths = drawings({"North/Plan.dwg", "North/Site.dwg"});
    RunRequest asked = request(paths);
    asked.setup.files.folder = dir.folder("Out");
    asked.names.listing = {paths[0], paths[1], dir.file("South/Plan.dwg", "drawing")};
    world->runToEnd(asked);
    EXPECT_EQ(world->ending, PlotRun::Ending::Finished);
    auto files = plotted();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"Plan (North).plt", "Site.plt"}));

    RunRequest check = request(paths);
    check.setup.purpose = plotting::RunPurpose::Check;
    check.setup.combine.mode = plotting::CombineMode::Run;
    world->runToEnd(check);
    EXPECT_EQ(world->ending, PlotRun::Ending::Finished);
    EXPECT_EQ(plotted().size(), 2u) << "a check plotted";
    EXPECT_EQ(countOf(report().substr(report().find('\n')), "combined"), 0) << report();
}

}  // namespace
}  // namespace quillon::run
