#include <algorithm>
#include <thread>

#include "StandinTestSupport.h"

namespace quillon::standin::testing {
namespace {

json plotScenario(const json& extra = json::object()) {
    json s = {
        {"devices",
         {{{"name", "Plotter.pc3"}, {"media", {"ISO_A1", "ISO_A3"}}},
          {{"name", "Office Laser"}, {"media", {"A4"}}, {"plotToFile", false}},
          {{"name", "Offline.pc3"}, {"media", {"A4"}}, {"available", false}}}},
        {"plotStyleTables", {"mono.ctb"}},
        {"plotFolder", "plots"},
        // Plots come out before the call returns unless a test asks for background plotting.
        {"backgroundPlot", 0},
        {"drawings",
         {{{"file", "A.dwg"},
           {"model", {{"device", "Plotter.pc3"}}},
           {"layouts", {{{"name", "Sheet1"}, {"device", "Plotter.pc3"}, {"media", "ISO_A3"}}}}}}},
    };
    s.update(extra);
    return s;
}

class StandinPlots : public StandinTest {
protected:
    ObjectPtr doc;
    void SetUp() override {
        dir.folder("plots");
        start(plotScenario());
        doc = open(dir.file("jobs/A.dwg"));
    }
    ObjectPtr plot() { return doc->object("Plot"); }
};

TEST_F(StandinPlots, OnlyTheActiveDrawingPlotsABackgroundPlotIsLostWithItsDocumentAndQuitWouldAsk) {
    auto other = open(dir.file("jobs/B.dwg"));
    EXPECT_NE(failureOf([&] { plot()->call("PlotToDevice"); }).description().find("not the active drawing"),
              std::string::npos);
    doc->call("Activate");
    doc->call("SetVariable", {Value("BACKGROUNDPLOT"), Value(std::int16_t{1})});
    EXPECT_TRUE(plot()->call("PlotToFile", {Value("A.plt")}).toBool());
    EXPECT_TRUE(plots().empty()) << "still plotting";
    doc->call("Close", {Value(false)});
    ASSERT_EQ(plots().size(), 1u);
    EXPECT_TRUE(plots()[0].background);
    EXPECT_TRUE(plots()[0].lost);
    EXPECT_FALSE(fs::exists(dir.at("plots/A.plt")));

    other->object("ActiveLayout")->put("ConfigName", Value("Office Laser"));
    // Nobody answers whether to save B: the call is released only by the end of the process.
    std::atomic<bool> returned{false};
    std::thread quitting([&] {
        failureOf([&] { app->call("Quit"); });
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned.load()) << "still asking";
    engine->kill();
    quitting.join();
    const auto journal = engine->journal();
    const auto quit = std::find_if(journal.begin(), journal.end(),
                                   [](const JournalEntry& e) { return e.type == JournalEntryType::Quit; });
    ASSERT_NE(quit, journal.end());
    EXPECT_TRUE(quit->quit.wouldPrompt);
    EXPECT_EQ(quit->quit.modified, std::vector<std::string>{dir.at("jobs/B.dwg")});
}

TEST(StandinQuit, DuringACommandQuitCannotBeServiced) {
    TempFolder dir;
    auto engine = Engine::fromJson(json{{"inCommand", true}}.dump(), dir.path());
    EXPECT_EQ(failureOf([&] { engine->application()->call("Quit"); }).description(),
              "Stand-in CAD unable to service automation request");
    EXPECT_FALSE(engine->quitRequested());
}

TEST_F(StandinPlots, ABareFileNameIsWrittenIntoThePlotFolderWithThePlotsFacts) {
    auto model = doc->object("ActiveLayout");
    model->put("PlotType", Value(std::int16_t{1}));
    model->put("PlotRotation", Value(std::int16_t{1}));
    model->put("CenterPlot", true);
    model->put("StyleSheet", Value("mono.ctb"));
    plot()->put("NumberOfCopies", Value(std::int16_t{3}));
    plot()->put("QuietErrorMode", true);

    EXPECT_TRUE(plot()->call("PlotToFile", {Value("A.plt"), Value("Plotter.pc3")}).toBool());

    const std::string written = dir.at("plots/A.plt");
    const std::string text = readText(written);
    EXPECT_NE(text.find("layout: Model"), std::string::npos);
    EXPECT_NE(text.find("device: Plotter.pc3"), std::string::npos);
    EXPECT_NE(text.find("copies: 3"), std::string::npos);
    ASSERT_EQ(plots().size(), 1u);
    const PlotRecord p = plots()[0];
    EXPECT_EQ(p.drawing, dir.at("jobs/A.dwg"));
    EXPECT_EQ(p.layout, "Model");
    EXPECT_EQ(p.media, "ISO_A1");
    EXPECT_EQ(p.styleSheet, "mono.ctb");
    EXPECT_EQ(p.copies, 3);
    EXPECT_EQ(p.rotation, 1);
    EXPECT_EQ(p.plotType, 1);
    EXPECT_TRUE(p.centerPlot);
    EXPECT_TRUE(p.quietErrorMode);
    EXPECT_EQ(p.plotFile, written);
    EXPECT_FALSE(p.toDevice);
    EXPECT_TRUE(p.succeeded);
    EXPECT_EQ(p.backgroundPlot, 0);
}

TEST_F(StandinPlots, ThePlotIsOfTheActiveLayout) {
    doc->put("ActiveLayout", Value(doc->object("Layouts")->call("Item", {Value("Sheet1")}).toObject()));
    const std::string target = dir.at("jobs/A.Plt");
    EXPECT_TRUE(plot()->call("PlotToFile", {Value(target)}).toBool());
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(plots().at(0).layout, "Sheet1");
    EXPECT_EQ(plots().at(0).media, "ISO_A3");
}

TEST_F(StandinPlots, ADeviceThatCannotPlotToFileReturnsFalseAndWritesNothing) {
    EXPECT_FALSE(plot()->call("PlotToFile", {Value("A.plt"), Value("Office Laser")}).toBool());
    EXPECT_FALSE(fs::exists(dir.at("plots/A.plt")));
    EXPECT_FALSE(plot()->call("PlotToFile", {Value(dir.at("missing-folder/A.plt"))}).toBool());
    ASSERT_EQ(plots().size(), 2u);
    EXPECT_FALSE(plots()[0].succeeded);
    EXPECT_EQ(plots()[0].media, "A4");
}

TEST_F(StandinPlots, PlottingToTheDeviceOnlyJournalsAndAConfigurationNotFoundGivesWayToTheLayouts) {
    EXPECT_TRUE(plot()->call("PlotToDevice").toBool());
    EXPECT_FALSE(plot()->call("PlotToDevice", {Value("Offline.pc3")}).toBool());
    EXPECT_FALSE(plot()->call("PlotToDevice", {Value("None")}).toBool());
    EXPECT_TRUE(plot()->call("PlotToDevice", {Value("Unknown.pc3")}).toBool());
    EXPECT_TRUE(plot()->call("PlotToFile", {Value("A.plt"), Value("Unknown.pc3")}).toBool());
    ASSERT_EQ(plots().size(), 5u);
    EXPECT_TRUE(plots()[0].toDevice);
    EXPECT_FALSE(plots()[0].plotFile.has_value());
    EXPECT_EQ(plots()[0].device, "Plotter.pc3");
    EXPECT_EQ(plots()[3].device, "Plotter.pc3");
    EXPECT_EQ(plots()[4].device, "Plotter.pc3");
}

TEST(StandinPlotDevices, AFilePortWritesAFileNobodyNamedAndARasterDriverForcesItsExtension) {
    TempFolder dir;
    auto engine = Engine::fromJson(json{{"devices",
                                         {{{"name", "Port.pc3"}, {"filePort", true}},
                                          {{"name", "Raster.pc3"}, {"forcedExtension", ".png"}}}},
                                        {"defaultDevice", "Port.pc3"},
                                        {"backgroundPlot", 0}}
                                       .dump(),
                                   dir.path());
    auto doc = engine->application()->object("Documents")->call("Open", {Value(dir.file("d/A.dwg"))}).toObject();
    auto plot = doc->object("Plot");
    auto output = engine->application()->object("Preferences")->object("Output");
    EXPECT_EQ(output->get("DefaultPlotToFilePath").toText(), dir.path());
    output->put("DefaultPlotToFilePath", Value(dir.folder("unnamed")));
    EXPECT_TRUE(plot->call("PlotToDevice").toBool());
    EXPECT_TRUE(fs::exists(dir.at("unnamed/A-Model.plt")));
    EXPECT_TRUE(plot->call("PlotToFile", {Value("A.~1f.plt"), Value("Raster.pc3")}).toBool());
    EXPECT_TRUE(plot->call("PlotToFile", {Value("B"), Value("Raster.pc3")}).toBool());
    EXPECT_TRUE(fs::exists(dir.at("d/A.~1f.png")));
    EXPECT_TRUE(fs::exists(dir.at("d/B.png")));
    EXPECT_FALSE(fs::exists(dir.at("d/A.~1f.plt")));
}

TEST_F(StandinPlots, CopiesMustBePositive) {
    failureOf([&] { plot()->put("NumberOfCopies", Value(std::int16_t{0})); });
    EXPECT_EQ(plot()->get("NumberOfCopies").toInt(), 1);
}

TEST(StandinPlotFolder, WithoutAPlotFolderBareNamesGoBesideTheDrawing) {
    TempFolder dir;
    auto engine = Engine::fromJson(json{{"devices", {{{"name", "P.pc3"}}}}, {"defaultDevice", "P.pc3"}, {"backgroundPlot", 0}}.dump(), dir.path());
    auto doc = engine->application()->object("Documents")->call("Open", {Value(dir.file("d/A.dwg"))}).toObject();
    EXPECT_TRUE(doc->object("Plot")->call("PlotToFile", {Value("A.plt")}).toBool());
    EXPECT_TRUE(fs::exists(dir.at("d/A.plt")));
}

TEST(StandinPlotFolder, ANameWithoutExtensionGetsTheDevicesAndRefuseModeWillNotWriteOverAFile) {
    TempFolder dir;
    auto engine = Engine::fromJson(json{{"devices", {{{"name", "PDF.pc3"}, {"fileExtension", ".pdf"}}}},
                                        {"defaultDevice", "PDF.pc3"},
                                        {"existingPlotFiles", "refuse"},
                                        {"backgroundPlot", 0}}
                                       .dump(),
                                   dir.path());
    auto doc = engine->application()->object("Documents")->call("Open", {Value(dir.file("d/A.dwg"))}).toObject();
    auto plot = doc->object("Plot");
    EXPECT_TRUE(plot->call("PlotToFile", {Value("A")}).toBool());
    EXPECT_TRUE(fs::exists(dir.at("d/A.pdf")));
    EXPECT_TRUE(plot->call("PlotToFile", {Value("A.plt")}).toBool()) << "an extension given is kept";
    EXPECT_THROW(plot->call("PlotToFile", {Value("A")}), automation::AutomationError);
}

}  // namespace
}  // namespace quillon::standin::testing
