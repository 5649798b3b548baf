#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "GuiDriver.h"
#include "ProgramUnderTest.h"
#include "StandinScenario.h"
#include "TestSupport.h"
#include "app/win/ControlIds.h"
#include "standin/server/Registration.h"
#include "win/RegistryKey.h"
#include "win/Utf.h"

// Keys the program reacts to outside the list: Enter on "Include Sub
// Directories" searches again and shows the rows sorted, every key going
// down in the device box rebuilds the paper list, and the copies box takes
// digits only.
namespace quillon::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

bool putOnClipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool placed = false;
    if (memory) {
        memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!placed) GlobalFree(memory);
    }
    CloseClipboard();
    return placed;
}

class KeyboardEndToEnd : public ::testing::Test {
protected:
    static void TearDownTestSuite() { standin_server::registerServer(wintest::standinExePath()); }

    wintest::TempFolder folder;
    fs::path journal;

    void SetUp() override {
        win::RegistryKey::deleteTree(HKEY_CURRENT_USER, L"Software\\Quillon");
        auto scenario = wintest::baseScenario();
        scenario["journal"] = "journal.jsonl";
        journal = folder.path() / L"journal.jsonl";
        auto file = folder.write(L"scenario.json", scenario.dump());
        standin_server::registerServer(wintest::standinExePath(), file.wstring());
    }
    void TearDown() override {
        wintest::waitFor([] { return wintest::countProcesses(L"quillon-standin.exe") == 0; }, 15s);
    }

    void drawing(const std::wstring& relative) const { folder.write(L"drawings\\" + relative, "AC1015"); }

    std::vector<std::wstring> fileNames(const GuiDriver& gui) const {
        std::vector<std::wstring> names;
        for (const auto& row : gui.listRows(1)) names.push_back(row.at(0));
        return names;
    }

    int paperListReads() const {
        const auto lines = wintest::readJsonLines(journal);
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const nlohmann::json& line) {
            return line.value("member", "") == "GetCanonicalMediaNames";
        }));
    }
};

TEST_F(KeyboardEndToEnd, KeysOfTheSubfolderBoxTheDeviceBoxAndTheCopiesBox) {
    // The folder's own rows come before its sub-folder's, so only a sort puts "a" first.
    drawing(L"m.dwg");
    drawing(L"z.dwg");
    drawing(L"Sub\\a.dwg");

    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);

    gui.selectFolder((folder.path() / L"drawings").wstring());
    ASSERT_TRUE(gui.waitForSearchEnd());
    gui.setChecked(ids::SubfoldersBox, true);
    ASSERT_TRUE(gui.waitForSearchEnd());
    ASSERT_EQ(fileNames(gui), (std::vector<std::wstring>{L"m.dwg", L"z.dwg", L"a.dwg"}));

    gui.pressKey(ids::SubfoldersBox, VK_RETURN);
    auto status = gui.waitForSearchEnd();
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, L"3  Files Found  ");
    EXPECT_EQ(fileNames(gui), (std::vector<std::wstring>{L"a.dwg", L"m.dwg", L"z.dwg"}))
        << "after Enter the rows show sorted by file name";
    EXPECT_TRUE(gui.isChecked(ids::SubfoldersBox)) << "Enter does not toggle the box";

    gui.pressKey(ids::SubfoldersBox, 'A');
    EXPECT_EQ(status, gui.text(ids::Status)) << "no other key searches";
    EXPECT_EQ(gui.listCount(), 3);

    // Once a device is chosen, each key going down in its box reads the device's papers again.
    const int beforeChoice = paperListReads();
    ASSERT_TRUE(gui.chooseComboItem(ids::DeviceBox, win::toWide(wintest::kDevice)));
    // Choosing the device reads its papers once, in the background.
    EXPECT_TRUE(wintest::waitFor([&] { return paperListReads() == beforeChoice + 1; }, 10s));
    int before = paperListReads();
    gui.pressKey(ids::DeviceBox, VK_END);
    gui.pressKey(ids::DeviceBox, VK_HOME);
    EXPECT_TRUE(wintest::waitFor([&] { return paperListReads() == before + 2; }, 10s))
        << "paper list reads: " << before << " then " << paperListReads();
    EXPECT_GE(gui.comboItems(ids::PaperBox).size(), 2u) << "the paper list is filled again, not emptied";

    // The copies box takes digits and Backspace only.
    SendMessageW(gui.control(ids::CopiesBox), EM_SETSEL, 0, -1);
    gui.typeCharacters(ids::CopiesBox, L"2x5-\b7 ");
    EXPECT_EQ(gui.text(ids::CopiesBox), L"27");
    // Ctrl+V arrives as a character as well: pasting what is no number is refused with it.
    if (putOnClipboard(L"x9")) {
        gui.typeCharacters(ids::CopiesBox, L"\x16");
        EXPECT_EQ(gui.text(ids::CopiesBox), L"27");
    }

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.waitForExit());
}

}  // namespace
}  // namespace quillon::e2e
