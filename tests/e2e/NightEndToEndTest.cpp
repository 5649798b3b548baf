#include <algorithm>
#include <set>

#include "UnattendedFixture.h"

// A night that needs no one: several sessions, drawings that kill the CAD
// application, a template's page setup, and the user's profile left as it was.
namespace quillon::e2e {
namespace {

TEST_F(UnattendedRun, ThreeSessionsPlotEveryPlainDrawingThroughKillsFromTheQuietTemplateAndLeaveTheProfile) {
    json scenario = wintest::baseScenario();
    scenario["defaultDevice"] = wintest::kDevice;
    scenario["journal"] = "journal-{pid}.jsonl";
    scenario["profile"] = "profile.json";
    // The template would ask about its missing font and its signature if opened as it is.
    scenario["drawings"].push_back({{"file", "Office.dwt"},
                                    {"missingFont", true},
                                    {"signed", true},
                                    {"pageSetups", {{{"name", "A3 Issue"}, {"plotRotation", 1}, {"centerPlot", true}}}}});
    std::vector<std::string> plain;
    for (int i = 1; i <= 9; ++i) plain.push_back("Plan " + std::to_string(i) + ".dwg");
    for (const auto& name : plain) {
        folder.write((fs::path(L"Jobs") / win::toWide(name)).wstring(), kDrawingBytes);
        wintest::addDrawing(scenario, name);
    }
    // Listed last, taken up first: the three sessions' applications die together, twice each.
    scenario["faults"]["kills"] = json::array();
    for (const char* killer : {"Zap 1.dwg", "Zap 2.dwg", "Zap 3.dwg"}) {
        folder.write((fs::path(L"Jobs") / killer).wstring(), kDrawingBytes);
        scenario["faults"]["kills"].push_back({{"object", "Documents"}, {"member", "Open"}, {"drawing", killer}});
    }
    // Opening takes a moment, as it does in the application, so the plain drawings outlast a restart
    // and the sessions back from theirs share them, however quick one session is.
    scenario["faults"]["slow"] = {{{"object", "Documents"}, {"member", "Open"}, {"milliseconds", 400}}};
    const std::string profile = R"({"BACKGROUNDPLOT": 2, "DWGCHECK": 1, "FONTALT": "", "PROXYNOTICE": 1, )"
                                R"("RECOVERAUTO": 0, "SDI": 1, "SECURELOAD": 1, "SIGWARN": 1})";
    const fs::path profileFile = folder.write(L"profile.json", profile);
    const fs::path templateFile = folder.write(L"Office.dwt", kDrawingBytes);
    standin_server::registerServer(wintest::standinExePath(), folder.write(L"scenario.json", scenario.dump()).wstring());
    const json job = {{"folder", win::toUtf8((folder.path() / L"Jobs").wstring())}, {"layouts", true},
                      {"device", wintest::kDevice}, {"paper", wintest::kMediaA3},
                      {"plotStyleTable", wintest::kStyleTable}, {"sessions", 3}, {"sheetSettings", "template"},
                      {"pageSetupFile", win::toUtf8(templateFile.wstring())}, {"pageSetup", "A3 Issue"}};
    const fs::path copy = folder.path() / L"night.csv";
    ProgramUnderTest program(L"/run \"" + folder.write(L"Night.qjob", job.dump(2)).wstring() + L"\" /report \"" +
                             copy.wstring() + L"\" /close");
    ASSERT_TRUE(program.waitForExit(240s)) << "the night did not end";
    EXPECT_EQ(program.exitCode(), 1u) << "the three killers failed, nothing else";

    const auto lines = reportLines(copy);
    for (const auto& name : plain) {
        EXPECT_EQ(countContaining(lines, name + ",Layout1,"), 1) << name;
        EXPECT_EQ(countContaining(lines, name + ",Layout2,"), 1) << name;
    }
    EXPECT_EQ(countContaining(lines, ",plotted,"), 18) << "every sheet of every plain drawing";
    EXPECT_EQ(countContaining(lines, ",failed,AutoCAD ended twice while this drawing was open"), 3);
    EXPECT_EQ(lines.size(), 21u);

    int sessionsThatPlotted = 0;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        if (entry.path().filename().wstring().rfind(L"journal-", 0) != 0) continue;
        int templateOpens = 0, copies = 0;
        bool quiet = false;
        for (const auto& line : wintest::readJsonLines(entry.path())) {
            EXPECT_FALSE(line.contains("question")) << line.dump();
            const std::string member = line.value("member", "");
            // SIGWARN as the application holds it: read (an instance starts with the profile's value), or set.
            if (member == "GetVariable" && line["args"][0] == "SIGWARN" && line.contains("result"))
                quiet = line["result"] == 0;
            if (member == "SetVariable" && line["args"][0] == "SIGWARN") quiet = line["args"][1] == 0;
            if (member == "CopyFrom") ++copies;
            if (member != "Open" || line["args"][0].get<std::string>().find("Office.dwt") == std::string::npos) continue;
            ++templateOpens;
            EXPECT_TRUE(quiet) << "the template opened with the user's SIGWARN";
        }
        EXPECT_LE(templateOpens, 1) << "the template is opened once by each application";
        EXPECT_EQ(templateOpens > 0, copies > 0);
        sessionsThatPlotted += copies > 0 ? 1 : 0;
    }
    EXPECT_GE(sessionsThatPlotted, 2) << "the sessions shared the night";
    EXPECT_EQ(json::parse(readText(profileFile)), json::parse(profile)) << readText(profileFile);
}

}  // namespace
}  // namespace quillon::e2e
