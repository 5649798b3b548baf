#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "StandinTestSupport.h"
#include "plotting/pdf/PdfCombiner.h"
#include "plotting/pdf/RunCombine.h"
#include "plotting/record/OutcomeWords.h"
#include "plotting/record/ReportReader.h"
#include "plotting/record/ResumePlan.h"
#include "plotting/record/RunLedger.h"
#include "plotting/record/RunRecordWriter.h"
#include "standin/PlotPdf.h"

// A run's record from its start to its combine, and what a resume, a part or /combine reads back of it.
namespace quillon::plotting {
namespace {

using standin::testing::TempFolder;
using Lines = std::vector<std::string>;

class RecordedRun : public ::testing::Test {
protected:
    TempFolder dir;
    StdPdfFileAccess pdfs;
    PlotSetup setup{"DWG To PDF.pc3", "A3", "mono.ctb", 1};
    std::vector<std::string> drawings;
    std::shared_ptr<RunReport> report;
    std::shared_ptr<RunRecordWriter> record;
    std::unique_ptr<RunLedger> ledger;

    std::string drawing(const std::string& relative) { return dir.file("Jobs/" + relative, "drawing"); }

    // A run of these drawings, its report "<name>.csv": the names decided, every drawing not started.
    void start(std::vector<std::string> run, const JobNames& names = {}, const std::string& name = "night",
               const std::string& part = "") {
        drawings = std::move(run);
        setup.files.folder = dir.folder("Out");
        setup.files.runDate = "2026-12-09";
        setup.resumes = names.carried.empty() ? "" : "resumed";
        decideRunNames(setup, names, drawings);
        setup.files.claims = std::make_shared<PlotFileClaims>();
        report = std::make_shared<RunReport>(dir.at(name + ".csv"), !part.empty());
        record = std::make_shared<RunRecordWriter>(report, setup, names, drawings,
                                                   CombineNaming{dir.at("Out"), "Jobs", "Night", "2026-12-09", part},
                                                   setup.files.claims, part, nullptr);
        std::vector<std::pair<int, std::string>> entries;
        for (std::size_t i = 0; i < drawings.size(); ++i) entries.emplace_back(static_cast<int>(i) + 1, drawings[i]);
        ledger = std::make_unique<RunLedger>(entries, [this](const std::vector<DrawingOutcome>& r, std::size_t c) {
            return record->write(r, c);
        });
        ledger->begin();
    }
    // Drawing i plotted: each layout ("": model space) to the file its name gives, a one-page PDF.
    void plot(std::size_t i, const Lines& layouts) {
        DrawingOutcome outcome;
        outcome.path = drawings[i];
        outcome.kind = layouts.front().empty() ? DrawingOutcome::Kind::ModelPlotted : DrawingOutcome::Kind::LayoutsPlotted;
        for (const std::string& layout : layouts) {
            SheetRecord sheet{layout.empty() ? "Model" : layout, "", true, {}};
            const std::string name = drawings[i].substr(drawings[i].find_last_of('/') + 1);
            sheet.plotFile = setup.files.claims->claim(plotFilePath(setup.files, drawings[i], name, setup.device, layout));
            EXPECT_TRUE(standin::writePlotPdf(sheet.plotFile, standin::mediaPageSize("ISO_A3", 0), {sheet.plotFile}));
            outcome.sheets.push_back(sheet);
            ++outcome.layoutsTried;
            ++outcome.layoutsPlotted;
        }
        finish(i, outcome);
    }
    void fail(std::size_t i) {
        DrawingOutcome outcome;
        outcome.path = drawings[i];
        outcome.kind = DrawingOutcome::Kind::Failed;
        outcome.detail = "the file is damaged";
        finish(i, outcome);
    }
    void finish(std::size_t i, const DrawingOutcome& outcome) {
        ledger->takenUp(0, static_cast<int>(i) + 1);
        ledger->finished(0, static_cast<int>(i) + 1, outcome);
    }
    // The run's end: the rest not started, the combined files made as the record names them.
    RunCombineOutput end() {
        ledger->close("the run ended", "the run ended");
        RunCombineInput input{setup.combine, record->rows(), record->combinedFiles(), record->choices(),
                              [this](const auto& places) { return record->recordPlaces(places); }, nullptr};
        RunCombineOutput out = combineRun(input, pdfs, nullptr, nullptr);
        record->recordCombined(out.rows, out.stopped);
        record->finish();
        return out;
    }
    std::vector<ReportRecord> readBack(const std::string& name = "night") {
        return readReportFile(dir.at(name + ".csv"), windows1252());
    }
    long pages(const std::string& file) {
        std::string why;
        return countPdfPages(file, pdfs, why);
    }
    // The combined files' rows: file name, outcome and reason.
    Lines combined(const std::vector<ReportRecord>& records) {
        Lines out;
        for (const auto& r : records)
            if (findOutcomeWord(r.row.outcome)->meaning == OutcomeWord::Meaning::CombinedFile)
                out.push_back(r.row.plotFile.substr(r.row.plotFile.find_last_of('/') + 1) + ": " + r.row.outcome +
                              (r.row.reason.empty() ? "" : ", " + r.row.reason));
        return out;
    }
};

TEST_F(RecordedRun, SameNamedDrawingsEachCombineIntoAFileOfTheirOwn) {
    setup.combine = {CombineMode::PerDrawing, "", false};
    start({drawing("North/Plan.dwg"), drawing("South/Plan.dwg")});
    plot(0, {"Ground", "First"});
    plot(1, {"Ground"});
    EXPECT_EQ(end().withWarnings, 0);
    EXPECT_EQ(pages(dir.at("Out/Plan (North) sheets.pdf")), 2);
    EXPECT_EQ(pages(dir.at("Out/Plan (South) sheets.pdf")), 1);
    const auto rows = readBack();
    EXPECT_EQ(combined(rows), (Lines{"Plan (North) sheets.pdf: combined, 2 pages", "Plan (South) sheets.pdf: combined, 1 page"}));
    EXPECT_EQ(rows[0].row.plotFile, dir.at("Out/Plan (North) sheets.pdf")) << "North's sheet is in North's file";
    EXPECT_EQ(rows[2].row.plotFile, dir.at("Out/Plan (South) sheets.pdf"));
}

TEST_F(RecordedRun, APartNamesItsDrawingsAsTheWholeJobDoesAndSoDoesItsResume) {
    const Lines job{drawing("Plan.dwg"), drawing("North/Plan.dwg")};
    JobNames whole;
    whole.listing = job;
    start({job[1]}, whole, "part 2", "part 2 of 2");
    end();  // stopped before North: not started
    const ResumePlan plan = resumePlan(readBack("part 2"), dir.at("part 2.csv"));
    ASSERT_EQ(plan.job.drawings, Lines{job[1]});
    PlotSetup resumed = setup;
    resumed.files.qualifiers.clear();
    decideRunNames(resumed, plan.names, plan.job.drawings);
    EXPECT_EQ(plotFilePath(resumed.files, job[1], "Plan.dwg", setup.device, ""), dir.at("Out/Plan (North).pdf"));
}

TEST_F(RecordedRun, ACombinedFileWhoseNameASheetTakesMovesOnAndIsNeverRemovedAsASheet) {
    setup.combine = {CombineMode::Run, "{folder}", false};
    start({drawing("Jobs.dwg"), drawing("B.dwg")});
    plot(0, {""});  // "Jobs.pdf": the combined file's name
    plot(1, {""});
    const auto out = end();
    EXPECT_EQ(out.withWarnings, 0);
    EXPECT_EQ(pages(dir.at("Out/Jobs (2).pdf")), 2) << "the combined file, under the name it moved to";
    EXPECT_FALSE(pdfs.exists(dir.at("Out/Jobs.pdf"))) << "the sheet's file went into it";
    EXPECT_EQ(combined(readBack()), Lines{"Jobs (2).pdf: combined, 2 pages"});
}

TEST_F(RecordedRun, AResumeCarriesTheWholeSetSoAResumeOfAResumeCombinesAllOfIt) {
    setup.combine = {CombineMode::Run, "Tender set", false};
    start({drawing("A.dwg"), drawing("B.dwg"), drawing("C.dwg")});
    plot(0, {""});
    fail(1);
    plot(2, {"L1", "L2"});
    end();
    EXPECT_EQ(combined(readBack()), Lines{"Tender set.pdf: combined with warnings, 3 pages; 1 drawing missing: B (failed: the file is damaged)"});
    // The first resume plots B; the second finds nothing left but carries the whole set all the same.
    ResumePlan plan = resumePlan(readBack(), "night");
    start(plan.job.drawings, plan.names, "resume 1");
    plot(0, {""});
    end();
    plan = resumePlan(readBack("resume 1"), "resume 1");
    EXPECT_EQ(plan.drawingsInReport, 3u);
    EXPECT_EQ(plan.plottedInFull, 3u);
    EXPECT_FALSE(plan.combineLeft);
    EXPECT_EQ(combined(readBack("resume 1")), Lines{"Tender set.pdf: combined, 4 pages"});
    Lines carried;
    for (const auto& r : readBack("resume 1")) carried.push_back(r.row.carriedFrom);
    EXPECT_EQ(carried, (Lines{"night", "", "night", "night", ""})) << "A, B plotted now, C's two sheets, the combined file";
}

TEST_F(RecordedRun, ACombinedFileNotMadeIsRecordedAheadAndTakenUpByAResume) {
    setup.combine = {CombineMode::Run, "", true};
    start({drawing("A.dwg")});
    EXPECT_EQ(combined(readBack()), Lines{"Jobs 2026-12-09.pdf: not combined yet"}) << "before the first drawing";
    plot(0, {""});
    // Killed before the combine: every sheet is plotted, the combined file is not.
    const ResumePlan plan = resumePlan(readBack());
    EXPECT_EQ(plan.toPlotAgain(), 0u);
    EXPECT_TRUE(plan.combineLeft);
    EXPECT_EQ(plan.names.combined.begin()->second, dir.at("Out/Jobs 2026-12-09.pdf"));
}

// Central European Windows: a spreadsheet saves "ą" as the one byte B9 (Windows-1252 would read "¹").
class CentralEuropean final : public AnsiCodePage {
public:
    ~CentralEuropean() = default;
    std::string toUtf8(std::string_view text) const override {
        std::string out;
        for (char c : text) out += c == '\xB9' ? std::string("\xC4\x85") : std::string(1, c);
        return out;
    }
};

TEST_F(RecordedRun, AResumesCombineTakesTheSheetsAsTheOneDecoderReadTheReport) {
    setup.combine = {CombineMode::Run, "Set", true};
    start({drawing("M\xC4\x85ka.dwg")});
    plot(0, {""});  // killed before the combine; the report then saved again by a spreadsheet
    std::string saved = RunReport::text(report->rows(), false).substr(3);
    for (std::size_t at; (at = saved.find("\xC4\x85")) != std::string::npos;) saved.replace(at, 2, "\xB9");
    const ResumePlan plan = resumePlan(readRunReport(saved, CentralEuropean()), "night");
    ASSERT_TRUE(plan.combineLeft);
    start(plan.job.drawings, plan.names, "resume");
    EXPECT_EQ(end().withWarnings, 0);
    EXPECT_EQ(pages(dir.at("Out/Set.pdf")), 1) << "the sheet found under the name the plan decoded";
}

TEST_F(RecordedRun, ADrawingWithNoSheetInTheSetCountsAsMissing) {
    setup.combine = {CombineMode::Run, "Set", true};
    start({drawing("A.dwg"), drawing("B.dwg"), drawing("C.dwg"), drawing("D.dwg"), drawing("E.dwg")});
    plot(0, {""});
    fail(1);
    plot(2, {""});
    fail(3);
    const auto out = end();  // E: not started
    EXPECT_EQ(out.withWarnings, 1);
    EXPECT_EQ(combined(readBack()).at(0),
              "Set.pdf: combined with warnings, 2 pages; 3 drawings missing: B (failed: the file is damaged), "
              "D (failed: the file is damaged), E (not started: the run ended)");
}

TEST_F(RecordedRun, TheRecordGrowsLinearlyAndAKilledRunResumesFromItsJournal) {
    std::vector<std::string> many;
    for (int i = 0; i < 300; ++i) many.push_back(drawing("D" + std::to_string(i) + ".dwg"));
    start(many);
    for (std::size_t i = 0; i < 250; ++i) plot(i, {"L1", "L2", "L3"});
    // Killed now: the journal beside the CSV holds every change the CSV may not have yet.
    EXPECT_EQ(resumePlan(readBack()).toPlotAgain(), 50u);
    const std::uint64_t size = RunReport::text(report->rows(), false).size();
    EXPECT_LT(report->bytesWritten(), 12 * size) << "rewriting the whole report at each change writes ~400 times it";
}

TEST_F(RecordedRun, AReportWhoseJournalCannotBeWrittenKeepsItsCsvWholeAtEveryChange) {
    // Something in the journal's place: the CSV alone must then be the record, never one left behind.
    dir.folder("night.csv.journal");
    std::vector<std::string> many;
    for (int i = 0; i < 300; ++i) many.push_back(drawing("D" + std::to_string(i) + ".dwg"));
    start(many);
    for (std::size_t i = 0; i < 250; ++i) plot(i, {"L1"});
    EXPECT_TRUE(report->problem());
    EXPECT_EQ(resumePlan(readBack()).toPlotAgain(), 50u);
}

}  // namespace
}  // namespace quillon::plotting
