#include <atomic>
#include <iterator>
#include <string>
#include <vector>

#include "CadTestFakes.h"
#include "RunTestSupport.h"
#include "StandinTestSupport.h"
#include "autocad/CadConnection.h"
#include "autocad/OwedVariables.h"
#include "base/StdFileSystem.h"
#include "plotting/PlotRun.h"

// The questions the application asks while opening a drawing, kept away
// during a run, and the user's values given back on every way out.
namespace quillon::plotting {
namespace {

using nlohmann::json;
using standin::testing::readText;
using standin::testing::TempFolder;

struct TextStore : autocad::OwedVariables::Store {
    std::string text;
    std::string read() const override { return text; }
    void write(const std::string& value) override { text = value; }
};

const char* const kTraits[] = {"proxies", "untrusted", "damaged", "code", "signed", "missingFont"};

class QuietOpens : public ::testing::Test {
protected:
    TempFolder dir;
    testing::SilentUi ui;
    testing::StartingLauncher starting;
    testing::EngineLauncher attaching;
    std::shared_ptr<TextStore> store = std::make_shared<TextStore>();
    base::StdFileSystem files;
    std::atomic<bool> stop{false};
    testing::RecordingDisplay display{dir.path()};
    testing::FakeList list;
    json scenario = {{"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
                     {"defaultDevice", "Plotter.pc3"}, {"plotStyleTables", {"mono.ctb"}},
                     {"profile", "profile.json"},      {"drawings", json::array()}};

    void SetUp() override {
        for (const char* trait : kTraits) {
            dir.file(std::string(trait) + ".dwg", "drawing");
            list.rows.push_back({std::string(trait) + ".dwg", dir.path() + "/", false});
            scenario["drawings"].push_back({{"file", std::string(trait) + ".dwg"}, {trait, true}});
        }
        dir.file("profile.json", R"({"SDI": 1, "BACKGROUNDPLOT": 2, "FONTALT": ""})");
        starting.make = [this] { return standin::Engine::fromJson(scenario.dump(), dir.path()); };
    }
    std::unique_ptr<autocad::CadConnection> connection(autocad::CadLauncher& launcher) {
        auto made = std::make_unique<autocad::CadConnection>(launcher, ui);
        made->keepOwedIn(std::make_shared<autocad::OwedVariables>(store));
        return made;
    }
    PlotRun::Ending runWith(autocad::CadConnection& cad) {
        PlotRun run(RunKind::AllListed, cad, files, display, list, stop, {"Plotter.pc3", "A4", "mono.ctb", 1});
        run.runToEnd();
        EXPECT_EQ(run.tally().restarts, 0) << "no question waited for the watchdog";
        return run.ending();
    }
    // The user's values, as the profile file held them before the run.
    void expectUsersProfile() {
        EXPECT_EQ(json::parse(readText(dir.at("profile.json"))),
                  json::parse(R"({"SDI": 1, "BACKGROUNDPLOT": 2, "FONTALT": "", "PROXYNOTICE": 1, "DWGCHECK": 1,
                                  "RECOVERAUTO": 0, "SECURELOAD": 1, "SIGWARN": 1})"));
        EXPECT_EQ(store->text, "") << "nothing is owed any more";
    }
};

TEST_F(QuietOpens, ARunOverEveryQuestionPlotsAllAndGivesTheValuesBackFinishedStoppedOrAfterAKill) {
    auto own = connection(starting);
    ASSERT_TRUE(own->connectAutoCAD());
    EXPECT_EQ(runWith(*own), PlotRun::Ending::Finished);
    EXPECT_EQ(display.starting("row").size(), std::size(kTraits));
    for (const auto& row : display.starting("row")) EXPECT_NE(row.find("Plotted"), std::string::npos) << row;
    expectUsersProfile();

    stop = true;
    EXPECT_EQ(runWith(*own), PlotRun::Ending::Stopped);
    expectUsersProfile();
    stop = false;

    // Quillon killed with a drawing open: the next Quillon's first connection gives the values back.
    {
        auto killed = connection(starting);
        ASSERT_TRUE(killed->restartAutoCAD());
        auto documents = killed->app().documents();
        killed->openQuietly(documents, dir.at("code.dwg"), true);
        EXPECT_NE(store->text, "") << "owed in the settings while the drawing is open";
    }
    auto next = connection(starting);
    ASSERT_TRUE(next->restartAutoCAD());
    EXPECT_EQ(store->text, R"({"SDI":1})") << "given back, but for SDI, which this connection turned off again";
    next->cleanUpAtExit();
    expectUsersProfile();
}

TEST_F(QuietOpens, InTheUsersOwnApplicationTheyAreChangedOnlyAroundEachOpenOfQuillons) {
    auto users = standin::Engine::fromJson(scenario.dump(), dir.path());
    attaching.application = users->application();
    auto theirs = connection(attaching);
    ASSERT_TRUE(theirs->connectAutoCAD());
    EXPECT_EQ(runWith(*theirs), PlotRun::Ending::Finished);
    expectUsersProfile();
    // Between Quillon's value and the user's there is nothing but the Open it was set for.
    bool changed = false;
    int opens = 0;
    for (const auto& access : standin::accessesIn(users->journal())) {
        if (access.member == "SetVariable" && access.args[0] == "PROXYNOTICE") changed = access.args[1] == 0;
        else if (access.member == "Open") opens += changed ? 1 : 100;
        else if (changed && access.member != "SetVariable" && access.member != "GetVariable" &&
                 access.member != "ActiveDocument")
            ADD_FAILURE() << access.member << " ran with the user's value changed";
    }
    EXPECT_EQ(opens, static_cast<int>(std::size(kTraits)));

    // SDI and BACKGROUNDPLOT are Quillon's only while its drawing is open: each drawing finds them given back.
    std::string owedAtOpen;
    int drawings = 0;
    for (const auto& access : standin::accessesIn(users->journal())) {
        if (access.member != "SetVariable" || (access.args[0] != "SDI" && access.args[0] != "BACKGROUNDPLOT")) continue;
        const bool quillons = access.args[1] == 0;
        if (access.args[0] == "SDI" && quillons) {
            ++drawings;
            EXPECT_EQ(owedAtOpen, "") << "drawing " << drawings << " found Quillon's values still set";
        }
        const std::string name = access.args[0].get<std::string>();
        if (quillons) owedAtOpen += name;
        else if (const auto at = owedAtOpen.find(name); at != std::string::npos) owedAtOpen.erase(at, name.size());
    }
    EXPECT_EQ(drawings, static_cast<int>(std::size(kTraits)));
}

TEST_F(QuietOpens, ADrawingAQuillonThatEndedLeftOpenInTheUsersApplicationIsClosedAtTheNextConnection) {
    auto users = standin::Engine::fromJson(scenario.dump(), dir.path());
    attaching.application = users->application();
    const std::string drawing = dir.file("B.dwg", "drawing");
    {
        // Its plot never came back before Quillon ended: the drawing is still open, plotting in the foreground.
        auto ended = connection(attaching);
        ASSERT_TRUE(ended->connectAutoCAD());
        auto documents = ended->app().documents();
        auto opened = ended->openQuietly(documents, drawing, true);
        ended->rememberOpened(opened);
        ended->plotInForeground(opened);
        opened.activeLayout().setConfigName("Plotter.pc3");
    }
    auto next = connection(attaching);
    ASSERT_TRUE(next->connectAutoCAD());
    for (auto& document : next->app().documents().items()) EXPECT_NE(document.name(), "B.dwg") << "still open";
    expectUsersProfile();
}

}  // namespace
}  // namespace quillon::plotting
