#include <iostream>

#include "UnattendedFixture.h"

// A night whose sheets are named from their title blocks, with a register and a combined PDF: checked, then run.
namespace quillon::e2e {
namespace {

TEST_F(UnattendedRun, TitleBlocksNameTheSheetsTheCheckSaysSoAndTheRegisterListsTheSet) {
    json scenario = pdfScenario();
    journal = folder.path() / L"journal.jsonl";
    auto sheet = [](const char* layout, const char* number, const char* title) {
        return json{{"name", layout},
                    {"inserts", json::array({json{{"block", "A3-TITLE"},
                                                  {"attributes", json{{"SHEETNO", number}, {"TITLE", title}}}}})}};
    };
    scenario["drawings"] = json::array(
        {json{{"file", "Plans.dwg"},
              {"layouts", json::array({sheet("Ground", "A-101", "Ground Floor Plan"), sheet("First", "A-102", "First Floor Plan")})}},
         json{{"file", "Roof.dwg"}, {"layouts", json::array({sheet("Roof", "A-103", "Roof Plan")})}}});
    for (const wchar_t* name : {L"Jobs\\Plans.dwg", L"Jobs\\Roof.dwg"}) folder.write(name, kDrawingBytes);
    standin_server::registerServer(wintest::standinExePath(), folder.write(L"scenario.json", scenario.dump()).wstring());
    const fs::path out = folder.path() / L"Out";
    fs::create_directories(out);
    const json job = {{"folder", win::toUtf8((folder.path() / L"Jobs").wstring())},
                      {"device", "DWG To PDF.pc3"}, {"paper", wintest::kMediaA3}, {"plotStyleTable", wintest::kStyleTable},
                      {"plotFolder", win::toUtf8(out.wstring())}, {"combine", "run"}, {"combinedFileName", "Set"},
                      {"titleBlocks", "*TITLE*"}, {"plotFileName", "{attr:SHEETNO} {attr:TITLE}"},
                      {"register", "{folder} register"}, {"registerColumns", {"SHEETNO", "TITLE"}}};
    const std::wstring jobFile = folder.write(L"Night.qjob", job.dump(2)).wstring();
    auto run = [&](const std::wstring& mode, const wchar_t* report) {
        const fs::path csv = folder.path() / report;
        ProgramUnderTest program(mode + L" \"" + jobFile + L"\" /report \"" + csv.wstring() + L"\" /close");
        EXPECT_TRUE(program.waitForExit(120s)) << win::toUtf8(report);
        EXPECT_EQ(program.exitCode(), 0u) << win::toUtf8(report) << "\n" << readText(csv);
        return csv;
    };

    const fs::path check = run(L"/check", L"check.csv");
    const auto checked = reportLines(check);
    EXPECT_EQ(countContaining(checked, "title block A3-TITLE; would be plotted as A-102 First Floor Plan.pdf"), 1)
        << readText(check);
    EXPECT_FALSE(fs::exists(out / L"A-101 Ground Floor Plan.pdf")) << "a check plots nothing";

    const fs::path night = run(L"/run", L"night.csv");
    for (const wchar_t* name : {L"A-101 Ground Floor Plan.pdf", L"A-102 First Floor Plan.pdf", L"A-103 Roof Plan.pdf",
                                L"Set.pdf", L"Jobs register.csv"})
        EXPECT_TRUE(fs::exists(out / name)) << win::toUtf8(name) << "\n" << readText(night);
    const std::string registerCsv = readText(out / L"Jobs register.csv");
    EXPECT_EQ(registerCsv.rfind("\xEF\xBB\xBFSHEETNO,TITLE,Drawing,Layout,Paper,Plot file,Pages,Outcome,Date\r\n", 0), 0u)
        << registerCsv;
    EXPECT_NE(registerCsv.find("A-103,Roof Plan,Roof.dwg,Roof,"), std::string::npos) << registerCsv;
    std::cout << "  the check's report:\n" << readText(check) << "  the register:\n" << registerCsv;
}

}  // namespace
}  // namespace quillon::e2e
