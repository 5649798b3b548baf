#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "MemorySettingsStore.h"
#include "app/MainSettings.h"
#include "app/ScreenGeometry.h"
#include "app/SheetChoice.h"

namespace quillon::app {
namespace {

void put(MemorySettingsStore& store, std::string_view key, std::string_view value) {
    store.write("Quillon", "Settings", key, value);
}

std::optional<std::string> stored(const MemorySettingsStore& store, std::string_view key) {
    return store.read("Quillon", "Settings", key);
}

MainSettings someSettings() {
    MainSettings s;
    s.mainLeft = 2250;
    s.mainTop = 1234.5;
    s.mainWidth = 15000;
    s.mainHeight = 10500;
    s.mainMaximized = true;
    s.cadPaper = "ISO_A3_(420.00_x_297.00_MM)";
    s.cadPrinter = "Plotter.pc3";
    s.cadCTB = "monochrome.ctb";
    return s;
}

TEST(MainSettingsLoad, FirstRunGivesThePositionAndChoiceDefaults) {
    MemorySettingsStore store;
    auto s = loadMainSettings(store);
    EXPECT_EQ(s.mainLeft, 1000.0);
    EXPECT_EQ(s.mainTop, 1000.0);
    EXPECT_EQ(s.cadPaper, "0");
    EXPECT_EQ(s.cadPrinter, "0");
    EXPECT_EQ(s.cadCTB, "0");
}

TEST(MainSettingsLoad, ReadsStoredValuesUnderQuillonSettings) {
    MemorySettingsStore store;
    put(store, "MainLeft", "-15000");
    put(store, "MainTop", "1234.5");
    put(store, "CadPaper", "A4");
    put(store, "CadPrinter", "Select a Printer");
    put(store, "CadCTB", "acad.ctb");
    store.write("Other", "Settings", "MainLeft", "5");
    auto s = loadMainSettings(store);
    EXPECT_EQ(s.mainLeft, -15000.0);
    EXPECT_EQ(s.mainTop, 1234.5);
    EXPECT_EQ(s.cadPaper, "A4");
    EXPECT_EQ(s.cadPrinter, "Select a Printer");
    EXPECT_EQ(s.cadCTB, "acad.ctb");
}

TEST(MainSettingsLoad, PositionsParseAsPlainDecimalNumbers) {
    EXPECT_EQ(parseTwips(" 1000 "), 1000.0);
    EXPECT_EQ(parseTwips("+15"), 15.0);
    EXPECT_EQ(parseTwips("1.5e3"), 1500.0);
    EXPECT_EQ(parseTwips("10000000"), 10000000.0);
}

TEST(MainSettingsLoad, CorruptPositionsFallBackToTheDefaultEachOnItsOwn) {
    for (std::string bad :
         {"", "   ", "abc", "12abc", "1,5", "nan", "inf", "-inf", "1e300", "10000001", "-20000000", "0x10", "--5"}) {
        MemorySettingsStore store;
        put(store, "MainLeft", bad);
        put(store, "MainTop", "3000");
        auto s = loadMainSettings(store);
        EXPECT_EQ(s.mainLeft, 1000.0) << "\"" << bad << "\"";
        EXPECT_EQ(s.mainTop, 3000.0) << "\"" << bad << "\"";
    }
}

TEST(MainSettingsSave, WritesPositionAndChoicesAsText) {
    MemorySettingsStore store;
    saveMainSettings(store, someSettings(), false);
    EXPECT_EQ(stored(store, "MainLeft"), "2250");
    EXPECT_EQ(stored(store, "MainTop"), "1234.5");
    EXPECT_EQ(stored(store, "CadPaper"), "ISO_A3_(420.00_x_297.00_MM)");
    EXPECT_EQ(stored(store, "CadPrinter"), "Plotter.pc3");
    EXPECT_EQ(stored(store, "CadCTB"), "monochrome.ctb");
    EXPECT_EQ(stored(store, "MainWidth"), "15000");
    EXPECT_EQ(stored(store, "MainMaximized"), "1");
    EXPECT_EQ(store.writeCount(), 8u);

    auto back = loadMainSettings(store);
    EXPECT_EQ(back.mainLeft, 2250.0);
    EXPECT_EQ(back.mainTop, 1234.5);
    EXPECT_EQ(back.mainHeight, 10500.0);
    EXPECT_TRUE(back.mainMaximized);
}

TEST(MainSettingsSave, MinimizedWindowWritesNothingAndTheOldValuesStay) {
    MemorySettingsStore store;
    put(store, "MainLeft", "3000");
    auto before = store.writeCount();
    saveMainSettings(store, someSettings(), true);
    EXPECT_EQ(store.writeCount(), before);
    EXPECT_EQ(stored(store, "MainLeft"), "3000");
    EXPECT_FALSE(stored(store, "CadPrinter"));
}

TEST(MainSettingsSave, EmptyChoicesAreNotWrittenAndKeepTheirOldValue) {
    MemorySettingsStore store;
    put(store, "CadPaper", "A1");
    auto s = someSettings();
    s.cadPaper.clear();
    s.cadCTB.clear();
    saveMainSettings(store, s, false);
    EXPECT_EQ(stored(store, "CadPaper"), "A1");
    EXPECT_EQ(stored(store, "CadPrinter"), "Plotter.pc3");
    EXPECT_FALSE(stored(store, "CadCTB"));
}

TEST(MainSettingsSave, PositionsRoundTripAtSinglePrecision) {
    EXPECT_EQ(formatTwips(1000), "1000");
    EXPECT_EQ(formatTwips(1234.5), "1234.5");
    EXPECT_EQ(formatTwips(-0.0), "0");
    EXPECT_EQ(formatTwips(1440000), "1440000");
    // 168 dpi makes twips fractional: what is written reads back as the same single.
    for (double twips : {1440.0 / 168 * 100, -1440.0 / 168 * 7, 9999999.0}) {
        auto text = formatTwips(twips);
        auto back = parseTwips(text);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(static_cast<float>(*back), static_cast<float>(twips)) << text;
    }
}

TEST(MainSettingsLoad, SessionsAndCallTimeoutTakeOnlyWholeNumbersInRangeElseTheirDefaults) {
    MemorySettingsStore store;
    EXPECT_EQ(loadCadSessions(store), 1);
    EXPECT_EQ(loadCallTimeout(store), DefaultCallTimeout);
    for (const char* bad : {"0", "-2", "3.5", " 3", "three", "", "99999999999"}) {
        put(store, "CadSessions", bad);
        put(store, "CadCallTimeout", bad);
        EXPECT_EQ(loadCadSessions(store), 1) << bad;
        EXPECT_EQ(loadCallTimeout(store), DefaultCallTimeout) << bad;
    }
    put(store, "CadSessions", "9");
    EXPECT_EQ(loadCadSessions(store), 1);
    saveCadSessions(store, 4);
    EXPECT_EQ(stored(store, "CadSessions"), "4");
    EXPECT_EQ(loadCadSessions(store), 4);
    put(store, "CadCallTimeout", "86400");
    EXPECT_EQ(loadCallTimeout(store), std::chrono::seconds(86400));
    // An open's own limit: two minutes unless set, never more than a call may take.
    EXPECT_EQ(loadOpenTimeout(store, DefaultCallTimeout), std::chrono::seconds(120));
    EXPECT_EQ(loadOpenTimeout(store, std::chrono::seconds(60)), std::chrono::seconds(60));
    put(store, "CadOpenTimeout", "30");
    EXPECT_EQ(loadOpenTimeout(store, DefaultCallTimeout), std::chrono::seconds(30));
}

TEST(ScreenUnits, FifteenTwipsToThePixelAt96Dpi) {
    EXPECT_EQ(twipsToPixels(1500, 96), 100);
    EXPECT_EQ(twipsToPixels(1000, 96), 67);
    EXPECT_EQ(twipsToPixels(-1500, 96), -100);
    EXPECT_EQ(twipsToPixels(1500, 144), 150);
    EXPECT_EQ(pixelsToTwips(100, 96), 1500.0);
    EXPECT_EQ(pixelsToTwips(100, 144), 1000.0);
}

TEST(RestoredSize, AStoredSizeOpensOnlyWhenWholeAndWithinTheWorkAreaNeverBelowTheDesign) {
    const ScreenSize design{640, 456};
    const ScreenRect area{0, 0, 1280, 984};
    EXPECT_EQ(restoredSize(15000, 10500, 96, design, area), (ScreenSize{1000, 700}));
    EXPECT_EQ(restoredSize(15000, 10500, 144, design, area), design) << "1500 pixels: wider than the work area";
    EXPECT_EQ(restoredSize(6000, 10500, 96, design, area), (ScreenSize{640, 700}));
    EXPECT_EQ(restoredSize(std::nullopt, 10500, 96, design, area), design);
    EXPECT_EQ(restoredSize(15000, 15000, 96, design, area), design) << "taller than the work area";
    auto s = loadMainSettings([] {
        MemorySettingsStore store;
        put(store, "MainWidth", "wide");
        put(store, "MainHeight", "10500");
        return store;
    }());
    EXPECT_EQ(restoredSize(s.mainWidth, s.mainHeight, 96, design, area), design) << "a corrupt width";
}

class KeepOnScreen : public ::testing::Test {
protected:
    // A primary 1920x1040 work area and a second monitor to its left.
    std::vector<ScreenRect> areas{{0, 0, 1920, 1040}, {-1280, 0, 0, 984}};
    static ScreenRect window(int left, int top) { return {left, top, left + 640, top + 480}; }
};

TEST_F(KeepOnScreen, WindowOnAnyMonitorStaysPut) {
    EXPECT_EQ(keepOnScreen(window(67, 67), areas), window(67, 67));
    EXPECT_EQ(keepOnScreen(window(-1000, 100), areas), window(-1000, 100));
    // Straddling both monitors, or mostly off the right edge with the title still grabbable.
    EXPECT_EQ(keepOnScreen(window(-300, 10), areas), window(-300, 10));
    EXPECT_EQ(keepOnScreen(window(1800, 500), areas), window(1800, 500));
}

TEST_F(KeepOnScreen, WindowOffEveryMonitorMovesIntoTheNearest) {
    // The monitor it was on has gone: far to the right, then far below the left one.
    EXPECT_EQ(keepOnScreen(window(2500, 300), areas), window(1280, 300));
    EXPECT_EQ(keepOnScreen(window(-900, 3000), areas), window(-900, 504));
    // Title bar above the top edge, body still showing: unreachable, so moved down.
    EXPECT_EQ(keepOnScreen(window(100, -470), areas), window(100, 0));
    // Only a sliver of the title showing counts as lost.
    EXPECT_EQ(keepOnScreen(window(1900, 100), areas), window(1280, 100));
}

TEST_F(KeepOnScreen, OversizedWindowIsPinnedToTheTopLeftAndNoMonitorMeansNoMove) {
    std::vector<ScreenRect> small{{0, 0, 800, 600}};
    EXPECT_EQ(keepOnScreen({5000, 5000, 6000, 5800}, small), (ScreenRect{0, 0, 1000, 800}));
    EXPECT_EQ(keepOnScreen(window(9000, 9000), {}), window(9000, 9000));
}

TEST(SheetChoiceSettings, WhatTheSheetsDialogKeepsReadsBackAndOlderOrUnknownValuesReadAsTheDefaults) {
    MemorySettingsStore store;
    EXPECT_EQ(SheetChoice::load(store), SheetChoice{}) << "settings from before the choice existed";
    SheetChoice chosen{"A-*;e-*", "*old", false, plotting::SheetSettings::Template, "C:\\Office\\Office.dwt", "A1 Issue"};
    chosen.save(store);
    EXPECT_EQ(SheetChoice::load(store), chosen);
    put(store, "SheetSettings", "plotter");
    put(store, "SkipEmptyLayouts", "");
    const auto unknown = SheetChoice::load(store);
    EXPECT_EQ(unknown.settings, plotting::SheetSettings::Quillon);
    EXPECT_TRUE(unknown.skipEmptyLayouts);
}

}  // namespace
}  // namespace quillon::app
