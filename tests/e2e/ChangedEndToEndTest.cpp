#include <iostream>

#include "UnattendedFixture.h"

// A night's job run in full, then again with /changed after one drawing was edited and one plot file deleted.
namespace quillon::e2e {
namespace {

int pagesOf(const fs::path& pdf) {
    const std::string text = readText(pdf);
    int pages = 0;
    for (std::size_t at = text.find("/Type/Page"); at != std::string::npos; at = text.find("/Type/Page", at + 1))
        pages += text.compare(at, 11, "/Type/Pages") != 0;
    return pages;
}

TEST_F(UnattendedRun, ChangedOpensOnlyTheEditedDrawingAndTheOneWhosePlotFileWentTheRestAreUpToDateAndTheSetIsWhole) {
    json scenario = pdfScenario();
    journal = folder.path() / L"journal.jsonl";
    for (const wchar_t* name : {L"Jobs\\Ground.dwg", L"Jobs\\Roof.dwg", L"Jobs\\Site.dwg", L"Jobs\\Stair.dwg"})
        folder.write(name, kDrawingBytes);
    standin_server::registerServer(wintest::standinExePath(), folder.write(L"scenario.json", scenario.dump()).wstring());
    const fs::path out = folder.path() / L"Out";
    fs::create_directories(out);
    const json job = {{"folder", win::toUtf8((folder.path() / L"Jobs").wstring())}, {"layouts", false},
                      {"device", "DWG To PDF.pc3"}, {"paper", wintest::kMediaA3}, {"plotStyleTable", wintest::kStyleTable},
                      {"plotFolder", win::toUtf8(out.wstring())}, {"combine", "run"}};
    const std::wstring jobFile = folder.write(L"Night.qjob", job.dump(2)).wstring();
    auto run = [&](const std::wstring& arguments, const wchar_t* report) {
        const fs::path csv = folder.path() / report;
        ProgramUnderTest program(arguments + L" /report \"" + csv.wstring() + L"\" /close");
        EXPECT_TRUE(program.waitForExit(120s)) << win::toUtf8(report);
        EXPECT_EQ(program.exitCode(), 0u) << win::toUtf8(report);
        return csv;
    };
    auto opened = [&](std::size_t from) {
        std::vector<std::string> drawings;
        const auto lines = wintest::readJsonLines(journal);
        for (std::size_t i = from; i < lines.size(); ++i)
            if (lines[i].value("member", "") == "Open" && lines[i].contains("args"))
                drawings.push_back(fs::path(win::toWide(lines[i]["args"][0].get<std::string>())).filename().string());
        std::sort(drawings.begin(), drawings.end());
        return drawings;
    };

    const fs::path full = run(L"/run \"" + jobFile + L"\"", L"full.csv");
    ASSERT_EQ(opened(0).size(), 4u);
    const std::size_t afterFull = wintest::readJsonLines(journal).size();
    std::ofstream(folder.path() / L"Jobs\\Roof.dwg", std::ios::binary | std::ios::app) << "edited";
    fs::remove(out / L"Site.pdf");

    const fs::path changed = run(L"/run \"" + jobFile + L"\" /changed", L"changed.csv");
    EXPECT_EQ(opened(afterFull), (std::vector<std::string>{"Roof.dwg", "Site.dwg"}));
    const auto lines = reportLines(changed);
    std::string all;
    for (const auto& line : lines) all += line + "\n";
    EXPECT_EQ(countContaining(lines, ",up to date,plotted "), 2) << all;
    EXPECT_EQ(countContaining(lines, "drawing changed"), 1) << all;
    EXPECT_EQ(countContaining(lines, "plot file missing"), 1) << all;
    EXPECT_EQ(countContaining(lines, ",combined,"), 1) << all;
    EXPECT_TRUE(fs::exists(out / L"Site.pdf"));
    // The run's combined file: the one PDF of the plot folder that is no drawing's sheet.
    fs::path set;
    for (const auto& entry : fs::directory_iterator(out))
        if (entry.path().extension() == L".pdf" && entry.path().stem().wstring().find(L' ') != std::wstring::npos)
            set = entry.path();
    EXPECT_EQ(pagesOf(set), 4) << "the set takes the files that were up to date: " << set.string();

    // The next night, nothing changed: no AutoCAD is started at all, and the set is still whole.
    const std::size_t afterChanged = wintest::readJsonLines(journal).size();
    const fs::path nothing = run(L"/run \"" + jobFile + L"\" /changed", L"nothing.csv");
    EXPECT_EQ(wintest::readJsonLines(journal).size(), afterChanged) << "a call reached the stand-in";
    EXPECT_EQ(countContaining(reportLines(nothing), ",up to date,plotted "), 4);
    std::cout << "  the full run's report:\n" << readText(full) << "  the run with /changed:\n" << readText(changed);
}

}  // namespace
}  // namespace quillon::e2e
