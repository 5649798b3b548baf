#include <iostream>

#include "UnattendedFixture.h"

// One job's set through every step that meets another: two /shard parts, a failing drawing resumed twice, and
// /combine over the parts' last reports.
namespace quillon::e2e {
namespace {

// What a combined file holds: its pages, and which drawing each page's plot came from.
struct Held {
    int pages = 0;
    int north = 0, south = 0, root = 0;
};

Held held(const fs::path& pdf) {
    const std::string text = readText(pdf);
    Held h;
    for (std::size_t at = text.find("/Type/Page"); at != std::string::npos; at = text.find("/Type/Page", at + 1))
        h.pages += text.compare(at, 11, "/Type/Pages") != 0;
    for (std::size_t at = text.find("Plan.dwg"); at != std::string::npos; at = text.find("Plan.dwg", at + 1)) {
        const std::string before = text.substr(at > 12 ? at - 12 : 0, at > 12 ? 12 : at);
        (before.find("North") != std::string::npos   ? h.north
         : before.find("South") != std::string::npos ? h.south
                                                      : h.root)++;
    }
    return h;
}

TEST_F(UnattendedRun, TwoPartsAFailingDrawingResumedTwiceAndCombineMakeOneSetEachSheetInItsOwnDrawingsFile) {
    json scenario = pdfScenario();
    // Plan.dwg falls in part 1 of 2, North\Plan.dwg and South\Plan.dwg in part 2 (FNV-1a of their relative paths).
    const std::vector<std::pair<std::wstring, json>> drawings = {
        {L"Jobs\\Plan.dwg", json::array({{{"name", "Sheet"}}})},
        {L"Jobs\\North\\Plan.dwg", json::array({{{"name", "Layout1"}}, {{"name", "Layout2"}}})},
        {L"Jobs\\South\\Plan.dwg", json::array({{{"name", "Layout1"}}})}};
    for (const auto& [file, layouts] : drawings) {
        folder.write(file, kDrawingBytes);
        std::string relative = win::toUtf8(file);
        std::replace(relative.begin(), relative.end(), '\\', '/');
        scenario["drawings"].push_back({{"file", relative}, {"layouts", layouts}});
    }
    auto registerScenario = [&](bool southFails) {
        scenario["drawings"][2].erase("openError");
        if (southFails) scenario["drawings"][2]["openError"] = "the file is locked";
        standin_server::registerServer(wintest::standinExePath(), folder.write(L"scenario.json", scenario.dump()).wstring());
    };
    const fs::path out = folder.path() / L"Out";
    fs::create_directories(out);
    const json job = {{"folder", win::toUtf8((folder.path() / L"Jobs").wstring())}, {"subfolders", true},
                      {"device", "DWG To PDF.pc3"}, {"paper", wintest::kMediaA3}, {"plotStyleTable", wintest::kStyleTable},
                      {"plotFolder", win::toUtf8(out.wstring())}, {"combine", "drawing"}, {"keepSheetFiles", false}};
    const std::wstring jobFile = folder.write(L"Night.qjob", job.dump(2)).wstring();
    auto run = [&](const std::wstring& arguments, const wchar_t* report, unsigned exitCode) {
        const fs::path csv = folder.path() / report;
        ProgramUnderTest program(arguments + L" /report \"" + csv.wstring() + L"\" /close");
        EXPECT_TRUE(program.waitForExit(120s)) << win::toUtf8(report);
        EXPECT_EQ(program.exitCode(), exitCode) << win::toUtf8(report);
        return csv;
    };

    registerScenario(true);
    const fs::path part1 = run(L"/run \"" + jobFile + L"\" /shard 1/2", L"part 1.csv", 0);
    const fs::path part2 = run(L"/run \"" + jobFile + L"\" /shard 2/2", L"part 2.csv", 1);
    const fs::path resumed = run(L"/resume \"" + part2.wstring() + L"\"", L"resume 1.csv", 1);  // still locked
    registerScenario(false);
    const fs::path last = run(L"/resume \"" + resumed.wstring() + L"\"", L"resume 2.csv", 0);
    const fs::path set = run(L"/combine \"" + part1.wstring() + L"\" \"" + last.wstring() + L"\"", L"set.csv", 0);

    // Every sheet is in exactly its own drawing's combined file; no file took another drawing's.
    std::vector<std::string> listing;
    for (const auto& entry : fs::directory_iterator(out))
        if (!entry.is_directory()) listing.push_back(win::toUtf8(entry.path().filename().wstring()));
    std::sort(listing.begin(), listing.end());
    EXPECT_EQ(listing, (std::vector<std::string>{"Plan (North) sheets.pdf", "Plan (South) sheets.pdf", "Plan sheets.pdf"}));
    const Held north = held(out / L"Plan (North) sheets.pdf"), south = held(out / L"Plan (South) sheets.pdf"),
               root = held(out / L"Plan sheets.pdf");
    EXPECT_EQ(std::tie(north.pages, north.north, north.south, north.root), std::tuple(2, 2, 0, 0));
    EXPECT_EQ(std::tie(south.pages, south.north, south.south, south.root), std::tuple(1, 0, 1, 0));
    EXPECT_EQ(std::tie(root.pages, root.north, root.south, root.root), std::tuple(1, 0, 0, 1));
    const std::string northPdf = readText(out / L"Plan (North) sheets.pdf");
    for (const char* bookmark : {"(Plan)", "(Layout1)", "(Layout2)"})
        EXPECT_NE(northPdf.find(bookmark), std::string::npos) << bookmark;

    // The last resume's report is the whole part: North carried from the part's own report, South plotted now.
    const auto lines = reportLines(last);
    std::string all;
    for (const auto& line : lines) all += line + "\n";
    EXPECT_EQ(lines.size(), 5u) << all;
    EXPECT_EQ(countContaining(lines, "part 2.csv,all,"), 2) << "North's two sheets, carried\n" << all;
    EXPECT_EQ(countContaining(lines, ",combined,"), 2) << all;
    EXPECT_EQ(countContaining(lines, ",part 2 of 2"), 5) << all;
    EXPECT_EQ(countContaining(reportLines(set), ",combined,"), 3);
    std::cout << "  plot folder " << win::toUtf8(out.wstring()) << ":\n";
    for (const auto& name : listing) std::cout << "    " << name << "\n";
    std::cout << "  the last resume's report (" << win::toUtf8(last.wstring()) << "):\n" << all;
}

}  // namespace
}  // namespace quillon::e2e
