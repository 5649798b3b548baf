#include <cstdio>
#include <fstream>
#include <sstream>

#include <pdfio.h>

#include "StandinTestSupport.h"
#include "plotting/job/PlotJobFile.h"
#include "plotting/pdf/PdfCombiner.h"
#include "plotting/pdf/PdfOutline.h"
#include "plotting/pdf/RunCombine.h"
#include "plotting/register/RegisterPages.h"
#include "standin/PlotPdf.h"

namespace quillon::plotting {
namespace {

using standin::testing::TempFolder;

std::string sheet(const TempFolder& dir, const std::string& name, const std::string& media, int rotation) {
    const std::string path = dir.at(name);
    EXPECT_TRUE(standin::writePlotPdf(path, standin::mediaPageSize(media, rotation), {"drawing: " + name}));
    return path;
}

std::string command(const std::string& line) {
    std::string output;
    if (FILE* pipe = popen((line + " 2>&1").c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        pclose(pipe);
    }
    return output;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// What the library reads back: page sizes, and the bookmarks as "drawing/sheet" (indented for sheets).
struct ReadBack {
    std::vector<std::pair<long, long>> pages;
    std::vector<std::string> bookmarks;
};

std::string title(pdfio_dict_t* item) {
    if (const char* text = pdfioDictGetString(item, "Title")) return text;
    return "?";
}

ReadBack readBack(const std::string& path) {
    ReadBack back;
    pdfio_file_t* pdf = pdfioFileOpen(path.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (!pdf) return back;
    for (std::size_t i = 0; i < pdfioFileGetNumPages(pdf); ++i) {
        pdfio_rect_t box{};
        pdfioDictGetRect(pdfioObjGetDict(pdfioFileGetPage(pdf, i)), "MediaBox", &box);
        back.pages.emplace_back(std::lround(box.x2), std::lround(box.y2));
    }
    pdfio_dict_t* outlines = pdfioObjGetDict(pdfioDictGetObj(pdfioFileGetCatalog(pdf), "Outlines"));
    for (pdfio_obj_t* d = pdfioDictGetObj(outlines, "First"); d; d = pdfioDictGetObj(pdfioObjGetDict(d), "Next")) {
        back.bookmarks.push_back(title(pdfioObjGetDict(d)));
        for (pdfio_obj_t* s = pdfioDictGetObj(pdfioObjGetDict(d), "First"); s;
             s = pdfioDictGetObj(pdfioObjGetDict(s), "Next"))
            back.bookmarks.push_back("  " + title(pdfioObjGetDict(s)));
    }
    pdfioFileClose(pdf);
    return back;
}

class PdfCombine : public ::testing::Test {
protected:
    TempFolder dir;
    StdPdfFileAccess files;
    std::string target = dir.at("Set.pdf");
    std::vector<CombinedSheet> sheets;

    void SetUp() override {
        sheets = {
            {"Ground Floor", "Plan", sheet(dir, "a.pdf", "ISO_A1_(594.00_x_841.00_MM)", 1)},
            {"Ground Floor", "Sections", sheet(dir, "b.pdf", "ISO_A3", 0)},
            {"Фасад", "Model", sheet(dir, "c.pdf", "ANSI_B_(11.00_x_17.00_Inches)", 0)},
        };
    }
    bool onlyTargetLeft() const {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            count += entry.path().filename().string().find(".tmp") != std::string::npos;
        return count == 0;
    }
};

TEST_F(PdfCombine, SheetsGoInInTheirOrderWithTheirPageBoxesAndBookmarksByDrawingAndSheet) {
    const CombineResult result = combinePdfSheets(sheets, target, files);

    EXPECT_EQ(result.kind, CombineResult::Kind::Combined) << result.error;
    EXPECT_EQ(result.file, target);
    EXPECT_EQ(result.pages, 3u);
    const ReadBack back = readBack(target);
    EXPECT_EQ(back.pages, (std::vector<std::pair<long, long>>{{2384, 1684}, {842, 1191}, {792, 1224}}));
    EXPECT_EQ(back.bookmarks,
              (std::vector<std::string>{"Ground Floor", "  Plan", "  Sections", "Фасад", "  Model"}));
    EXPECT_NE(readAll(sheets[0].file).find("(drawing: a.pdf)Tj"), std::string::npos) << "the text stays readable";
    EXPECT_NE(command("qpdf --check '" + target + "'").find("No syntax or stream encoding errors"), std::string::npos);
    EXPECT_NE(command("pdfinfo '" + target + "'").find("Pages:           3"), std::string::npos);
    EXPECT_NE(command("qpdf --json --json-key=outlines '" + target + "'").find("\"title\": \"Фасад\""),
              std::string::npos);
    EXPECT_TRUE(onlyTargetLeft());
}

TEST_F(PdfCombine, ADamagedOrMissingSheetIsLeftOutAndNamed) {
    std::ofstream(sheets[1].file, std::ios::binary | std::ios::trunc) << "%PDF-1.7\nnot a PDF after all\n";
    sheets.push_back({"Site", "Model", dir.at("never plotted.pdf")});

    const CombineResult result = combinePdfSheets(sheets, target, files);

    EXPECT_EQ(result.kind, CombineResult::Kind::CombinedWithWarnings) << result.error;
    EXPECT_EQ(result.pages, 2u);
    ASSERT_EQ(result.leftOut.size(), 2u);
    EXPECT_EQ(result.leftOut[0].sheet.layout, "Sections");
    EXPECT_EQ(result.leftOut[1].sheet.drawing, "Site");
    EXPECT_FALSE(result.leftOut[0].why.empty());
    EXPECT_EQ(readBack(target).bookmarks, (std::vector<std::string>{"Ground Floor", "  Plan", "Фасад", "  Model"}));
}

TEST_F(PdfCombine, LastNightsFileStaysUnlessTheNewOneIsWhole) {
    std::ofstream(target, std::ios::binary) << "last night's set";
    for (auto& s : sheets) std::ofstream(s.file, std::ios::binary | std::ios::trunc) << "damaged";

    EXPECT_EQ(combinePdfSheets(sheets, target, files).kind, CombineResult::Kind::Failed);
    EXPECT_EQ(readAll(target), "last night's set");

    sheets = {{"A", "Model", sheet(dir, "a.pdf", "ISO_A4", 0)}};
    int asked = 0;
    CombineProgress stopAtOnce{nullptr, [&] { return ++asked > 0; }};
    EXPECT_EQ(combinePdfSheets(sheets, target, files, stopAtOnce).kind, CombineResult::Kind::Stopped);
    EXPECT_EQ(readAll(target), "last night's set");
    EXPECT_TRUE(onlyTargetLeft());

    EXPECT_EQ(combinePdfSheets(sheets, target, files).kind, CombineResult::Kind::Combined);
    EXPECT_EQ(readBack(target).pages.size(), 1u);
}

TEST_F(PdfCombine, ARegisterGoesInFrontUnderItsOwnBookmarkAndTheSheetsPagesCountAfterIt) {
    RegisterTable table{"Set", {"Drawing", "Sheet"}, {}};
    for (int i = 0; i < 40; ++i) table.rows.push_back({"Drawing " + std::to_string(i), "Model"});
    const std::string front = dir.at("Register.pdf");
    const RegisterPagesResult pages = writeRegisterPages(table, front, {}, files);
    ASSERT_TRUE(pages.ok) << pages.error;
    ASSERT_EQ(pages.pages, 2u);

    const CombineResult result = combinePdfSheets(sheets, target, files, {}, {front, "Register"});

    EXPECT_EQ(result.kind, CombineResult::Kind::Combined) << result.error;
    EXPECT_EQ(result.pages, 5u);
    ASSERT_EQ(result.placed.size(), 3u);
    EXPECT_EQ(result.placed[0].firstPage, 2u);
    EXPECT_EQ(result.placed[2].firstPage, 4u);
    const ReadBack back = readBack(target);
    EXPECT_EQ(back.pages,
              (std::vector<std::pair<long, long>>{{842, 595}, {842, 595}, {2384, 1684}, {842, 1191}, {792, 1224}}));
    EXPECT_EQ(back.bookmarks,
              (std::vector<std::string>{"Register", "Ground Floor", "  Plan", "  Sections", "Фасад", "  Model"}));
    EXPECT_NE(command("qpdf --check '" + target + "'").find("No syntax or stream encoding errors"), std::string::npos);
    // A later run finds the sheets under their bookmarks, past the register, and the register's mark on page 1.
    pdfio_file_t* pdf = pdfioFileOpen(target.c_str(), nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(pdf, nullptr);
    const std::vector<OutlineEntry> entries = readOutline(pdf);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].firstPage, 2u);
    EXPECT_EQ(entries[2].firstPage, 4u);
    pdfio_dict_t* outlines = pdfioObjGetDict(pdfioDictGetObj(pdfioFileGetCatalog(pdf), "Outlines"));
    pdfio_dict_t* mark = pdfioObjGetDict(pdfioDictGetObj(outlines, "First"));
    EXPECT_EQ(pdfioArrayGetObj(pdfioDictGetArray(mark, "Dest"), 0), pdfioFileGetPage(pdf, 0));
    pdfioFileClose(pdf);

    // A register that cannot be read leaves the sheets combined, with a warning that says so.
    const CombineResult without = combinePdfSheets(sheets, target, files, {}, {dir.at("gone.pdf"), "Register"});
    EXPECT_EQ(without.kind, CombineResult::Kind::CombinedWithWarnings);
    EXPECT_FALSE(without.frontLeftOut.empty());
    EXPECT_EQ(readBack(target).bookmarks.front(), "Ground Floor");
}

ReportRow sheetRow(const std::string& drawing, const std::string& layout, const std::string& file,
                   const std::string& outcome = "plotted") {
    ReportRow row;
    row.drawing = drawing;
    row.layout = layout;
    row.plotFile = file;
    row.outcome = outcome;
    return row;
}

TEST_F(PdfCombine, AResumesFileHoldsTheWholeSetInTheRecordsOrderAndItsRowNamesWhatIsMissing) {
    // The resume's record: the night's rows carried, Фасад plotted again this morning, Roof failed again.
    const std::vector<ReportRow> set = {
        sheetRow("C:\\J\\Ground Floor.dwg", "Plan", sheets[0].file),
        sheetRow("C:\\J\\Фасад.dwg", "Model", sheets[2].file),
        sheetRow("C:\\J\\Site.dwg", "Model", sheets[1].file),
        sheetRow("C:\\J\\Roof.dwg", "Layout1", "", "failed"),
    };
    const std::string file = dir.at("Night part 2 of 4.pdf");
    RunCombineInput input{{CombineMode::Run, "{job}", true}, set, {{dir.path(), file}}, {}, {}, {}};

    const RunCombineOutput out = combineRun(input, files, nullptr, nullptr);

    ASSERT_EQ(out.rows.size(), 1u);
    EXPECT_EQ(out.rows[0].second.plotFile, file);
    EXPECT_EQ(out.rows[0].second.outcome, "combined with warnings");
    EXPECT_EQ(out.rows[0].second.reason, "3 pages; 1 drawing missing: Roof (failed)");
    EXPECT_EQ(out.withWarnings, 1);
    EXPECT_EQ(readBack(file).bookmarks,
              (std::vector<std::string>{"Ground Floor", "  Plan", "Фасад", "  Model", "Site", "  Model"}));
}

TEST_F(PdfCombine, WithoutSheetFilesAResumeTakesTheEarlierPagesFromTheCombinedFileTheRecordNames) {
    // Two drawings called Plan with a sheet of the same name: the second's pages must not be the first's.
    const std::string south = sheet(dir, "d.pdf", "ISO_A2", 0);
    const std::vector<ReportRow> night = {
        sheetRow("C:\\North\\Plan.dwg", "Layout1", sheets[0].file),
        sheetRow("C:\\South\\Plan.dwg", "Layout1", south),
        sheetRow("C:\\J\\Roof.dwg", "Model", "", "failed"),
    };
    std::vector<SheetPlace> recorded;
    RunCombineInput input{{CombineMode::Run, "{job}", false}, night, {{dir.path(), dir.at("Night.pdf")}}, {}, {}, {}};
    input.recordPlaces = [&](const auto& places) {
        EXPECT_TRUE(files.exists(places.front().from)) << "the record names the combined file before the sheet goes";
        recorded = places;
        return true;
    };
    RunCombineOutput out = combineRun(input, files, nullptr, nullptr);
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_FALSE(files.exists(sheets[0].file));
    EXPECT_FALSE(files.exists(south));

    // The morning's record: the night's rows as the run left them (its sheets name the combined file, which
    // has a row of its own), Roof plotted now.
    std::vector<ReportRow> report = night;
    for (ReportRow& row : report)
        for (const SheetPlace& place : recorded)
            if (row.plotFile == place.from) row.plotFile = place.into;
    report[2] = sheetRow("C:\\J\\Roof.dwg", "Model", sheets[2].file);
    report.push_back(out.rows.at(0).second);
    input.rows = report;
    input.files = {{dir.path(), dir.at("Morning.pdf")}};
    input.recordPlaces = nullptr;
    out = combineRun(input, files, nullptr, nullptr);

    ASSERT_EQ(out.rows.size(), 1u);
    EXPECT_EQ(out.rows[0].second.outcome, "combined") << out.rows[0].second.reason;
    const ReadBack back = readBack(dir.at("Morning.pdf"));
    EXPECT_EQ(back.pages, (std::vector<std::pair<long, long>>{{2384, 1684}, {1191, 1684}, {792, 1224}}));
    EXPECT_EQ(back.bookmarks, (std::vector<std::string>{"Plan", "  Layout1", "  Layout1", "Roof", "  Model"}));
    EXPECT_TRUE(files.exists(dir.at("Night.pdf"))) << "an earlier combined file is never removed as a sheet";
}

TEST(CombineChoiceRefusal, OnlyPdfDevicesCombineAndADrawingsFileNeverTakesASheetsName) {
    const CombineChoice perDrawing{CombineMode::PerDrawing, "{drawing}", true};
    EXPECT_TRUE(combineRefusal({CombineMode::Run, "", true}, "Plotter.pc3", ""));
    EXPECT_TRUE(combineRefusal(perDrawing, "DWG To PDF.pc3", ""));
    EXPECT_TRUE(combineRefusal({CombineMode::PerDrawing, "{drawing} {date}", true}, "DWG To PDF.pc3", "{drawing} {date}"));
    EXPECT_FALSE(combineRefusal({CombineMode::PerDrawing, "", true}, "DWG To PDF.pc3", ""));
    const std::string job = R"({"folder": "C:\J", "device": "Plotter.pc3", "paper": "A1", "plotStyleTable": "a.ctb",
                                "combine": "run"})";
    EXPECT_THROW(readPlotJob(job), PlotJobError);
}

}  // namespace
}  // namespace quillon::plotting
