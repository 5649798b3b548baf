#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "RunHarness.h"
#include "StandinTestSupport.h"
#include "plotting/job/PlotJobFile.h"
#include "run/RunRequest.h"

// Sheets named from their title blocks and drawing properties, and the register of the set, against the
// stand-in: which block a sheet takes, what a name falls back to, and two sheets of one name.
namespace quillon::run {
namespace {

namespace fs = std::filesystem;
using standin::testing::TempFolder;
using testing::countOf;

// Written as text: attributes keep the order written.
constexpr const char* kScenario = R"json({
  "devices": [{"name": "DWG To PDF.pc3", "media": ["ISO_A4_(210.00_x_297.00_MM)"]}],
  "plotStyleTables": ["mono.ctb"],
  "drawings": [
    {"file": "Plans.dwg",
     "layouts": [
       {"name": "Ground", "inserts": [{"block": "NORTH"},
         {"block": "A1-TITLE", "attributes": {"SHEETNO": "A-101", "TITLE": "Ground Floor Plan", "REV": "C"}}]},
       {"name": "First", "inserts": [{"block": "TB", "dynamic": true,
         "attributes": {"SHEETNO": "A-102", "TITLE": "First Floor Plan"}}]},
       {"name": "Roof", "inserts": [{"block": "A1-TITLE", "attributes": {"SHEETNO": "A-103"}},
         {"block": "A1-TITLE", "attributes": {"SHEETNO": "A-104", "TITLE": "Roof Plan"}}]},
       {"name": "Notes"}],
     "properties": {"Title": "Plans", "custom": {"Project": "P-1"}}},
    {"file": "Copy.dwg",
     "layouts": [{"name": "Ground", "inserts": [
       {"block": "A1-TITLE", "attributes": {"SHEETNO": "A-101", "TITLE": "Ground Floor Plan", "REV": "D"}}]}]}]})json";

class TitleBlockRun : public ::testing::Test {
protected:
    TempFolder dir;
    std::shared_ptr<standin::Engine> engine;
    testing::EngineLauncher launcher;
    std::unique_ptr<testing::RunWorld> world;
    std::vector<std::string> paths;

    void SetUp() override {
        engine = standin::Engine::fromJson(kScenario, dir.path());
        launcher.application = engine->application();
        world = std::make_unique<testing::RunWorld>(launcher, dir.path());
        paths = {dir.file("J/Plans.dwg", "plans"), dir.file("J/Copy.dwg", "copy")};
    }
    RunRequest request(const std::string& pattern) const {
        RunRequest asked;
        asked.rows = rowsInRunOrder(paths);
        asked.listedFolder = dir.path() + "/J";
        asked.setup = plotting::PlotSetup{"DWG To PDF.pc3", "A4", "mono.ctb", 1};
        asked.setup.files.folder = dir.folder("Out");
        asked.setup.files.pattern = pattern;
        asked.setup.titleBlocks = "*TITLE*;tb";
        return asked;
    }
    std::string report() const { return standin::testing::readText(world->reports().runReport().string()); }
    bool plotted(const std::string& name) const { return fs::exists(dir.path() + "/Out/" + name); }
};

TEST_F(TitleBlockRun, SheetsAreNamedByTheirOwnTitleBlocksAndTheRegisterListsTheSet) {
    RunRequest asked = request("{attr:SHEETNO} {attr:TITLE}");
    asked.setup.combine = {plotting::CombineMode::Run, "Set", true};
    asked.setup.registerName = "{folder} register";
    world->runToEnd(asked);
    const std::string text = report();

    EXPECT_TRUE(plotted("A-101 Ground Floor Plan.pdf")) << text;
    EXPECT_TRUE(plotted("A-102 First Floor Plan.pdf")) << "a dynamic block by its effective name: " << text;
    EXPECT_TRUE(plotted("A-104 Roof Plan.pdf")) << "the block holding every tag the name needs: " << text;
    EXPECT_NE(text.find("A1-TITLE (2 of 2 found)"), std::string::npos) << text;
    EXPECT_TRUE(plotted("Plans-Notes.pdf")) << "no title block: the usual name, never \" .pdf\": " << text;
    EXPECT_EQ(countOf(text, "named {drawing}-{layout}: no title block was found"), 1) << text;
    EXPECT_TRUE(plotted("A-101 Ground Floor Plan (2).pdf")) << text;
    EXPECT_EQ(countOf(text, "another sheet of the job is named A-101 Ground Floor Plan.pdf"), 1) << text;

    const std::string registerCsv = standin::testing::readText(dir.path() + "/Out/J register.csv");
    EXPECT_EQ(registerCsv.substr(0, registerCsv.find("\r\n")),
              "\xEF\xBB\xBFSHEETNO,TITLE,REV,Drawing,Layout,Paper,Plot file,Pages,Outcome,Date");
    EXPECT_EQ(countOf(registerCsv, "\r\n"), 6) << registerCsv;
    EXPECT_NE(registerCsv.find("A-102,First Floor Plan,,Plans.dwg,First,A4,A-102 First Floor Plan.pdf,"),
              std::string::npos)
        << registerCsv;
    EXPECT_NE(standin::testing::readText(dir.path() + "/Out/Set.pdf").find("Register"), std::string::npos);

    // The next night nothing changed: no drawing is opened, and the register still describes every sheet.
    asked.setup.onlyChanged = true;
    world->runToEnd(asked);
    EXPECT_EQ(countOf(report(), ",up to date,"), 5) << report();
    EXPECT_NE(standin::testing::readText(dir.path() + "/Out/J register.csv")
                  .find("A-101,Ground Floor Plan,C,Plans.dwg,Ground,A4,A-101 Ground Floor Plan.pdf,2,up to date,"),
              std::string::npos);

    // A drawing property names the check's sheets; the check says what each would be called.
    RunRequest check = request("{prop:Project}-{layout}");
    check.setup.purpose = plotting::RunPurpose::Check;
    world->runToEnd(check);
    EXPECT_EQ(countOf(report(), "would be plotted as P-1-Ground.pdf"), 1) << report();
    EXPECT_EQ(countOf(report(), "named {drawing}-{layout}: the drawing has no property Project"), 1) << report();
}

TEST_F(TitleBlockRun, ANameAnotherPartsSheetHoldsInThePlotFolderIsNeverReplaced) {
    // Copy.dwg plotted by another part of the job into the same folder; this part plots Plans.dwg.
    RunRequest other = request("{attr:SHEETNO} {attr:TITLE}");
    other.rows = rowsInRunOrder({paths[1]});
    world->runToEnd(other);
    ASSERT_TRUE(plotted("A-101 Ground Floor Plan.pdf")) << report();
    const std::string theirs = standin::testing::readText(dir.path() + "/Out/A-101 Ground Floor Plan.pdf");

    RunRequest mine = request("{attr:SHEETNO} {attr:TITLE}");
    mine.rows = rowsInRunOrder({paths[0]});
    world->runToEnd(mine);
    EXPECT_TRUE(plotted("A-101 Ground Floor Plan (2).pdf")) << report();
    EXPECT_EQ(standin::testing::readText(dir.path() + "/Out/A-101 Ground Floor Plan.pdf"), theirs);
    EXPECT_EQ(countOf(report(), "another sheet of the job is named A-101 Ground Floor Plan.pdf"), 1) << report();
}

TEST_F(TitleBlockRun, ADrawingsCombinedFileIsNamedByItsPropertiesOnceAndKeepsThatNameWhenUpToDate) {
    RunRequest asked = request("");
    asked.setup.combine = {plotting::CombineMode::PerDrawing, "{drawing} {prop:Project}", true};
    world->runToEnd(asked);
    EXPECT_TRUE(plotted("Plans P-1.pdf")) << report();
    EXPECT_TRUE(plotted("Copy sheets.pdf")) << "no such property: the usual name: " << report();
    EXPECT_EQ(countOf(report(), "its combined file is named {drawing} sheets: the drawing has no property Project"), 1)
        << report();
    EXPECT_FALSE(plotted("Plans sheets.pdf")) << report();

    // Nothing changed: no drawing is opened, and the combined file keeps the name its properties gave it.
    fs::remove(dir.path() + "/Out/Plans P-1.pdf");
    asked.setup.onlyChanged = true;
    world->runToEnd(asked);
    EXPECT_TRUE(plotted("Plans P-1.pdf")) << report();
    EXPECT_FALSE(plotted("Plans sheets.pdf")) << report();
}

TEST_F(TitleBlockRun, AJobWhoseNamesNeedWhatItCannotGiveIsRefusedNamingTheField) {
    const std::string base = R"({"folder": "C:\\J", "device": "DWG To PDF.pc3", "paper": "A4", "plotStyleTable": "mono.ctb")";
    auto refusal = [&](const std::string& more) {
        try {
            plotting::readPlotJob(base + more + "}");
        } catch (const plotting::PlotJobError& error) {
            return std::string(error.what());
        }
        return std::string();
    };
    EXPECT_NE(refusal(R"(, "plotFileName": "{attr:SHEETNO}")").find("\"plotFileName\""), std::string::npos);
    EXPECT_NE(refusal(R"(, "combine": "run", "combinedFileName": "{prop:Project}")").find("\"combinedFileName\""),
              std::string::npos);
    EXPECT_EQ(refusal(R"(, "titleBlocks": "*TITLE*", "plotFileName": "{attr:SHEETNO}", "register": "Reg")"), "");
    EXPECT_EQ(refusal(R"(, "combine": "drawing", "combinedFileName": "{drawing} {prop:Project}")"), "");
}

}  // namespace
}  // namespace quillon::run
