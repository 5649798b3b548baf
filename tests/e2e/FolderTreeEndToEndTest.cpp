#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <filesystem>

#include "ProgramUnderTest.h"
#include "StandinScenario.h"
#include "TestSupport.h"
#include "app/win/ControlIds.h"
#include "standin/server/Registration.h"

// The folder tree inside the real program: choosing a folder there lists its drawings.
namespace quillon::e2e {
namespace {

using namespace std::chrono_literals;

class FolderTreeInProgram : public ::testing::Test {
protected:
    static void TearDownTestSuite() { standin_server::registerServer(wintest::standinExePath()); }

    // Sorts first under C:\ in the tree, so it is the drive's first child.
    const std::filesystem::path folder{L"C:\\0 Quillon tree test \u00e9"};
    wintest::TempFolder scratch;

    void SetUp() override {
        std::filesystem::create_directories(folder);
        for (const wchar_t* name : {L"Plan \u5e73\u9762.dwg", L"Section.DWG", L"plan.dwgbak"})
            std::filesystem::copy_file(std::filesystem::path(wintest::standinExePath()), folder / name,
                                       std::filesystem::copy_options::overwrite_existing);
        auto scenario = wintest::baseScenario();
        auto file = scratch.write(L"scenario.json", scenario.dump());
        standin_server::registerServer(wintest::standinExePath(), file.wstring());
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        wintest::waitFor([] { return wintest::countProcesses(L"quillon-standin.exe") == 0; }, 15s);
    }
};

TEST_F(FolderTreeInProgram, ChoosingAFolderInTheTreeListsItsDrawings) {
    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    HWND tree = FindWindowExW(GetDlgItem(main, ids::FolderTreeBox), nullptr, L"SysTreeView32", nullptr);
    ASSERT_NE(tree, nullptr) << "no folder tree in the folder tree box";

    // The tree opens at C:\; expand it and choose its first folder.
    auto drive = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    ASSERT_NE(drive, nullptr);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(drive));
    auto first = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(drive)));
    ASSERT_NE(first, nullptr);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));

    HWND label = GetDlgItem(main, ids::FoundFilesLabel);
    ASSERT_TRUE(wintest::waitFor(
        [&] { return windowText(label).find(L"0 Quillon tree test") != std::wstring::npos; }, 20s))
        << "label reads: " << std::string(windowText(label).begin(), windowText(label).end());
    HWND list = GetDlgItem(main, ids::DrawingListBox);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2) << "the two drawings, not plan.dwgbak";

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.waitForExit());
}

}  // namespace
}  // namespace quillon::e2e
