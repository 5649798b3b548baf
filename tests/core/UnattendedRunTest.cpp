#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "app/ReportTarget.h"
#include "plotting/job/PlotJobFile.h"
#include "plotting/record/ReportRows.h"
#include "plotting/record/RunReport.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using app::CommandLine;
using app::parseCommandLine;
using plotting::PlotJobSpec;
using plotting::readPlotJob;

std::string errorOf(const std::string& job) {
    try {
        readPlotJob(job);
    } catch (const plotting::PlotJobError& error) {
        return error.what();
    }
    return "accepted";
}

TEST(PlotJobFileTest, AJobSurvivesWritingAndReadingWithNonAnsiNames) {
    PlotJobSpec folderJob;
    folderJob.folder = "C:\\Projekte\\Façade Süd";
    folderJob.subfolders = true;
    folderJob.device = "DWF6 ePlot.pc3";
    folderJob.paper = "A3";
    folderJob.plotStyleTable = "monochrome.ctb";
    folderJob.copies = 3;
    EXPECT_EQ(readPlotJob(plotting::writePlotJob(folderJob)), folderJob);
    folderJob.sessions = 4;
    folderJob.cadRestartEvery = 0;
    EXPECT_EQ(readPlotJob(plotting::writePlotJob(folderJob)), folderJob);
    folderJob.plotFolder = "\\\\server\\Transmittals";
    folderJob.plotFileName = "{folder} {drawing}-{layout} {date}";
    folderJob.plotFileExtension = ".pdf";
    EXPECT_EQ(readPlotJob(plotting::writePlotJob(folderJob)), folderJob);
    folderJob.includeLayouts = "Elev*;Sect?";
    folderJob.excludeLayouts = "*old*";
    folderJob.skipEmptyLayouts = false;
    folderJob.sheetSettings = "template";
    folderJob.pageSetupFile = "\\\\server\\Office.dwt";
    folderJob.pageSetup = "A1 Issue";
    EXPECT_EQ(readPlotJob(plotting::writePlotJob(folderJob)), folderJob);

    PlotJobSpec listJob = folderJob;
    listJob.folder.reset();
    listJob.subfolders = false;
    listJob.layouts = false;
    listJob.includeLayouts = listJob.excludeLayouts = "";
    listJob.drawings = {"C:\\Jobs\\A.dwg", "D:\\Другой\\B.dwg"};
    EXPECT_EQ(readPlotJob(plotting::writePlotJob(listJob)), listJob);
    // Editors may save a BOM first.
    EXPECT_EQ(readPlotJob("\xEF\xBB\xBF" + plotting::writePlotJob(listJob)), listJob);
}

TEST(PlotJobFileTest, AJobThatCannotBeUsedIsRefusedNamingTheField) {
    const std::string choices = R"("device": "P.pc3", "paper": "A3", "plotStyleTable": "m.ctb")";
    EXPECT_EQ(errorOf("{\"folder\": \"C:\\\\J\", " + choices + "}"), "accepted");
    const std::pair<std::string, std::string> refused[] = {
        {"{\"folder\": \"C:\\\\J\", \"colour\": 1, " + choices + "}", "\"colour\" is not a field"},
        {"{\"folder\": 7, " + choices + "}", "\"folder\" must be a text"},
        {"{" + choices + "}", "\"folder\" or the field \"drawings\""},
        {"{\"folder\": \"C:\\\\J\", \"drawings\": [\"a.dwg\"], " + choices + "}", "and not both"},
        {"{\"drawings\": [], " + choices + "}", "\"drawings\" must be a list"},
        {"{\"drawings\": [\"a.dwg\", 3], " + choices + "}", "\"drawings\" must hold only"},
        {"{\"folder\": \"C:\\\\J\", \"copies\": 0, " + choices + "}", "\"copies\" must be a whole number"},
        {"{\"folder\": \"C:\\\\J\", \"copies\": 2.5, " + choices + "}", "\"copies\" must be a whole number"},
        {"{\"folder\": \"C:\\\\J\", \"sessions\": 9, " + choices + "}", "\"sessions\" must be a whole number from 1 to 8"},
        {"{\"folder\": \"C:\\\\J\", \"cadRestartEvery\": -1, " + choices + "}", "\"cadRestartEvery\" must be a whole number"},
        {"{\"folder\": \"C:\\\\J\", \"layouts\": \"yes\", " + choices + "}", "\"layouts\" must be true or false"},
        {R"({"folder": "C:\\J", "paper": "A3", "plotStyleTable": "m.ctb"})", "\"device\" is missing"},
        {"{\"folder\": \"C:\\\\J\", \"plotFileExtension\": \"p/f\", " + choices + "}", "\"plotFileExtension\" must be"},
        {"{\"folder\": \"C:\\\\J\", \"plotFileExtension\": \"DWG\", " + choices + "}", "\"plotFileExtension\" cannot be \".dwg\""},
        {"{\"folder\": \"C:\\\\J\", \"plotFileExtension\": \".Sv$\", " + choices + "}", "cannot be \".sv$\": it is the"},
        {"{\"folder\": \"C:\\\\J\", \"plotFolder\": \"\", " + choices + "}", "\"plotFolder\" must not be empty"},
        {"{\"folder\": \"C:\\\\J\", " + choices, "not valid JSON"},
        {"[1, 2]", "must be a JSON object"},
        {"{\"folder\": \"C:\\\\J\", \"layouts\": false, \"excludeLayouts\": \"X\", " + choices + "}",
         "\"excludeLayouts\" needs \"layouts\": true"},
        {"{\"folder\": \"C:\\\\J\", \"sheetSettings\": \"office\", " + choices + "}", "\"sheetSettings\" must be"},
        {"{\"folder\": \"C:\\\\J\", \"sheetSettings\": \"template\", " + choices + "}", "\"pageSetupFile\" is missing"},
        {"{\"folder\": \"C:\\\\J\", \"pageSetup\": \"A1\", " + choices + "}", "\"pageSetup\" goes with"},
    };
    for (const auto& [job, expected] : refused)
        EXPECT_NE(errorOf(job).find(expected), std::string::npos) << job << "\n  gave: " << errorOf(job);
}

TEST(PlotJobFileTest, AJobNamingWhatTheApplicationDoesNotOfferSaysWhat) {
    PlotJobSpec job;
    job.folder = "C:\\J";
    job.device = "Plotter.pc3";
    job.paper = "A3";
    job.plotStyleTable = "mono.ctb";
    const std::vector<std::string> devices{"None", "Plotter.pc3"}, papers{"ISO_A3_(420 x 297 MM)"},
        tables{"mono.ctb"};
    EXPECT_EQ(plotting::missingFromLists(job, devices, papers, tables), std::nullopt);
    job.device = "Ghost.pc3";
    EXPECT_EQ(plotting::missingFromLists(job, devices, papers, tables), "device \"Ghost.pc3\"");
    job.device = "Plotter.pc3";
    job.plotStyleTable = "colour.ctb";
    EXPECT_EQ(plotting::missingFromLists(job, devices, papers, tables), "plot style table \"colour.ctb\"");
}

TEST(CommandLineTest, OptionsFollowWindowsHabitsAndWrongOnesAreRefused) {
    EXPECT_EQ(parseCommandLine({}).mode, CommandLine::Mode::Window);
    const auto open = parseCommandLine({"C:\\Jobs\\Night run.qjob"});
    EXPECT_EQ(open.mode, CommandLine::Mode::OpenJob);
    EXPECT_EQ(open.job, "C:\\Jobs\\Night run.qjob");

    const auto run = parseCommandLine({"-RUN", "night.qjob", "/Report", "C:\\Out\\r.csv", "/close"});
    EXPECT_EQ(run.mode, CommandLine::Mode::RunJob);
    EXPECT_EQ(run.job, "night.qjob");
    EXPECT_EQ(run.report, "C:\\Out\\r.csv");
    EXPECT_TRUE(run.closeWhenDone);
    EXPECT_EQ(parseCommandLine({"/close", "/run", "j.qjob"}).mode, CommandLine::Mode::RunJob) << "any order";
    EXPECT_EQ(parseCommandLine({"/run", "j.qjob", "/sessions", "3"}).sessions, 3);
    EXPECT_EQ(parseCommandLine({"/SESSIONS", "8"}).sessions, 8);
    EXPECT_EQ(parseCommandLine({"j.qjob"}).sessions, std::nullopt);
    EXPECT_EQ(parseCommandLine({"/Check", "j.qjob", "/close"}).mode, CommandLine::Mode::CheckJob);
    EXPECT_EQ(parseCommandLine({"/resume", "r.csv", "/report", "n.csv"}).mode, CommandLine::Mode::ResumeRun);

    EXPECT_EQ(parseCommandLine({"/?"}).mode, CommandLine::Mode::Usage);
    EXPECT_EQ(parseCommandLine({"/run", "/?"}).mode, CommandLine::Mode::Usage);
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"/run"}, {"/run", "a.qjob", "/report"}, {"/run", "a.qjob", "/report", "/close"},
          {"a.qjob", "b.qjob"}, {"/fast", "a.qjob"}, {"a.qjob", "/close"}, {"/sessions"}, {"/sessions", "0"},
          {"/sessions", "9"}, {"/sessions", "two"}, {"/run", "a.qjob", "/sessions", "/close"},
          {"/run", "a.qjob", "/check"}, {"/resume"}, {"/resume", "r.csv", "/shard", "1/2"}})
        EXPECT_THROW(parseCommandLine(wrong), app::CommandLineError) << wrong.size();
}

TEST(CommandLineTest, AReportCopyThatWouldOverwriteTheJobTheReportResumedOrADrawingIsRefused) {
    auto refusal = [](std::vector<std::string> args) {
        return app::reportTargetRefusal(app::parseCommandLine(args)).value_or("");
    };
    EXPECT_EQ(refusal({"/run", "C:\\Jobs\\night.qjob", "/report", "c:/jobs/NIGHT.qjob"}),
              "The run report cannot be written to c:/jobs/NIGHT.qjob: it is the plot job itself.");
    EXPECT_NE(refusal({"/resume", "C:\\R\\last.csv", "/report", "C:\\R\\last.csv"}).find("the report being resumed"),
              std::string::npos);
    EXPECT_NE(refusal({"/run", "C:\\Jobs\\night.qjob", "/report", "C:\\Jobs\\Plan.DWG"}).find("a drawing"),
              std::string::npos);
    EXPECT_EQ(refusal({"/run", "C:\\Jobs\\night.qjob", "/report", "C:\\Jobs\\night.csv"}), "");
}

TEST(CommandLineTest, AReportCopyNamedAsWindowsReadsTheJobADrawingOrTheReportResumedIsRefusedToo) {
    auto refused = [](std::vector<std::string> args) { return app::reportTargetRefusal(app::parseCommandLine(args)).has_value(); };
    for (const char* job : {"C:\\Jobs\\j.qjob.", "C:\\Jobs\\j.qjob ", "C://Jobs//j.qjob", "\\\\?\\C:\\Jobs\\j.qjob"})
        EXPECT_TRUE(refused({"/run", "C:\\Jobs\\j.qjob", "/report", job})) << job;
    EXPECT_TRUE(refused({"/run", "C:\\Jobs\\j.qjob", "/report", "C:\\Jobs\\A.dwg."}));
    EXPECT_TRUE(refused({"/resume", "C:\\R\\night.csv", "/report", "C:\\R\\night.csv "}));
}

TEST(CommandLineTest, UntilTakesATimeOfDayAndATimeAlreadyPastMeansTheNextDays) {
    EXPECT_EQ(app::parseCommandLine({"/run", "j.qjob", "/UNTIL", "6:30"}).until, (plotting::TimeOfDay{6, 30}));
    for (const char* bad : {"24:00", "06:60", "0630", "6:3", "", "a:bc"})
        EXPECT_THROW(app::parseCommandLine({"/run", "j.qjob", "/until", bad}), app::CommandLineError) << bad;
    EXPECT_THROW(app::parseCommandLine({"j.qjob", "/until", "06:00"}), app::CommandLineError) << "goes with /run";
    using plotting::LocalTime;
    using plotting::RunDeadline;
    EXPECT_EQ(RunDeadline({2024, 12, 31, 23, 0, 0}, {6, 30}).end(), (LocalTime{2025, 1, 1, 6, 30, 0})) << "past midnight";
    EXPECT_EQ(RunDeadline({2024, 2, 28, 7, 0, 0}, {6, 0}).end(), (LocalTime{2024, 2, 29, 6, 0, 0})) << "tomorrow's";
    EXPECT_EQ(RunDeadline({2024, 6, 1, 6, 0, 0}, {6, 0}).end(), (LocalTime{2024, 6, 2, 6, 0, 0})) << "now: tomorrow's";
    // The night the clocks go back at 03:00: the stop comes when the clock says 06:00, nine hours after 22:00,
    // not eight hours after the start (05:00 by then). The night they go forward, 02:30 never shows: 03:00 is past it.
    const RunDeadline autumn({2024, 10, 26, 22, 0, 0}, {6, 0});
    EXPECT_FALSE(autumn.reached({2024, 10, 27, 5, 0, 0}));
    EXPECT_TRUE(autumn.reached({2024, 10, 27, 6, 0, 0}));
    EXPECT_TRUE(RunDeadline({2024, 3, 30, 22, 0, 0}, {2, 30}).reached({2024, 3, 31, 3, 0, 0}));
    EXPECT_EQ(plotting::readPlotJob(R"({"folder": "C:/Jobs", "device": "P", "paper": "A3", "plotStyleTable": "m.ctb",
                                        "until": "5:05"})").until, "05:05");
    EXPECT_THROW(plotting::readPlotJob(R"({"folder": "C:/Jobs", "device": "P", "paper": "A3", "plotStyleTable": "m.ctb",
                                           "until": "late"})"), plotting::PlotJobError);
}

TEST(RunReportTest, RowsAreQuotedForSpreadsheetsAndOnDiskAsTheyAreAdded) {
    plotting::ReportRow row;
    row.drawing = "C:\\Jobs\\Plan, \"new\"\r\nrev.dwg";
    row.layout = "Sheet 1";
    row.outcome = "failed";
    row.reason = " leading space";
    row.seconds = 1.25;
    EXPECT_EQ(plotting::RunReport::field("plain"), "plain");
    EXPECT_EQ(plotting::RunReport::line(row),
              "\"C:\\Jobs\\Plan, \"\"new\"\"\r\nrev.dwg\",Sheet 1,,,,1,,failed,\" leading space\",,1.2,yes,,,,,,quillon,,,,,,no,,yes,,file,,,,,all,,,,,,,,,,");

    const fs::path folder =
        fs::temp_directory_path() / ("quillon-report-" + std::to_string(std::random_device{}()));
    {
        plotting::RunReport report(folder / "Reports" / plotting::reportFileName(2026, 12, 8, 23, 5, 9));
        report.add(row);
        // Read while the report is still open: a killed run leaves this much.
        std::ifstream in(report.file(), std::ios::binary);
        const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(written.rfind("\xEF\xBB\xBF" "Drawing,Layout,", 0), 0u);
        EXPECT_NE(written.find("failed"), std::string::npos);
    }
    EXPECT_EQ(plotting::reportFileName(2026, 12, 8, 23, 5, 9), "Quillon run 2026-12-08 23-05-09.csv");
    EXPECT_EQ(plotting::isoTimestamp(2026, 1, 2, 3, 4, 5), "2026-01-02T03:04:05");

    for (int minute = 10; minute < 14; ++minute)
        plotting::RunReport(folder / "Reports" / plotting::reportFileName(2026, 12, 8, 23, minute, 0));
    std::ofstream(folder / "Reports" / "notes.csv") << "mine";
    // Writes killed half-way: an old leftover goes, one written a moment ago may be a live writer's, a
    // file of the user's is never touched.
    for (const auto& [name, age] : {std::pair{"Quillon run 2026-12-08 23-05-09.csv.writing", 9}, {"notes.csv.writing", 9},
                                     {"Quillon run 2026-12-08 23-13-00.csv.writing", 0}}) {
        std::ofstream(folder / "Reports" / name) << "Drawing,La";
        fs::last_write_time(folder / "Reports" / name, fs::file_time_type::clock::now() - std::chrono::hours(age));
    }
    plotting::pruneReports(folder / "Reports", 2);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder / "Reports")) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    // A report's journal goes with it (these runs never ended, so theirs are there).
    EXPECT_EQ(left, (std::vector<std::string>{"Quillon run 2026-12-08 23-12-00.csv", "Quillon run 2026-12-08 23-12-00.csv.journal",
                                              "Quillon run 2026-12-08 23-13-00.csv", "Quillon run 2026-12-08 23-13-00.csv.journal",
                                              "Quillon run 2026-12-08 23-13-00.csv.writing", "notes.csv",
                                              "notes.csv.writing"}));
    EXPECT_TRUE(plotting::removeLeftoverWrite(folder / "Reports" / "notes.csv")) << "the leftover of a /report copy";
    fs::remove_all(folder);
}

TEST(RunReportTest, EachSheetIsARowAndADrawingThatPlottedNothingIsOne) {
    const plotting::PlotSetup setup{"Plotter.pc3", "A3", "mono.ctb", 0};
    plotting::DrawingOutcome layouts;
    layouts.kind = plotting::DrawingOutcome::Kind::LayoutsPlotted;
    layouts.path = "C:\\Jobs\\Tower.dwg";
    layouts.seconds = 3.5;
    layouts.sheets = {{"Ground", "C:\\Jobs\\Tower-Ground.plt", true, {}},
                      {"First", "C:\\Jobs\\Tower-First.plt", true, {{"First", "paper", "A3", "not offered"}}},
                      {"Roof", "", false, {}}};
    const auto rows = plotting::reportRows(layouts, setup, "2026-12-08T23:05:09");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].outcome, "plotted");
    EXPECT_EQ(rows[0].plotFile, "C:\\Jobs\\Tower-Ground.plt");
    EXPECT_EQ(rows[1].outcome, "plotted with warnings");
    EXPECT_NE(rows[1].reason.find("paper"), std::string::npos) << rows[1].reason;
    EXPECT_EQ(rows[2].outcome, "failed");
    EXPECT_EQ(rows[0].copies, 1) << "no copies chosen plots one";
    EXPECT_EQ(rows[2].started, "2026-12-08T23:05:09");

    plotting::DrawingOutcome failed;
    failed.kind = plotting::DrawingOutcome::Kind::Failed;
    failed.path = "C:\\Jobs\\Old.dwg";
    failed.detail = "saved by a newer release";
    const auto failedRows = plotting::reportRows(failed, setup, "");
    ASSERT_EQ(failedRows.size(), 1u);
    EXPECT_EQ(failedRows[0].outcome, "failed");
    EXPECT_EQ(failedRows[0].reason, "saved by a newer release");

    plotting::DrawingOutcome stopped;
    stopped.kind = plotting::DrawingOutcome::Kind::Skipped;
    stopped.detail = plotting::StoppedBeforePlotting;
    EXPECT_EQ(plotting::reportRows(stopped, setup, "").at(0).outcome, "stopped");
}

TEST(RunReportTest, ADrawingWhoseSheetsFailedHasTheirRowsAndNoneBesides) {
    const plotting::PlotSetup setup{"Plotter.pc3", "A3", "mono.ctb", 0};
    plotting::DrawingOutcome model;
    model.kind = plotting::DrawingOutcome::Kind::Failed;
    model.path = "C:\\Jobs\\Site.dwg";
    model.detail = "Plot device not available";
    plotting::SheetRecord sheet{"Model", "", false, {}};
    sheet.failure = model.detail;
    model.sheets = {sheet};
    const auto modelRows = plotting::reportRows(model, setup, "");
    ASSERT_EQ(modelRows.size(), 1u);
    EXPECT_EQ(modelRows[0].layout, "Model");

    plotting::DrawingOutcome inactive = model;
    inactive.detail = "another drawing is active in AutoCAD and this one could not be made active to be plotted";
    inactive.sheets = {{"First", "", false, {}}, {"Second", "", false, {}}};
    for (auto& s : inactive.sheets) s.failure = inactive.detail;
    EXPECT_EQ(plotting::reportRows(inactive, setup, "").size(), 2u);

    // Sheets plotted, then the drawing failed for another reason: that reason is a row of its own.
    inactive.sheets[0].plotted = true;
    inactive.detail = "AutoCAD stopped answering";
    EXPECT_EQ(plotting::reportRows(inactive, setup, "").size(), 3u);
}

}  // namespace
}  // namespace quillon
