#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <tuple>
#include <vector>

#include "plotting/files/PlotFileNaming.h"
#include "plotting/job/JobCheck.h"
#include "plotting/record/ReportColumns.h"
#include "plotting/record/ReportReader.h"
#include "plotting/record/ReportRows.h"
#include "plotting/record/ResumePlan.h"
#include "plotting/record/RunLedger.h"
#include "plotting/record/RunRecordWriter.h"

namespace quillon::plotting {
namespace {

ReportRow row(const std::string& drawing, const std::string& outcome) {
    ReportRow r;
    r.drawing = drawing;
    r.layout = "Layout1";
    r.device = "DWG To PDF.pc3";
    r.paper = "ISO A3";
    r.plotStyleTable = "mono.ctb";
    r.copies = 2;
    r.outcome = outcome;
    r.layouts = false;
    r.plotFolder = "C:\\Plots, night";
    r.plotFileName = "J12 sheet";
    r.plotFileExtension = ".pdf";
    return r;
}

// A report as a run writes it; the report of a part of a job when part is given.
std::string report(std::vector<ReportRow> rows, const std::string& part = "") {
    std::string text = "\xEF\xBB\xBF" + RunReport::heading(!part.empty()) + "\r\n";
    for (auto& r : rows) text += RunReport::line((r.part = part, r)) + "\r\n";
    return text;
}

// A report's text as a Western-language system reads it.
std::vector<ReportRecord> readReport(std::string_view text) { return readRunReport(text, windows1252()); }

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

// Why a resume refuses a report's text; empty when it takes it.
std::string refusal(const std::string& text) {
    try {
        resumePlan(readReport(text));
    } catch (const ReportError& error) {
        return error.what();
    }
    return "";
}

TEST(ResumeRun, TakesEveryDrawingNotPlottedInFullOnceInReportOrderWithTheRunsChoices) {
    auto quirky = row("C:\\Jobs\\Sheets, \"east\"\\C.dwg", "skipped");
    quirky.reason = "read-only,\r\nopen elsewhere";
    const std::string written =
        report(
            {row("C:\\Jobs\\A.dwg", "plotted"), row("C:\\Jobs\\B.dwg", "plotted"), row("C:\\Jobs\\A.dwg", "failed"),
             quirky, row("C:\\Jobs\\D.dwg", "plotted"), row("C:\\Jobs\\B.dwg", "plotted with warnings"),
             row("c:/jobs/d.DWG", "stopped"), row("C:\\Jobs\\E.dwg", "not started"), row("C:\\Jobs\\F.dwg", "failed")},
            "part 1 of 2") +
        "\r\n\r\n";
    // As written, and as an editor saving LF without a BOM or a last line end leaves it.
    std::string plain = written.substr(3);
    for (auto at = plain.find("\r\n"); at != std::string::npos; at = plain.find("\r\n", at)) plain.erase(at, 1);
    for (const auto& text : {written, plain.substr(0, plain.find("\n\n"))}) {
        const auto records = readReport(text);
        ASSERT_EQ(records.size(), 9u);
        EXPECT_EQ(records[3].row.drawing, quirky.drawing);
        EXPECT_EQ(records[3].row.part, "part 1 of 2");
        EXPECT_EQ(records[3].line, 5);
        EXPECT_EQ(records[4].line, 7);  // the reason's line break made row 4 two lines
        const auto plan = resumePlan(records);
        EXPECT_EQ(plan.job.drawings, (std::vector<std::string>{"C:\\Jobs\\A.dwg", quirky.drawing, "C:\\Jobs\\D.dwg",
                                                               "C:\\Jobs\\E.dwg", "C:\\Jobs\\F.dwg"}));
        EXPECT_EQ(plan.drawingsInReport, 6u);
        EXPECT_EQ(plan.plottedInFull, 1u);
        const auto& job = plan.job;
        EXPECT_EQ(
            std::tie(job.device, job.paper, job.plotStyleTable, job.copies, job.layouts, job.plotFolder,
                     job.plotFileName, job.plotFileExtension),
            std::tuple("DWG To PDF.pc3", "ISO A3", "mono.ctb", 2, false, "C:\\Plots, night", "J12 sheet", ".pdf"));
        EXPECT_FALSE(job.folder || job.sessions);
    }
}

TEST(ResumeRun, SameNamedDrawingsKeepTheirPlotFilesWhicheverRunResumesOrPartPlotsThem) {
    const std::vector<std::string> job{"C:\\J\\North\\Plan.dwg", "C:\\J\\South\\Plan.dwg", "C:\\J\\Site.dwg",
                                       "C:\\J\\South\\Old\\PLAN.DWG"};
    PlotFileOptions options{"D:\\Out\\", "", "", "", {}, {}, PlotOutput::File};
    options.qualifiers = plotNameQualifiers(job, options, "DWG To PDF.pc3");
    auto path = [&](const std::string& drawing, const char* layout) {
        return plotFilePath(options, drawing, drawing.substr(drawing.find_last_of('\\') + 1), "DWG To PDF.pc3", layout);
    };
    EXPECT_EQ(path(job[0], ""), "D:\\Out\\Plan (North).pdf");
    EXPECT_EQ(path(job[1], "Sheet1"), "D:\\Out\\Plan (South)-Sheet1.pdf");
    EXPECT_EQ(path(job[3], ""), "D:\\Out\\PLAN (South - Old).pdf");
    EXPECT_EQ(path(job[2], ""), "D:\\Out\\Site.pdf");
    // Beside each drawing, or with the folder in the pattern, nothing meets and no name changes.
    EXPECT_TRUE(plotNameQualifiers(job, {}, "DWG To PDF.pc3").empty());
    EXPECT_TRUE(plotNameQualifiers(job, {"D:\\Out", "{folder} {drawing}", "", "", {}, {}, PlotOutput::File}, "DWG To PDF.pc3").empty());

    // A resume names the sheets its report recorded as recorded (one stepped round a held file too),
    // and a sheet whose own file went into a combined file afresh.
    auto north = row(job[0], "plotted"), south = row(job[1], "failed"), held = row(job[2], "plotted with warnings"),
         combined = row("C:\\J", "combined");
    north.plotFile = "D:\\Out\\Plan (North)-Layout1.pdf";
    held.plotFile = "D:\\Out\\Site-Layout1 (2).pdf";
    combined.layout.clear();
    combined.plotFile = "D:\\Out\\J.pdf";
    auto inCombined = row(job[3], "plotted");
    inCombined.plotFile = combined.plotFile;
    const auto plan = resumePlan(readReport(report({north, south, held, inCombined, combined})));
    EXPECT_EQ(plan.names.listing, (std::vector<std::string>{job[0], job[1], job[2], job[3]}));
    EXPECT_EQ(plan.names.sheets, (std::map<std::string, std::string>{{recordedSheetKey(job[0], "Layout1"), north.plotFile},
                                                                     {recordedSheetKey(job[2], "Layout1"), held.plotFile}}));
    options.recorded = plan.names.sheets;
    EXPECT_EQ(path("c:/j/site.DWG", "Layout1"), held.plotFile);
}

TEST(ResumeRun, DamagedForeignAndMixedReportsAreRefusedNamingTheLine) {
    const std::string good = report({row("C:\\Jobs\\A.dwg", "plotted"), row("C:\\Jobs\\B.dwg", "failed")});
    const std::string earlier = RunReport::heading(false).substr(0, RunReport::heading(false).find(",Layouts"));
    const struct {
        std::string text;
        int line;
        std::string says;
    } cases[] = {
        {"Name,Size\r\nC:\\Jobs\\A.dwg,10\r\n", 1, "not a Quillon run report"},
        {"", 1, "not a Quillon run report"},
        {replaced(good, RunReport::heading(false), earlier), 2, "43 fields where the heading has 11"},
        {replaced(good, RunReport::heading(false), earlier + ",Part"), 2, "43 fields where the heading has 12"},
        {replaced(good, ",Resumes", ",Resumed"), 1, "not a Quillon run report"},
        {good + RunReport::line(row("C:\\Jobs\\C.dwg", "failed")) + ",part 1 of 2\r\n", 4,
         "44 fields where the heading has 43"},
        {replaced(good, "\r\nC:\\Jobs\\B", "\r\n\r\nC:\\Jobs\\B"), 3, "an empty line among the rows"},
        {good + "\"C:\\Jobs\\C.dwg,Layout1\r\n", 4, "a quoted field is not closed"},
        {replaced(good, "C:\\Jobs\\B.dwg", "C:\\Jobs\\\"B\".dwg"), 3, "a quote in the middle"},
        {replaced(good, "C:\\Jobs\\B.dwg", "\"C:\\Jobs\\B\".dwg"), 3, "text follows the closing quote"},
        {replaced(good, ",failed,", ",done,"), 3, "Outcome is \"done\", not one a run writes"},
        {replaced(good, "mono.ctb,2,,failed", "mono.ctb,0,,failed"), 3, "Copies is \"0\", not a whole number"},
        {replaced(good, "mono.ctb,2,,failed", "mono.ctb,2.5,,failed"), 3, "from 1 to 32767"},
        {replaced(good, "mono.ctb,2,,failed", "mono.ctb,40000,,failed"), 3, "from 1 to 32767"},
        {replaced(good, "plotted,,,0.0,no", "plotted,,,0.0,No"), 2, "Layouts is \"No\", not yes or no"},
        {report({}), 2, "no rows"},
        {replaced(good, "DWG To PDF.pc3,ISO A3,mono.ctb,2,,failed", "Plotter.pc3,ISO A3,mono.ctb,2,,failed"), 3,
         "the device differs from line 2's (\"Plotter.pc3\", not \"DWG To PDF.pc3\")"},
        {replaced(good, "mono.ctb,2,,failed", "mono.ctb,1,,failed"), 3, "the number of copies differs"},
    };
    for (const auto& c : cases) {
        const std::string why = refusal(c.text);
        EXPECT_EQ(why.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << c.says << " / " << why;
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
    }
}

// A spreadsheet program's plain "CSV": the system's code page, ';' between fields, every field quoted.
std::string asSpreadsheetSavesIt(const std::vector<ReportRow>& rows) {
    auto quoted = [](std::string text) {
        for (auto at = text.find('"'); at != std::string::npos; at = text.find('"', at + 2)) text.insert(at, "\"");
        for (const auto& [utf8, ansi] : {std::pair{"\xC3\xA7", "\xE7"}, std::pair{"\xE2\x82\xAC", "\x80"}})
            for (auto at = text.find(utf8); at != std::string::npos; at = text.find(utf8)) text.replace(at, std::strlen(utf8), ansi);
        return "\"" + text + "\"";
    };
    std::string out;
    for (const auto& column : reportColumns()) out += (out.empty() ? "" : ";") + quoted(column.heading);
    for (const auto& r : rows) {
        out += "\r\n";
        for (const auto& column : reportColumns()) out += (column.heading == std::string("Drawing") ? "" : ";") + quoted(column.write(r));
    }
    return out + "\r\n";
}

TEST(ResumeRun, ChoicesAJobFileCouldNotHoldAreRefusedNamingTheFieldBeforeAnythingStarts) {
    auto edited = row("C:\\Jobs\\A.dwg", "failed");
    edited.plotFileExtension = "DWG";
    const auto why = replayRefusal(resumePlan(readReport(report({edited}))).job);
    ASSERT_TRUE(why);
    EXPECT_EQ(why->rfind("The plot job's field \"plotFileExtension\" cannot be \".dwg\"", 0), 0u) << *why;
    EXPECT_EQ(replayRefusal(resumePlan(readReport(report({row("C:\\Jobs\\A.dwg", "failed")}))).job), std::nullopt);
}

TEST(ResumeRun, ReportsOfEveryFormatAndAsSpreadsheetsSaveThemAreRead) {
    // The first reports had no columns for the run's choices: their runs plotted every layout, files beside the drawing.
    const std::string first = "Drawing,Layout,Device,Paper,Plot style table,Copies,Plot file,Outcome,Reason or warning,"
                              "Started,Seconds\r\nC:\\Jobs\\A.dwg,Layout1,Plotter.pc3,ISO A1,mono.ctb,3,,failed,,,2.0\r\n";
    const auto old = resumePlan(readReport(first));
    EXPECT_EQ(std::tie(old.job.drawings, old.job.device, old.job.copies, old.job.layouts, old.job.plotFolder),
              std::tuple(std::vector<std::string>{"C:\\Jobs\\A.dwg"}, "Plotter.pc3", 3, true, ""));

    const std::vector<ReportRow> rows = {row("C:\\Jobs\\Façade 1.dwg", "plotted"),
                                         row("C:\\Jobs\\Façade 2 €.dwg", "started, not finished"),
                                         row("C:\\Jobs\\Z.dwg", "not started")};
    const std::string written = report(rows), saved = asSpreadsheetSavesIt(rows);
    ASSERT_EQ(saved.find("\xC3"), std::string::npos);
    const auto plan = resumePlan(readReport(saved));
    EXPECT_EQ(plan.job.drawings, (std::vector<std::string>{"C:\\Jobs\\Façade 2 €.dwg", "C:\\Jobs\\Z.dwg"}));
    EXPECT_EQ(plan.job, resumePlan(readReport(written)).job);
    EXPECT_EQ(refusal(saved + "\"C:\\Jobs\\Q.dwg\";\"Layout1\"\r\n"), "line 5: 2 fields where the heading has 43");

    // Before the sheet columns, every layout was plotted with Quillon's settings; a template's choices are replayed.
    const std::string heading = RunReport::heading(false), before = heading.substr(0, heading.find(",Sheet settings"));
    std::string seventeen = before + "\r\n" + RunReport::line(row("C:\\Jobs\\A.dwg", "failed"));
    seventeen = seventeen.substr(0, seventeen.rfind(",quillon")) + "\r\n";
    EXPECT_EQ(resumePlan(readReport(seventeen)).job.sheetSettings, "quillon");
    auto fromTemplate = row("C:\\Jobs\\A.dwg", "failed");
    fromTemplate.sheetSettings = "template";
    fromTemplate.pageSetup = "A1 Issue";
    fromTemplate.excludeLayouts = "*old*";
    const auto replayed = resumePlan(readReport(report({fromTemplate}))).job;
    EXPECT_EQ(std::tie(replayed.sheetSettings, replayed.pageSetup, replayed.excludeLayouts),
              std::tuple("template", "A1 Issue", "*old*"));

    // The reports before the pages column, before the columns of plotting only what changed (whose rows end
    // ",all,,"), then before the names columns (whose rows end ",file" where a new report's end ",file,,,,").
    std::string beforeTitles = replaced(written, ",Title blocks,Bookmark name,Register,Register columns,Title block,"
                                                 "Title block values,Bookmark", "");
    for (std::size_t at; (at = beforeTitles.find(",all,,,,,,,,,,\r\n")) != std::string::npos;)
        beforeTitles.replace(at, 16, ",all,,,\r\n");
    EXPECT_EQ(resumePlan(readReport(beforeTitles)).job, plan.job);
    std::string beforePages = replaced(beforeTitles, ",Pages in combined file", "");
    for (std::size_t at; (at = beforePages.find(",all,,,\r\n")) != std::string::npos;) beforePages.replace(at, 9, ",all,,\r\n");
    EXPECT_EQ(resumePlan(readReport(beforePages)).job, plan.job);
    std::string beforeChanges = replaced(beforePages, ",Plot,Drawing content hash,Plot file content hash", "");
    for (std::size_t at; (at = beforeChanges.find(",all,,\r\n")) != std::string::npos;) beforeChanges.replace(at, 8, "\r\n");
    EXPECT_EQ(resumePlan(readReport(beforeChanges)).job, plan.job);
    std::string beforeNames = replaced(beforeChanges, ",Qualifier,Name date,Job position,Carried from", "");
    for (std::size_t at; (at = beforeNames.find(",file,,,,\r\n")) != std::string::npos;) beforeNames.replace(at, 11, ",file\r\n");
    EXPECT_EQ(resumePlan(readReport(beforeNames)).job, plan.job);
    EXPECT_FALSE(resumePlan(readReport(beforeNames)).names.qualifiersRecorded) << "a resume decides them again";

    // The reports before the combining columns never combined; a later one's resume combines as its night did,
    // and its combined file's row is no drawing to plot again.
    const std::string beforeCombining =
        replaced(beforeNames, ",Combine,Combined file name,Keep sheet files,Restart AutoCAD every,Output", "");
    auto withoutCombining = [](std::string text) {
        for (std::size_t at; (at = text.find(",no,,yes,,file\r\n")) != std::string::npos;) text.replace(at, 16, "\r\n");
        return text;
    };
    EXPECT_EQ(resumePlan(readReport(withoutCombining(beforeCombining))).job.combine, CombineChoice{});
    std::vector<ReportRow> combining = rows;
    for (auto& r : combining) r.combine = {CombineMode::Run, "{job} set", false};
    combining.push_back(row("C:\\Jobs", "combined with warnings"));
    combining.back().combine = combining.front().combine;
    const auto again = resumePlan(readReport(report(combining)));
    EXPECT_EQ(again.job.combine, (CombineChoice{CombineMode::Run, "{job} set", false}));
    EXPECT_EQ(again.job.drawings.size(), 2u);

    // Before the restart column a resume takes the setting; after it, what the night used.
    const std::string beforeRestarts = replaced(beforeNames, ",Restart AutoCAD every,Output", "");
    auto withoutRestarts = [](std::string text) {
        for (std::size_t at; (at = text.find(",yes,,file\r\n")) != std::string::npos;) text.replace(at, 12, ",yes\r\n");
        return text;
    };
    EXPECT_EQ(resumePlan(readReport(withoutRestarts(beforeRestarts))).job.cadRestartEvery, std::nullopt);
    std::vector<ReportRow> restarting = rows;
    for (auto& r : restarting) r.cadRestartEvery = "250";
    EXPECT_EQ(resumePlan(readReport(report(restarting))).job.cadRestartEvery, 250);
}

TEST(ResumeRun, AChecksReportAndARunThatNeverStartedAreRefusedAndAFinishedRunLeavesNothing) {
    auto jobFailed = row("C:\\Jobs\\night.qjob", "failed");
    jobFailed.reason = "the job names no drawing";
    EXPECT_EQ(refusal(report({row("C:\\Jobs\\A.dwg", "ready"), row("C:\\Jobs\\B.dwg", "problems")})),
              "line 2: the report of a check, which plotted nothing: run its job to plot its drawings");
    EXPECT_EQ(refusal(report({jobFailed})),
              "line 2: the run ended before it started (the job names no drawing): "
              "run its job C:\\Jobs\\night.qjob again");
    const auto plan = resumePlan(
        readReport(report({row("C:\\Jobs\\A.dwg", "plotted"), row("C:\\Jobs\\B.DWG", "plotted with warnings")})));
    EXPECT_TRUE(plan.job.drawings.empty());
    EXPECT_EQ(plan.drawingsInReport, 2u);
    EXPECT_EQ(plan.plottedInFull, 2u);
}

DrawingOutcome plottedOutcome(const std::string& path) {
    DrawingOutcome outcome;
    outcome.kind = DrawingOutcome::Kind::ModelPlotted;
    outcome.path = path;
    outcome.sheets = {{"Model", "", true, {}}};
    return outcome;
}

TEST(ResumeRun, AReportOnDiskWhereverTheRunIsKilledResumesExactlyTheDrawingsLeft) {
    const auto folder = std::filesystem::temp_directory_path() / ("quillon-killed-" + std::to_string(std::random_device{}()));
    const PlotSetup setup{"Plotter.pc3", "A3", "mono.ctb", 1};
    auto report = std::make_shared<RunReport>(folder / "Quillon run 2026-12-09 01-00-00.csv", false,
                                              std::vector<std::filesystem::path>{folder / "night.csv"});
    const std::vector<std::string> drawings{"C:\\Jobs\\A.dwg", "C:\\Jobs\\B.dwg", "C:\\Jobs\\C.dwg"};
    auto record = std::make_shared<RunRecordWriter>(report, setup, JobNames{}, drawings, CombineNaming{},
                                                    std::make_shared<PlotFileClaims>(), "", nullptr);
    RunLedger ledger({{3, drawings[0]}, {2, drawings[1]}, {1, drawings[2]}},
                     [&](const std::vector<DrawingOutcome>& outcomes, std::size_t changed) {
                         return record->write(outcomes, changed);
                     });
    // What a resume of the file would plot, were the process to die now; the copy says the same.
    auto left = [&] {
        const auto plan = resumePlan(readReportFile(report->file(), windows1252())).job.drawings;
        EXPECT_EQ(resumePlan(readReportFile(folder / "night.csv", windows1252())).job.drawings, plan);
        return plan;
    };
    using Paths = std::vector<std::string>;
    ledger.begin();
    EXPECT_EQ(left(), (Paths{"C:\\Jobs\\A.dwg", "C:\\Jobs\\B.dwg", "C:\\Jobs\\C.dwg"})) << "after the start";
    ledger.takenUp(0, 3);
    ledger.finished(0, 3, plottedOutcome("C:\\Jobs\\A.dwg"));
    EXPECT_EQ(left(), (Paths{"C:\\Jobs\\B.dwg", "C:\\Jobs\\C.dwg"})) << "between drawings";
    ledger.takenUp(0, 2);
    EXPECT_EQ(left(), (Paths{"C:\\Jobs\\B.dwg", "C:\\Jobs\\C.dwg"})) << "in the middle of a drawing";
    EXPECT_NE(journalReportText(report->file()).value_or("").find("C:\\Jobs\\B.dwg,,Plotter.pc3,A3,mono.ctb,1,,\"started, not finished\""),
              std::string::npos);
    EXPECT_FALSE(ledger.recordProblem());

    // A report that can no longer be written: the ledger keeps why, for the run's exit code and console.
    std::filesystem::remove_all(folder);
    std::ofstream(folder) << "a file where the reports' folder was";
    ledger.finished(0, 2, plottedOutcome("C:\\Jobs\\B.dwg"));
    ASSERT_TRUE(ledger.recordProblem());
    EXPECT_NE(ledger.recordProblem()->find("could not be written"), std::string::npos) << *ledger.recordProblem();
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quillon::plotting
