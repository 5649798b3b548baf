#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "autocad/CadConnection.h"
#include "plotting/boxes/PlotChoices.h"
#include "plotting/boxes/PlotLists.h"
#include "standin/Engine.h"

namespace quillon::plotting {
namespace {

using automation::AutomationError;
using automation::ObjectPtr;
using nlohmann::json;
using Items = std::vector<std::string>;

// A drop-down box whose text changes run its handler, as the real boxes do.
class FakeBox : public ComboBox {
public:
    std::string text;
    Items items;
    std::function<void(const std::string&)> onChange;

    void clear() override { items.clear(); }
    void setText(const std::string& value) override {
        text = value;
        if (onChange) onChange(text);
    }
    void addItem(const std::string& item) override { items.push_back(item); }
    std::size_t itemCount() const override { return items.size(); }
    std::string itemText(std::size_t index) const override { return items.at(index); }
};

class StandinLauncher : public autocad::CadLauncher {
public:
    ObjectPtr app;
    ObjectPtr connectRunning() override {
        if (!app) throw AutomationError(automation::hresult::Unavailable, "Operation unavailable");
        return app;
    }
    ObjectPtr createInstance() override { return connectRunning(); }
};

class SilentUi : public autocad::ConnectionUi {
public:
    void setStatus(const std::string&) override {}
    void hideMainWindow() override {}
    void showMainWindow() override {}
};

// Forty media names for the default device: "A4" and "A0" among them, some
// without a capital A, and the last ten past the walk's reach.
Items fortyMedia() {
    Items media;
    for (int i = 0; i < 40; ++i) media.push_back("ISO_A" + std::to_string(i % 5) + "_sheet_" + std::to_string(i));
    media[2] = "A4";
    media[3] = "Letter_(8.50_x_11.00_Inches)";
    media[4] = "A2";
    media[5] = "A0";
    media[6] = "iso_a3_lower";
    media[29] = "ARCH_last_in_reach";
    media[30] = "ARCH_index_30";
    return media;
}

class PlotListsTest : public ::testing::Test {
protected:
    std::shared_ptr<standin::Engine> engine;
    StandinLauncher launcher;
    SilentUi ui;
    autocad::CadConnection connection{launcher, ui};
    FakeBox device, paper, style;
    PlotChoices choices{"Saved.pc3", "A1", "saved.ctb"};
    int paperRefills = 0;

    void start(json scenario) {
        engine = standin::Engine::fromJson(scenario.dump(), ".");
        launcher.app = engine->application();
    }
    void startWithForty(json extra = json::object()) {
        json scenario = {{"devices", {{{"name", "Office.pc3"}, {"media", fortyMedia()}}}},
                         {"plotStyleTables", {"mono.ctb", "grey.ctb"}},
                         {"defaultDevice", "Office.pc3"}};
        scenario.update(extra);
        start(scenario);
    }
    // Wires the boxes to the choices as the main window does.
    void wireBoxes() {
        device.onChange = [&](const std::string& text) {
            if (choices.deviceBoxEvent(text)) {
                ++paperRefills;
                fillPaperList(connection, paper);
            }
        };
        paper.onChange = [&](const std::string& text) { choices.paperBoxEvent(text); };
        style.onChange = [&](const std::string& text) { choices.styleBoxEvent(text); };
    }
    int callsOf(const std::string& member) const {
        int n = 0;
        for (const auto& e : engine->journal())
            if (e.type == standin::JournalEntryType::Access && e.access.member == member) ++n;
        return n;
    }
};

TEST_F(PlotListsTest, FillsAllThreeBoxesWithTheirPlaceholders) {
    startWithForty();
    fillPlotLists(connection, device, paper, style);
    EXPECT_EQ(device.text, "Select a Printer");
    EXPECT_EQ(device.items, (Items{"None", "Office.pc3"}));
    EXPECT_EQ(style.text, "Select Plot Style Table");
    EXPECT_EQ(style.items, (Items{"mono.ctb", "grey.ctb"}));
    EXPECT_EQ(paper.text, "Select a Paper");
}

TEST_F(PlotListsTest, PaperListOffersStandardSizesThenTheFirstThirtyNamesWithACapitalA) {
    startWithForty();
    fillPlotLists(connection, device, paper, style);
    Items expected = {"A0", "A1", "A3", "A4", "ISO_A0_sheet_0", "ISO_A1_sheet_1", "A2"};
    const auto media = fortyMedia();
    for (int i = 7; i < 30; ++i) expected.push_back(media[static_cast<std::size_t>(i)]);
    EXPECT_EQ(paper.items, expected);
    EXPECT_EQ(exclusionText(paper), "A0  , A1  , A3  , A4");
}

TEST_F(PlotListsTest, PaperRefillPutsA4BeforeA3) {
    startWithForty();
    fillPaperList(connection, paper);
    ASSERT_GE(paper.items.size(), 4u);
    EXPECT_EQ(Items(paper.items.begin(), paper.items.begin() + 4), (Items{"A0", "A1", "A4", "A3"}));
    EXPECT_EQ(paper.items.size(), 4u + 3u + 23u);
}

TEST_F(PlotListsTest, WithNoDrawingOpenOneNewDrawingIsAddedAndKept) {
    startWithForty();
    ASSERT_TRUE(connection.ensureConnected());
    auto documents = connection.app().documents();
    for (auto& d : documents.items()) d.close();
    fillPlotLists(connection, device, paper, style);
    EXPECT_EQ(documents.count(), 1);
    auto added = connection.app().activeDocument();
    EXPECT_TRUE(connection.openedByQuillon(added));
    fillPlotLists(connection, device, paper, style);
    EXPECT_EQ(callsOf("Add"), 2);  // one by the connection, one by the first fill
}

TEST_F(PlotListsTest, AFillResetsTheChoicesWithoutRefillingThePaperList) {
    startWithForty();
    wireBoxes();
    fillPlotLists(connection, device, paper, style);
    EXPECT_EQ(choices.device(), "Select a Printer");
    EXPECT_EQ(choices.paper(), "Select a Paper");
    EXPECT_EQ(choices.plotStyleTable(), "Select Plot Style Table");
    EXPECT_EQ(paperRefills, 0);
}

TEST_F(PlotListsTest, PickingADeviceRefillsThePaperAndResetsOnlyThePaperChoice) {
    startWithForty();
    wireBoxes();
    fillPlotLists(connection, device, paper, style);
    paper.setText("A3");
    style.setText("mono.ctb");
    device.setText("Office.pc3");
    EXPECT_EQ(paperRefills, 1);
    EXPECT_EQ(choices.device(), "Office.pc3");
    EXPECT_EQ(choices.paper(), "Select a Paper");
    EXPECT_EQ(choices.plotStyleTable(), "mono.ctb");
    EXPECT_EQ(paper.items[2], "A4");
}

TEST_F(PlotListsTest, APickedDevicesPapersAreReadThroughABlankDrawingClosedUnsavedLeavingTheOthersAlone) {
    startWithForty({{"devices",
                     {{{"name", "Office.pc3"}, {"media", fortyMedia()}},
                      {{"name", "Zeta.pc3"}, {"media", {"Zeta_A2_Sheet", "Zeta_A1_Sheet"}}}}}});
    fillPlotLists(connection, device, paper, style);
    const auto before = connection.app().documents().count();
    fillPaperList(connection, paper, "Zeta.pc3");
    EXPECT_EQ(paper.items, (Items{"A0", "A1", "A4", "A3", "Zeta_A2_Sheet", "Zeta_A1_Sheet"}));
    EXPECT_EQ(connection.app().documents().count(), before);
    auto kept = connection.app().activeDocument();
    EXPECT_EQ(kept.modelSpace().layout().raw()->get("ConfigName").toText(), "Office.pc3");
    EXPECT_TRUE(connection.openedByQuillon(kept));
    EXPECT_EQ(callsOf("Close"), 1);
}

TEST(PlotChoicesTest, OnlyTheExactLowerCasePlaceholderKeepsThePaperList) {
    PlotChoices choices;
    EXPECT_FALSE(choices.deviceBoxEvent("Select a Printer"));
    EXPECT_FALSE(choices.deviceBoxEvent(">> Select a Printer <<"));
    EXPECT_TRUE(choices.deviceBoxEvent("Select A Printer"));
    EXPECT_TRUE(choices.deviceBoxEvent(""));
    EXPECT_TRUE(choices.deviceBoxEvent("No such device"));
    EXPECT_EQ(choices.device(), "No such device");
}

TEST_F(PlotListsTest, ADeviceListOfOnlyNoneIsFilledAsItIs) {
    start(json::object());
    fillPlotLists(connection, device, paper, style);
    EXPECT_EQ(device.items, (Items{"None"}));
    EXPECT_TRUE(style.items.empty());
}

TEST_F(PlotListsTest, AFailureStopsTheFillWhereItIsAndTheNextFillWorks) {
    startWithForty({{"faults",
                     {{"throws",
                       {{{"object", "Layout"},
                         {"member", "GetCanonicalMediaNames"},
                         {"description", "Device gone"},
                         {"count", 1}}}}}}});
    paper.items = {"kept"};
    try {
        fillPlotLists(connection, device, paper, style);
        FAIL() << "the fill succeeded";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.description(), "Device gone");
    }
    EXPECT_EQ(device.items.size(), 2u);
    EXPECT_EQ(paper.items, (Items{"kept"}));
    EXPECT_TRUE(style.items.empty());
    fillPlotLists(connection, device, paper, style);
    EXPECT_EQ(style.items.size(), 2u);
}

TEST_F(PlotListsTest, NoApplicationToReachIsReportedAndTheBoxesAreUntouched) {
    device.text = "Select A Printer";
    EXPECT_THROW(fillPlotLists(connection, device, paper, style), AutomationError);
    EXPECT_EQ(device.text, "Select A Printer");
    EXPECT_TRUE(device.items.empty());
}

}  // namespace
}  // namespace quillon::plotting
