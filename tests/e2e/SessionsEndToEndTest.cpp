#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "ProgramUnderTest.h"
#include "StandinScenario.h"
#include "TestSupport.h"
#include "app/win/ControlIds.h"
#include "standin/server/Registration.h"
#include "win/RegistryKey.h"
#include "win/Utf.h"

// Runs that plot with several CAD sessions: each a stand-in process of its
// own, writing its own journal.
namespace quillon::e2e {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

using wintest::kServerExe;
using wintest::kDrawingBytes;

class SeveralSessions : public ::testing::Test {
protected:
    static void TearDownTestSuite() { standin_server::registerServer(wintest::standinExePath()); }

    wintest::TempFolder folder;

    void SetUp() override { win::RegistryKey::deleteTree(HKEY_CURRENT_USER, L"Software\\Quillon"); }
    void TearDown() override {
        EXPECT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 0; }, 20s))
            << "a stand-in session outlived its run";
        wintest::terminateProcesses(kServerExe);
    }

    // `count` model-space drawings in "Jobs", each slow to open so that the sessions overlap.
    fs::path prepare(int count, int openMilliseconds) {
        json scenario = wintest::baseScenario();
        scenario["defaultDevice"] = wintest::kDevice;
        scenario["journal"] = "journal-{pid}.jsonl";
        scenario["faults"]["slow"] =
            json::array({{{"object", "Documents"}, {"member", "Open"}, {"milliseconds", openMilliseconds}}});
        for (int i = 1; i <= count; ++i)
            folder.write((fs::path(L"Jobs") / (L"Sheet " + std::to_wstring(i) + L".dwg")).wstring(), kDrawingBytes);
        auto file = folder.write(L"scenario.json", scenario.dump());
        standin_server::registerServer(wintest::standinExePath(), file.wstring());
        json job = {{"folder", win::toUtf8((folder.path() / L"Jobs").wstring())},
                    {"layouts", true},
                    {"device", wintest::kDevice},
                    {"paper", wintest::kMediaA3},
                    {"plotStyleTable", wintest::kStyleTable}};
        return folder.write(L"Sheets.qjob", job.dump(2));
    }

    std::vector<fs::path> journals() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            if (entry.path().filename().wstring().rfind(L"journal-", 0) == 0) found.push_back(entry.path());
        return found;
    }
    // Plots per drawing file name, over every session's journal.
    std::map<std::string, int> plotsPerDrawing() const {
        std::map<std::string, int> plots;
        for (const auto& journal : journals())
            for (const auto& line : wintest::readJsonLines(journal))
                if (line.contains("plot"))
                    ++plots[fs::path(win::toWide(line["plot"].value("drawing", ""))).filename().string()];
        return plots;
    }
    int plotsSoFar() const {
        int total = 0;
        for (const auto& [name, count] : plotsPerDrawing()) total += count;
        return total;
    }
};

TEST_F(SeveralSessions, EveryDrawingIsPlottedAndAKilledSessionIsStartedAgainWithItsDrawingWhileTheOthersGoOn) {
    const fs::path job = prepare(9, 700);
    const fs::path report = folder.path() / L"report.csv";
    ProgramUnderTest program(L"/run \"" + job.wstring() + L"\" /sessions 3 /report \"" + report.wstring() +
                             L"\" /close");
    ASSERT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 3; }, 60s))
        << "three sessions, three applications";
    ASSERT_TRUE(wintest::waitFor([&] { return plotsSoFar() >= 2; }, 60s));
    ASSERT_TRUE(wintest::terminateOneProcess(kServerExe));

    ASSERT_TRUE(program.waitForExit(120s)) << "the run did not end";
    EXPECT_EQ(program.exitCode(), 0u) << "the drawing in the killed session was tried again";
    const auto plots = plotsPerDrawing();
    int plottedAgain = 0;
    for (const auto& [name, count] : plots) plottedAgain += count > 1 ? 1 : 0;
    EXPECT_LE(plottedAgain, 1) << "only the drawing in hand when its session was killed is plotted twice";
    EXPECT_EQ(plots.size(), 9u);
    EXPECT_GE(journals().size(), 4u) << "three sessions and the one started again, each with its journal";

    std::ifstream in(report, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (int i = 1; i <= 9; ++i) {
        const std::string name = "Sheet " + std::to_string(i) + ".dwg";
        EXPECT_NE(text.find(name), std::string::npos) << name << " has no row";
    }
    // The killed session's drawing is opened again in the new application and plotted there.
    EXPECT_EQ(text.find(",failed,"), std::string::npos) << text;
}

TEST_F(SeveralSessions, StopEndsEverySessionAndExitDuringARunLeavesNoApplicationBehind) {
    const fs::path job = prepare(12, 1500);
    ProgramUnderTest program(L"\"" + job.wstring() + L"\" /sessions 3");
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    ASSERT_TRUE(pollUntil([&] { return gui.listCount() == 12; }, 30s)) << win::toUtf8(gui.text(ids::Status));
    EXPECT_EQ(gui.text(ids::TxtSessions), L"3");

    gui.startRun(ids::PrintAllButton);
    ASSERT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 3; }, 60s));
    ASSERT_TRUE(pollUntil([&] { return gui.text(ids::Status).find(L"Processing ") != std::wstring::npos; }, 30s));
    gui.pressStop();
    const auto stopped = gui.waitForRunEnd(60s);
    ASSERT_EQ(stopped.kind, RunEnd::Kind::Summary) << win::toUtf8(stopped.status);
    EXPECT_NE(stopped.status.find(L"Run stopped: "), std::wstring::npos) << win::toUtf8(stopped.status);
    EXPECT_LE(plotsSoFar(), 3) << "no drawing was taken up after Stop";
    EXPECT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 1; }, 20s))
        << "the further sessions quit their applications when the run ended";

    gui.startRun(ids::PrintAllButton);
    ASSERT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 3; }, 60s));
    gui.postCommand(ids::ExitButton);
    ASSERT_TRUE(program.waitForExit(60s)) << "Exit did not end Quillon during the run";
}

}  // namespace
}  // namespace quillon::e2e
