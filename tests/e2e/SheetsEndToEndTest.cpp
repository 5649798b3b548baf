#include "UnattendedFixture.h"

#include <iostream>

// A night's job plotting the office's way: only some layouts, in tab order,
// each set up from the template's page setup; checked first, then run.
namespace quillon::e2e {
namespace {

// A journal line as the closing note quotes it: Object.Member[args] or Object.Member=value.
std::string callText(const json& line) {
    const std::string member = line.value("object", "") + "." + line.value("member", "");
    const json args = line.value("args", json::array());
    if (line.value("kind", "") == "put" && !args.empty()) return member + "=" + args.back().dump();
    return args.empty() ? member : member + args.dump();
}

TEST_F(UnattendedRun, ATemplateJobIsCheckedThenPlotsTheMatchingSheetsInTabOrderFromThePageSetupLeavingTheEmptyOneOut) {
    json scenario = wintest::baseScenario();
    // Listed out of tab order; "Layout1" never used; "North old" left out by the job's pattern.
    scenario["drawings"] = json::array(
        {{{"file", "Elevations.dwg"},
          {"layouts",
           {{{"name", "North"}, {"tabOrder", 2}},
            {{"name", "Layout1"}, {"tabOrder", 3}, {"entities", 0}},
            {{"name", "South"}, {"tabOrder", 1}},
            {{"name", "North old"}, {"tabOrder", 4}}}}},
         {{"file", "Office.dwt"},
          {"pageSetups",
           {{{"name", "A1 Issue"}, {"plotType", 5}, {"standardScale", 16}, {"plotRotation", 0}, {"centerPlot", false}},
            {{"name", "Model Issue"}, {"modelType", true}}}}}});
    scenario["defaultDevice"] = wintest::kDevice;
    scenario["journal"] = "journal.jsonl";
    journal = folder.path() / L"journal.jsonl";
    folder.write((fs::path(L"Jobs") / L"Elevations.dwg").wstring(), kDrawingBytes);
    const fs::path office = folder.write(L"Office.dwt", kDrawingBytes);
    standin_server::registerServer(wintest::standinExePath(), folder.write(L"scenario.json", scenario.dump()).wstring());
    const json job = {{"folder", win::toUtf8((folder.path() / L"Jobs").wstring())},
                      {"layouts", true},
                      {"excludeLayouts", "*OLD"},
                      {"sheetSettings", "template"},
                      {"pageSetupFile", win::toUtf8(office.wstring())},
                      {"pageSetup", "A1 Issue"},
                      {"device", wintest::kDevice},
                      {"paper", wintest::kMediaA3},
                      {"plotStyleTable", wintest::kStyleTable}};
    const fs::path jobFile = folder.write(L"Night run.qjob", job.dump(2));

    const fs::path checked = folder.path() / L"check.csv";
    ProgramUnderTest check(L"/check \"" + jobFile.wstring() + L"\" /report \"" + checked.wstring() + L"\" /close");
    ASSERT_TRUE(check.waitForExit(90s)) << "the check did not end";
    EXPECT_EQ(check.exitCode(), 0u) << "an empty layout left out and a pattern's leaving out are no problems";
    EXPECT_TRUE(plottedDrawings(journal).empty());
    const auto checkLines = reportLines(checked);
    std::cout << "check report:\n";
    for (const auto& line : checkLines) std::cout << "  " << line << "\n";
    ASSERT_EQ(checkLines.size(), 3u) << "South and North, in tab order, then Layout1 left out";
    EXPECT_NE(checkLines[0].find("Elevations.dwg,South,"), std::string::npos) << checkLines[0];
    EXPECT_NE(checkLines[1].find("Elevations.dwg,North,"), std::string::npos) << checkLines[1];
    EXPECT_NE(checkLines[2].find(",Layout1,"), std::string::npos) << checkLines[2];
    EXPECT_NE(checkLines[2].find(",left out,empty layout"), std::string::npos) << checkLines[2];
    EXPECT_EQ(countContaining(checkLines, ",ready,"), 2);
    EXPECT_EQ(countContaining(checkLines, "layout, 1:1"), 2) << "the page setup's plot area and scale";
    EXPECT_EQ(countContaining(checkLines, "A1 Issue"), 3);
    EXPECT_EQ(countContaining(checkLines, "North old"), 0);

    // The run's calls follow the check's in the one journal.
    const std::size_t checkCalls = wintest::readJsonLines(journal).size();
    const fs::path ran = folder.path() / L"run.csv";
    ProgramUnderTest run(L"/run \"" + jobFile.wstring() + L"\" /report \"" + ran.wstring() + L"\" /close");
    ASSERT_TRUE(run.waitForExit(90s)) << "the run did not end";
    EXPECT_EQ(run.exitCode(), 0u);
    std::vector<std::string> sheets, copies, southSetUp;
    int templateOpens = 0, saves = 0;
    bool inSouth = false;
    const auto lines = wintest::readJsonLines(journal);
    for (std::size_t i = checkCalls; i < lines.size(); ++i) {
        const json& line = lines[i];
        if (line.contains("plot")) {
            const json& plot = line["plot"];
            sheets.push_back(plot.value("layout", ""));
            EXPECT_EQ(plot["plotType"], 5) << "the page setup's plot area";
            EXPECT_EQ(plot["standardScale"], 16);
            EXPECT_EQ(plot["media"], wintest::kMediaA3) << "the chosen paper put in";
            inSouth = false;
            continue;
        }
        if (line.contains("close")) {
            EXPECT_FALSE(line["close"]["wouldSave"].get<bool>()) << line["close"]["document"];
            continue;
        }
        const std::string member = line.value("member", "");
        const std::string call = callText(line);
        if (member == "CopyFrom") copies.push_back(line.value("object", ""));
        if (member == "Open" && call.find("Office.dwt") != std::string::npos) {
            ++templateOpens;
            EXPECT_EQ(line["args"].back(), true) << "the template is opened read-only";
        }
        saves += member == "Save" || member == "SaveAs" ? 1 : 0;
        // Looked at (its block's count), never made active nor set up.
        if (line.value("kind", "") == "put") {
            EXPECT_EQ(call.find("Layout1"), std::string::npos) << "the empty layout was set up: " << call;
        }
        if (member == "ActiveLayout" && line.value("kind", "") == "put" && call.find("South") != std::string::npos)
            inSouth = true;
        if (inSouth) southSetUp.push_back(call);
    }
    std::cout << "journal of South's set-up from the template:\n";
    for (const auto& call : southSetUp) std::cout << "  " << call << "\n";
    EXPECT_EQ(sheets, (std::vector<std::string>{"South", "North"}));
    EXPECT_EQ(copies.size(), 2u);
    EXPECT_EQ(templateOpens, 1) << "opened once for the run";
    EXPECT_EQ(saves, 0);
    const auto runLines = reportLines(ran);
    EXPECT_EQ(countContaining(runLines, ",plotted,"), 2);
    EXPECT_EQ(countContaining(runLines, ",left out,empty layout"), 1);
}

// The Sheets dialog lists the template's page setups, read on the CAD thread while the dialog waits, and OK keeps
// the choice with the settings.
TEST_F(UnattendedRun, TheSheetsDialogListsTheTemplatesPageSetupsAndKeepsTheChoice) {
    json scenario = wintest::baseScenario();
    scenario["drawings"] = json::array(
        {{{"file", "Office.dwt"}, {"pageSetups", {{{"name", "A1 Issue"}}, {{"name", "Model Issue"}, {"modelType", true}}}}}});
    scenario["journal"] = "journal.jsonl";
    journal = folder.path() / L"journal.jsonl";
    const fs::path office = folder.write(L"Office.dwt", kDrawingBytes);
    standin_server::registerServer(wintest::standinExePath(), folder.write(L"scenario.json", scenario.dump()).wstring());
    // Tests after this one must not plot from a template.
    struct ForgetSettings {
        ~ForgetSettings() { win::RegistryKey::deleteTree(HKEY_CURRENT_USER, L"Software\\Quillon"); }
    } forget;
    {
        auto settings = win::RegistryKey::create(HKEY_CURRENT_USER, L"Software\\Quillon\\Settings");
        settings.writeString(L"SheetSettings", L"template");
        settings.writeString(L"PageSetupFile", office.wstring());
    }
    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    // Once the plot lists are in, the CAD thread is there to read the template.
    ASSERT_TRUE(wintest::waitFor([&] { return gui.comboItems(ids::DeviceBox).size() >= 2; }, 30s));
    gui.postCommand(ids::BtnSheets);
    // Its title is set before its controls are made: found once the last of them is there.
    HWND dialog = nullptr, state = nullptr;
    ASSERT_TRUE(wintest::waitFor([&] {
        dialog = FindWindowW(L"#32770", L"Sheets");
        return dialog && GetDlgItem(dialog, IDCANCEL) && (state = GetDlgItem(dialog, 316)) != nullptr;
    }, 10s));
    ASSERT_TRUE(wintest::waitFor([&] { return gui.text(state) == L"2 page setups in the drawing."; }, 20s))
        << win::toUtf8(gui.text(state));
    SendMessageW(GetDlgItem(dialog, 315), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Model Issue (model space)"));
    SendMessageW(GetDlgItem(dialog, 304), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"*old"));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wintest::waitFor([&] { return !IsWindow(dialog); }, 10s));
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.waitForExit());

    auto kept = win::RegistryKey::open(HKEY_CURRENT_USER, L"Software\\Quillon\\Settings");
    EXPECT_EQ(kept.readString(L"PageSetup"), L"Model Issue") << "the name, not the list's text";
    EXPECT_EQ(kept.readString(L"ExcludeLayouts"), L"*old");
    EXPECT_EQ(kept.readString(L"SheetSettings"), L"template");
    int templateCloses = 0;
    for (const auto& line : wintest::readJsonLines(journal))
        if (line.contains("close") && line["close"]["document"].get<std::string>().find("Office.dwt") != std::string::npos) {
            ++templateCloses;
            EXPECT_TRUE(line["close"]["readOnly"].get<bool>());
            EXPECT_FALSE(line["close"]["wouldSave"].get<bool>());
        }
    EXPECT_EQ(templateCloses, 1) << "read from one read-only open, closed at once";
}

}  // namespace
}  // namespace quillon::e2e
