#include "UnattendedFixture.h"
#include "plotting/record/RunReport.h"

#include <iostream>
#include <map>
#include <random>

// A check before the night's run, and a resume after it, started as a
// scheduled task would start them.
namespace quillon::e2e {
namespace {

TEST_F(UnattendedRun, ACheckSetsEverySheetUpPlotsNothingAndNamesTheDrawingsThatWouldFail) {
    json scenario = wintest::baseScenario();
    scenario["drawings"].push_back({{"file", "Plain.dwg"}, {"xrefs", {{{"name", "SITE"}, {"path", "Q:\\Gone\\site-nowhere.dwg"}}}}});
    prepareDrawings(scenario);
    const fs::path job = writeJob(wintest::kDevice);
    const fs::path copy = folder.path() / L"check.csv";
    ProgramUnderTest program(L"/check \"" + job.wstring() + L"\" /report \"" + copy.wstring() + L"\" /close");
    ASSERT_TRUE(program.waitForExit(90s)) << "the check did not end";
    EXPECT_EQ(program.exitCode(), 1u) << "a reference is missing and a drawing cannot be opened";

    for (const char* call : {"PlotToFile", "PlotToDevice", "Save", "SaveAs"}) EXPECT_EQ(journalCalls(call), 0) << call;
    EXPECT_TRUE(plottedDrawings(journal).empty());
    const auto lines = reportLines(copy);
    ASSERT_EQ(lines.size(), 4u) << "a row per sheet, one per drawing that cannot be checked";
    EXPECT_EQ(countContaining(lines, "Façade Süd.dwg,Layout1,DWF6 ePlot.pc3,"), 1);
    EXPECT_EQ(countContaining(lines, ",ready,"), 2);
    EXPECT_EQ(countContaining(lines, "AC1015 (2000 format)"), 4) << "read from each file, even one AutoCAD cannot open";
    const auto kept = reports();
    EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&](const fs::path& report) {
        return report.filename().wstring().rfind(L"Quillon check ", 0) == 0 && reportLines(report) == lines;
    })) << "kept under a check's name";
    EXPECT_EQ(countContaining(lines, "Plain.dwg,Model,"), 1);
    EXPECT_EQ(countContaining(lines, ",problems,reference not found after the repair: Q:\\Gone\\site-nowhere.dwg"), 1);
    EXPECT_EQ(countContaining(lines, "Broken.dwg,,"), 1);
    EXPECT_EQ(countContaining(lines, "the file is damaged"), 1);
}

TEST_F(UnattendedRun, AResumePlotsExactlyTheDrawingsTheEarlierRunLeftWithItsChoices) {
    prepareDrawings(wintest::baseScenario());
    const fs::path jobs = folder.path() / L"Jobs";
    const fs::path earlier = folder.path() / L"Quillon run 2026-12-08 23-05-09.csv";
    {
        plotting::RunReport report(earlier);
        auto row = [&](const wchar_t* drawing, const char* layout, const char* outcome, const char* reason) {
            plotting::ReportRow r;
            r.drawing = win::toUtf8((jobs / drawing).wstring());
            r.layout = layout;
            r.device = wintest::kDevice;
            r.paper = wintest::kMediaA3;
            r.plotStyleTable = wintest::kStyleTable;
            r.outcome = outcome;
            r.reason = reason;
            report.add(r);
        };
        row(L"Broken.dwg", "Model", "plotted", "");
        row(L"Façade Süd.dwg", "Layout1", "plotted", "");
        row(L"Façade Süd.dwg", "Layout2", "plotted with warnings", "paper \"A3\" not set");
        row(L"Plain.dwg", "", "failed", "AutoCAD stopped answering");
    }
    const fs::path copy = folder.path() / L"resumed.csv";
    ProgramUnderTest program(L"/resume \"" + earlier.wstring() + L"\" /report \"" + copy.wstring() + L"\" /close");
    ASSERT_TRUE(program.waitForExit(90s)) << "the resumed run did not end";
    EXPECT_EQ(program.exitCode(), 0u);
    const auto plotted = plottedDrawings(journal);
    ASSERT_EQ(plotted.size(), 1u) << "only the drawing the earlier run left";
    EXPECT_NE(plotted[0].find("Plain.dwg"), std::string::npos) << plotted[0];
    // The resume's report is the whole set: what it plotted, and the rest carried from the report they came from.
    const auto lines = reportLines(copy);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(countContaining(lines, "Plain.dwg,Model,DWF6 ePlot.pc3,"), 1) << lines[3];
    EXPECT_EQ(countContaining(lines, win::toUtf8(earlier.wstring())), 4) << "Resumes or Carried from: " << lines[0];

    // The morning's report has nothing left; a report edited out of shape is refused before anything is opened.
    const fs::path damaged = folder.write(L"damaged.csv", readText(copy) + "\"unclosed,quote\r\n");
    for (const auto& [report, code] : {std::pair{copy, 0u}, std::pair{damaged, 2u}}) {
        const fs::path again = folder.path() / L"again.csv";
        fs::remove(again);
        ProgramUnderTest resumed(L"/resume \"" + report.wstring() + L"\" /report \"" + again.wstring() + L"\" /close");
        ASSERT_TRUE(resumed.waitForExit(60s));
        EXPECT_EQ(resumed.exitCode(), code) << win::toUtf8(report.wstring());
        EXPECT_TRUE(fs::exists(again)) << "every way out leaves its report";
    }
    EXPECT_EQ(plottedDrawings(journal).size(), 1u) << "nothing more was plotted";
}

// The night that goes wrong: a run killed at a random moment, the resume of its report killed too, then two
// resumes. Across the four processes every drawing is plotted, and none twice but one in hand at a kill.
TEST_F(UnattendedRun, AKilledRunAndAKilledResumeAreTakenUpUntilEveryDrawingIsPlottedOnce) {
    const std::vector<std::wstring> names = {L"A.dwg", L"B.dwg", L"Ç.dwg", L"D.dwg", L"E.dwg", L"F.dwg"};
    prepareSlowDrawings(names, 700);
    std::mt19937 random(std::random_device{}());

    fs::path report = writeJob(wintest::kDevice);
    std::string mode = "/run";
    for (int kill = 0; kill < 2; ++kill) {
        const fs::path copy = folder.path() / (L"night " + std::to_wstring(kill) + L".csv");
        ProgramUnderTest program(win::toWide(mode) + L" \"" + report.wstring() + L"\" /report \"" + copy.wstring() + L"\"");
        // Killed while a drawing is in hand, after 0 to 2 drawings were done, a little into the drawing.
        const int done = static_cast<int>(random() % 3);
        ASSERT_TRUE(wintest::waitFor(
            [&] {
                const auto lines = reportLines(copy);
                return countContaining(lines, "started, not finished") == 1 && countContaining(lines, ",plotted,") >= done;
            },
            60s));
        Sleep(random() % 400);
        TerminateProcess(OpenProcess(PROCESS_TERMINATE, FALSE, program.processId()), 99);
        ASSERT_TRUE(program.waitForExit(10s));
        wintest::terminateProcesses(kServerExe);
        // The copy is the whole record of the run so far: every drawing it was given, none left out.
        const auto lines = reportLines(copy);
        // The kept report is written first, the copy next: killed between the two, they differ by that one step.
        ASSERT_FALSE(reports().empty());
        EXPECT_EQ(reportLines(reports().back()).size(), lines.size()) << "the kept report is whole too";
        EXPECT_EQ(countContaining(lines, "started, not finished") + countContaining(lines, "not started") +
                      countContaining(lines, ",plotted,"),
                  static_cast<int>(lines.size()));
        if (kill == 0) {
            EXPECT_EQ(lines.size(), names.size()) << "every drawing named as the run began";
        }
        std::cout << "report on disk after kill " << kill + 1 << ":\n" << readText(copy) << std::endl;
        report = copy;
        mode = "/resume";
    }
    for (int resume = 0; resume < 2; ++resume) {
        const fs::path copy = folder.path() / (L"morning " + std::to_wstring(resume) + L".csv");
        ProgramUnderTest program(L"/resume \"" + report.wstring() + L"\" /report \"" + copy.wstring() + L"\" /close");
        ASSERT_TRUE(program.waitForExit(90s));
        EXPECT_EQ(program.exitCode(), 0u);
        report = copy;
    }
    std::map<std::string, int> plots;
    for (const auto& drawing : plottedDrawings(journal)) ++plots[win::toUtf8(fs::path(win::toWide(drawing)).filename().wstring())];
    EXPECT_EQ(plots.size(), names.size()) << "every drawing plotted";
    int twice = 0;
    for (const auto& [drawing, count] : plots) twice += count > 1 ? 1 : 0;
    EXPECT_LE(twice, 2) << "only a drawing in hand at a kill is plotted again";
    // The last resume had nothing left; its report carries the whole set, every drawing plotted.
    EXPECT_EQ(countContaining(reportLines(report), ",plotted,"), static_cast<int>(names.size())) << readText(report);
}

// /until: at that time of day the run stops as Stop does, after the drawing in hand, with exit code 4 and
// the drawings left "not started" for the next night's /resume. The time is a minute ahead at most.
}  // namespace
}  // namespace quillon::e2e
