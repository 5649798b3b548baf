#include "StandinTestSupport.h"

namespace quillon::standin::testing {
namespace {

namespace hr = automation::hresult;

// Two devices with different papers, one drawing with three paper layouts.
json layoutScenario() {
    return {
        {"devices",
         {{{"name", "Office.pc3"}, {"media", {"ISO_A4", "ISO_A3"}}},
          {{"name", "Wide.pc3"}, {"media", {"ISO_A0", "ISO_A1"}}}}},
        {"plotStyleTables", {"mono.ctb", "grey.ctb", "named.stb"}},
        {"defaultDevice", "Office.pc3"},
        {"drawings",
         {{{"file", "Plan.dwg"},
           {"layouts",
            {{{"name", "Ground"}, {"entities", 4}}, {{"name", "First"}, {"tabOrder", 3}}, {{"name", "Roof"}, {"tabOrder", 2}, {"entities", 0}}}},
           {"activeLayout", "First"},
           {"blocks", {{{"name", "Door"}}}},
           {"xrefs", {{{"name", "SITE"}, {"path", "C:\\Old\\site.dwg"}}}}},
          {{"file", "ModelFirst.dwg"}, {"layouts", {{{"name", "Sheet1"}}, {{"name", "Sheet2"}}}}},
          {{"file", "Named.dwg"}, {"plotStyles", "stb"}}}},
    };
}

class StandinLayouts : public StandinTest {
protected:
    ObjectPtr doc;
    void SetUp() override {
        start(layoutScenario());
        doc = open(dir.file("Plan.dwg"));
    }
    ObjectPtr layout(const char* name) { return doc->object("Layouts")->call("Item", {Value(name)}).toObject(); }
};

TEST_F(StandinLayouts, LayoutsComeAsListedWithModelFirstAndTellTheirTabsAndAFirstActivationsViewport) {
    auto layouts = doc->object("Layouts");
    EXPECT_EQ(namesOf(layouts->enumerate()), (std::vector<std::string>{"Model", "Ground", "First", "Roof"}));
    EXPECT_EQ(layout("roof")->get("TabOrder").toInt(), 2);
    EXPECT_EQ(layout("Ground")->get("TabOrder").toInt(), 1);
    EXPECT_TRUE(layout("Model")->get("ModelType").toBool());
    EXPECT_FALSE(layout("Roof")->get("ModelType").toBool());
    EXPECT_EQ(layout("Roof")->object("Block")->get("Count").toInt(), 0);
    doc->put("ActiveLayout", Value(layout("Roof")));
    EXPECT_EQ(layout("Roof")->object("Block")->get("Count").toInt(), 1) << "its viewport, made as it is first active";
    doc->put("ActiveLayout", Value(layout("First")));
    EXPECT_EQ(layouts->call("Item", {Value(std::int32_t{0})}).toObject()->get("Name").toText(), "Model");
    EXPECT_EQ(failureOf([&] { layout("Attic"); }).description(), "Key not found");
    EXPECT_EQ(doc->object("ActiveLayout")->get("Name").toText(), "First");
}

TEST_F(StandinLayouts, PaperSpaceFollowsTheLastActivePaperLayout) {
    EXPECT_EQ(doc->object("PaperSpace")->object("Layout")->get("Name").toText(), "First");
    doc->put("ActiveLayout", Value(layout("Model")));
    EXPECT_EQ(doc->object("PaperSpace")->object("Layout")->get("Name").toText(), "First");
    doc->put("ActiveLayout", Value(layout("Roof")));
    EXPECT_EQ(doc->object("PaperSpace")->object("Layout")->get("Name").toText(), "Roof");
    EXPECT_EQ(doc->object("ModelSpace")->object("Layout")->get("Name").toText(), "Model");
    EXPECT_EQ(doc->object("ModelSpace")->get("Name").toText(), "*Model_Space");
    EXPECT_EQ(doc->call("GetVariable", {Value("CTAB")}), Value("Roof"));
}

TEST_F(StandinLayouts, PaperSpaceStartsOnTheFirstPaperLayoutWhenModelIsActive) {
    auto modelFirst = open(dir.file("ModelFirst.dwg"));
    EXPECT_EQ(modelFirst->object("PaperSpace")->object("Layout")->get("Name").toText(), "Sheet1");
    auto modelOnly = open(dir.file("Plain.dwg"));
    EXPECT_EQ(modelOnly->object("PaperSpace")->get("Name").toText(), "*Paper_Space");
    EXPECT_EQ(modelOnly->object("PaperSpace")->get("Count").toInt(), 0);
    failureOf([&] { modelOnly->object("PaperSpace")->get("Layout"); });
}

TEST_F(StandinLayouts, BlocksListLayoutBlocksThenOrdinaryBlocksThenReferences) {
    EXPECT_EQ(namesOf(doc->object("Blocks")->enumerate()),
              (std::vector<std::string>{"*Model_Space", "*Paper_Space", "*Paper_Space0", "*Paper_Space1", "Door", "SITE"}));
    auto ground = doc->object("Blocks")->call("Item", {Value("*Paper_Space0")}).toObject();
    EXPECT_EQ(ground->object("Layout")->get("Name").toText(), "Ground");
    EXPECT_EQ(ground->get("Count").toInt(), 4);
    EXPECT_TRUE(ground->get("IsLayout").toBool());
    EXPECT_TRUE(doc->object("Blocks")->call("Item", {Value("site")}).toObject()->get("IsXRef").toBool());
    failureOf([&] { doc->object("Blocks")->call("Item", {Value("Door")}).toObject()->get("Layout"); });
}

TEST_F(StandinLayouts, MediaListsStayStaleUntilTheDeviceInfoIsRefreshed) {
    auto model = layout("Model");
    EXPECT_EQ(model->call("GetCanonicalMediaNames").toTextArray(), (std::vector<std::string>{"ISO_A4", "ISO_A3"}));
    model->put("ConfigName", Value("wide.PC3"));
    EXPECT_EQ(model->get("ConfigName").toText(), "Wide.pc3");
    EXPECT_EQ(model->get("CanonicalMediaName").toText(), "ISO_A0");
    EXPECT_EQ(model->call("GetCanonicalMediaNames").toTextArray(), (std::vector<std::string>{"ISO_A4", "ISO_A3"}));
    // A paper of the previous device is refused although the stale list offers it.
    EXPECT_EQ(failureOf([&] { model->put("CanonicalMediaName", Value("ISO_A3")); }).code(), hr::InvalidArg);
    model->call("RefreshPlotDeviceInfo");
    EXPECT_EQ(model->call("GetCanonicalMediaNames").toTextArray(), (std::vector<std::string>{"ISO_A0", "ISO_A1"}));
    model->put("CanonicalMediaName", Value("ISO_A1"));
    EXPECT_EQ(model->get("CanonicalMediaName").toText(), "ISO_A1");
}

TEST_F(StandinLayouts, DevicesAndStyleTablesComeFromTheScenario) {
    auto model = layout("Model");
    EXPECT_EQ(model->call("GetPlotDeviceNames").toTextArray(),
              (std::vector<std::string>{"None", "Office.pc3", "Wide.pc3"}));
    EXPECT_EQ(model->call("GetPlotStyleTableNames").toTextArray(),
              (std::vector<std::string>{"mono.ctb", "grey.ctb", "named.stb"}));
    failureOf([&] { model->put("ConfigName", Value("Missing.pc3")); });
    model->put("ConfigName", Value("None"));
    EXPECT_EQ(model->get("ConfigName").toText(), "None");
}

TEST_F(StandinLayouts, StyleSheetsMustExistAndSuitTheDrawing) {
    auto model = layout("Model");
    model->put("StyleSheet", Value("MONO.ctb"));
    EXPECT_EQ(model->get("StyleSheet").toText(), "mono.ctb");
    failureOf([&] { model->put("StyleSheet", Value("other.ctb")); });
    failureOf([&] { model->put("StyleSheet", Value("named.stb")); });
    model->put("StyleSheet", Value(""));

    auto named = open(dir.file("Named.dwg"))->object("ActiveLayout");
    EXPECT_EQ(named->get("StyleSheet").toText(), "named.stb");
    failureOf([&] { named->put("StyleSheet", Value("mono.ctb")); });
}

TEST_F(StandinLayouts, PlotSettingsAreRangeChecked) {
    auto model = layout("Model");
    auto paper = layout("Ground");
    EXPECT_EQ(model->get("PlotType").toInt(), 0);
    EXPECT_EQ(paper->get("PlotType").toInt(), 5);
    EXPECT_EQ(paper->get("StandardScale").toInt(), 16);
    model->put("PlotType", Value(std::int16_t{1}));
    model->put("StandardScale", Value(std::int16_t{0}));
    model->put("PlotRotation", Value(std::int16_t{1}));
    EXPECT_EQ(model->get("PlotRotation").toInt(), 1);
    failureOf([&] { model->put("PlotRotation", Value(std::int16_t{4})); });
    failureOf([&] { model->put("PlotType", Value(std::int16_t{6})); });
    failureOf([&] { model->put("PlotType", Value(std::int16_t{5})); });
    failureOf([&] { paper->put("PlotType", Value(std::int16_t{2})); });
    failureOf([&] { model->put("StandardScale", Value(std::int16_t{-1})); });
    failureOf([&] { model->put("StandardScale", Value("big")); });
}

TEST_F(StandinLayouts, ChangingThePageSetupMarksTheDrawingModified) {
    EXPECT_EQ(doc->call("GetVariable", {Value("DBMOD")}), Value(std::int16_t{0}));
    layout("Model")->put("CenterPlot", true);
    EXPECT_EQ(doc->call("GetVariable", {Value("DBMOD")}), Value(std::int16_t{1}));
}

TEST_F(StandinLayouts, ActiveLayoutTakesOnlyALayoutOfTheSameDrawing) {
    auto other = open(dir.file("Else.dwg"));
    auto foreign = other->object("ActiveLayout");
    EXPECT_EQ(failureOf([&] { doc->put("ActiveLayout", Value(foreign)); }).code(), hr::InvalidArg);
    failureOf([&] { doc->put("ActiveLayout", Value("Ground")); });
    EXPECT_EQ(doc->object("ActiveLayout")->get("Name").toText(), "First");
}

TEST_F(StandinLayouts, MembersAreCheckedLikeTypeLibraryDispatch) {
    auto model = layout("Model");
    auto unknown = failureOf([&] { model->call("ZoomExtents"); });
    EXPECT_EQ(unknown.code(), hr::UnknownName);
    EXPECT_EQ(failureOf([&] { model->get("GetPlotDeviceNames"); }).code(), hr::MemberNotFound);
    EXPECT_EQ(failureOf([&] { model->call("Name"); }).code(), hr::MemberNotFound);
    EXPECT_EQ(failureOf([&] { model->put("Name", Value("Other")); }).code(), hr::MemberNotFound);
    EXPECT_EQ(failureOf([&] { model->call("RefreshPlotDeviceInfo", {Value(true)}); }).code(), hr::BadParamCount);
    EXPECT_EQ(failureOf([&] { doc->call("Regen"); }).code(), hr::ParamNotOptional);
    EXPECT_EQ(failureOf([&] { doc->call("Regen", {Value(std::int16_t{2})}); }).code(), hr::InvalidArg);
    EXPECT_EQ(failureOf([&] { model->enumerate(); }).code(), hr::MemberNotFound);
    EXPECT_EQ(model->get("cONFIGnAME").toText(), "Office.pc3");
    auto standin = std::dynamic_pointer_cast<EngineObject>(model);
    ASSERT_TRUE(standin);
    EXPECT_TRUE(standin->hasMember("plotrotation"));
    EXPECT_FALSE(standin->hasMember("ZoomExtents"));
    EXPECT_TRUE(standin->isMethod("GetCanonicalMediaNames"));
    EXPECT_FALSE(standin->isMethod("StyleSheet"));
}

TEST_F(StandinLayouts, AskingTwiceGivesTheSameObject) {
    EXPECT_EQ(layout("Ground"), layout("ground"));
    EXPECT_EQ(doc->object("ActiveLayout"), layout("First"));
    EXPECT_EQ(app->object("Application"), app);
}

}  // namespace
}  // namespace quillon::standin::testing
