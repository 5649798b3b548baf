#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plotting/PlotRules.h"

namespace quillon::plotting {
namespace {

MissingChoice missingFor(std::string device, std::string paper, std::string plotStyleTable) {
    return missingChoice(PlotSetup{std::move(device), std::move(paper), std::move(plotStyleTable), 0});
}

TEST(PlotRules, ChoicesAreCheckedPrinterThenPaperThenTable) {
    EXPECT_EQ(missingFor("Select a Printer", "Select a Paper", "Select Plot Style Table"), MissingChoice::Device);
    EXPECT_EQ(missingFor("", "A4", "mono.ctb"), MissingChoice::Device);
    EXPECT_EQ(missingFor("None", "A4", "mono.ctb"), MissingChoice::Device);
    EXPECT_EQ(missingFor("Plotter.pc3", "Select Paper Size", ""), MissingChoice::Paper);
    EXPECT_EQ(missingFor("Plotter.pc3", "A4", "Select Ctb File"), MissingChoice::PlotStyleTable);
    // "None" is refused for the device only, "select" in another case is a name, and "0" is what a missing setting
    // loads.
    EXPECT_EQ(missingFor("0", "None", "None"), MissingChoice::None);
    EXPECT_EQ(missingFor("select plotter", "A4", "mono.ctb"), MissingChoice::None);

    const auto paper = missingChoiceMessage(MissingChoice::Paper);
    EXPECT_STREQ(paper.title, "Paper Not Selected");
    EXPECT_STREQ(paper.text, "Please Select a Paper Size before Ploting");
}

TEST(PlotRules, PaperMatchesByEqualityIgnoringCaseOrByContainmentAsWritten) {
    const std::vector<std::string> media{"Letter", "ISO_A3_(420.00_x_297.00_MM)", "ISO_A4_(210.00_x_297.00_MM)",
                                         "ISO_full_bleed_A4_(210.00_x_297.00_MM)", "a4"};
    EXPECT_EQ(matchPaper(media, "A4"), 2u);
    EXPECT_EQ(matchPaper(media, "letter"), 0u);
    EXPECT_EQ(matchPaper(media, "iso_a3"), std::nullopt) << "a part in the wrong case matches nothing";
    EXPECT_EQ(matchPaper(media, "A0"), std::nullopt);
    EXPECT_EQ(matchPaper({}, "A4"), std::nullopt);
}

TEST(PlotRules, NamedPlotStyleDrawingsGetTheStbTwinOfTheTable) {
    EXPECT_EQ(plotStyleTableFor("acad.stb", "ctb-mono.ctb"), "stb-mono.stb");
    EXPECT_EQ(plotStyleTableFor("acad.STB", "mono.ctb"), "mono.ctb");
    EXPECT_EQ(plotStyleTableFor("", "mono.ctb"), "mono.ctb");
    EXPECT_EQ(plotStyleTableFor("acad.ctb", "Mono.CTB"), "Mono.CTB");
}

TEST(PlotRules, OnlyLowerCasePc3DevicesPlotToFile) {
    EXPECT_TRUE(plotsToFile("DWF6 ePlot.pc3"));
    EXPECT_FALSE(plotsToFile("DWF6 ePlot.PC3"));
    EXPECT_FALSE(plotsToFile("Office Laser"));
}

TEST(PlotRules, PlotFileNamesNeverNameTheDrawingAndDifferPerLayout) {
    const PlotFileOptions beside;
    auto model = [&](const char* path, const char* name) {
        return plotFilePath(beside, path, name, "Plotter.pc3", "");
    };
    auto layout = [&](const char* name, const char* layoutName) {
        return plotFilePath(beside, std::string("C:\\J\\") + name, name, "Plotter.pc3", layoutName);
    };
    EXPECT_EQ(model("C:\\Jobs\\PLAN.DWG", "PLAN.DWG"), "C:\\Jobs\\PLAN.plt");
    EXPECT_EQ(model("C:\\x.dwg.old\\Site.Dwg", "Site.Dwg"), "C:\\x.dwg.old\\Site.plt");
    EXPECT_EQ(model("C:\\Jobs\\odd", "odd"), "C:\\Jobs\\odd.plt");
    EXPECT_EQ(layout("PLAN.DWG", "Sheet 1"), "C:\\J\\PLAN-Sheet 1.plt");
    EXPECT_EQ(layout("plan.dwg", "A/B: \"C\"?"), "C:\\J\\plan-A_B_ _C__.plt");
    EXPECT_NE(layout("plan.dwg", "Ground"), layout("plan.dwg", "First"));
}

TEST(PlotRules, PlotFilesTakeTheDevicesExtensionUnlessTheJobNamesOne) {
    EXPECT_EQ(deviceExtension("DWG To PDF.pc3"), ".pdf");
    EXPECT_EQ(deviceExtension("AutoCAD pdf (High Quality Print).pc3"), ".pdf");
    EXPECT_EQ(deviceExtension("DWF6 ePlot.pc3"), ".dwf");
    EXPECT_EQ(deviceExtension("DWFx ePlot (XPS Compatible).pc3"), ".dwfx");
    EXPECT_EQ(deviceExtension("PublishToWeb PNG.pc3"), ".png");
    EXPECT_EQ(deviceExtension("PublishToWeb JPG.pc3"), ".jpg");
    EXPECT_EQ(deviceExtension("HP DesignJet.pc3"), ".plt");
    PlotFileOptions options;
    options.extension = normalExtension("tif");
    EXPECT_EQ(plotFilePath(options, "C:\\J\\A.dwg", "A.dwg", "DWG To PDF.pc3", ""), "C:\\J\\A.tif");
    EXPECT_EQ(normalExtension(".pdf"), ".pdf");
    EXPECT_EQ(normalExtension("p/f"), "");
    EXPECT_EQ(normalExtension("."), "");
}

TEST(PlotRules, ANamePatternMakesOneFileNameOfAnyLayoutNameInTheChosenFolder) {
    PlotFileOptions options{"D:\\Out\\", "{folder} {drawing} {layout} {date} {other}", "", "2026-12-09", {}, {}, PlotOutput::File};
    auto path = [&](const char* layout) {
        return plotFilePath(options, "C:\\Jobs\\Tower\\A1.x.dwg", "A1.x.dwg", "DWG To PDF.pc3", layout);
    };
    EXPECT_EQ(path("Sheet 1"), "D:\\Out\\Tower A1.x Sheet 1 2026-12-09 {other}.pdf");
    EXPECT_EQ(path("A/B: \"C\"?*<>|\t"), "D:\\Out\\Tower A1.x A_B_ _C_______ 2026-12-09 {other}.pdf");
    EXPECT_EQ(path(""), "D:\\Out\\Tower A1.x Model 2026-12-09 {other}.pdf");
    // A name Windows would shorten (a trailing dot or space) or an empty one never reaches the application.
    options.pattern = "{layout}";
    EXPECT_EQ(path("Plan."), "D:\\Out\\Plan_.pdf");
    EXPECT_EQ(path("Plan "), "D:\\Out\\Plan_.pdf");
    options.pattern = "{date}";
    options.runDate.clear();
    EXPECT_EQ(path("Sheet"), "D:\\Out\\A1.x.pdf");
}

TEST(PlotRules, NamesWindowsWouldNotKeepAreMadeOnesItKeeps) {
    PlotFileOptions options{"D:\\Out\\", "{layout}", "", "", {}, {}, PlotOutput::File};
    auto path = [&](const std::string& layout) {
        return plotFilePath(options, "C:\\J\\A.dwg", "A.dwg", "DWG To PDF.pc3", layout);
    };
    // Device names, in any case and with any extension, open the device and write no file.
    EXPECT_EQ(path("CON"), "D:\\Out\\CON_.pdf");
    EXPECT_EQ(path("nul"), "D:\\Out\\nul_.pdf");
    EXPECT_EQ(path("Aux.1"), "D:\\Out\\Aux_.1.pdf");
    EXPECT_EQ(path("COM1"), "D:\\Out\\COM1_.pdf");
    EXPECT_EQ(path("lpt9"), "D:\\Out\\lpt9_.pdf");
    EXPECT_EQ(path("COM10"), "D:\\Out\\COM10.pdf");
    EXPECT_EQ(path("Console"), "D:\\Out\\Console.pdf");
    options.pattern.clear();
    EXPECT_EQ(path("CON"), "D:\\Out\\A-CON.pdf");

    // Too long for the application with its temporary name: cut, and told apart by a hash of the whole name.
    options.pattern = "{layout}";
    const std::string longA = std::string(300, 'x') + "A";
    const std::string longB = std::string(300, 'x') + "B";
    const std::string a = path(longA);
    EXPECT_EQ(a.size() + PlotNameReserve, LongestPlotPath);
    EXPECT_NE(a, path(longB));
    EXPECT_EQ(a, path(longA)) << "the same sheet is named alike in every run";
    const std::string cyrillic = path(std::string(150, ' ') + std::string(200, 'x') + "\xD0\xA4");
    EXPECT_LE(cyrillic.size() + PlotNameReserve, LongestPlotPath);
    EXPECT_EQ(path("Sheet 1"), "D:\\Out\\Sheet 1.pdf");
}

TEST(PlotRules, ProgressDividesFirstAndTruncates) {
    EXPECT_EQ(progressValue(1, 3), 33);
    EXPECT_EQ(progressValue(2, 3), 66);
    EXPECT_EQ(progressValue(3, 3), 100);
    EXPECT_EQ(progressValue(7, 700), 1);
    // 29/100 is 0.28999..., so a multiply-first computation would give 29 and this one gives 28.
    EXPECT_EQ(progressValue(29, 100), 28);
    EXPECT_EQ(progressValue(32767, 32767), 100);
    EXPECT_EQ(progressValue(1, 0), 0);
}

}  // namespace
}  // namespace quillon::plotting
