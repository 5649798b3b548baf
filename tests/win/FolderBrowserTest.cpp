#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "discovery/win/FolderBrowser.h"
#include "win/Utf.h"

namespace quillon::discovery {
namespace {

using wintest::pumpUntil;
using Report = std::optional<std::wstring>;

// Tree items read straight from the control, as the user sees them.
std::wstring itemText(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

HTREEITEM nextItem(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM selectedItem(HWND tree) { return nextItem(tree, TVGN_CARET, nullptr); }

std::vector<HTREEITEM> children(HWND tree, HTREEITEM parent) {
    std::vector<HTREEITEM> items;
    for (HTREEITEM item = nextItem(tree, parent ? TVGN_CHILD : TVGN_ROOT, parent); item;
         item = nextItem(tree, TVGN_NEXT, item))
        items.push_back(item);
    return items;
}

std::vector<std::wstring> childTexts(HWND tree, HTREEITEM parent) {
    std::vector<std::wstring> texts;
    for (HTREEITEM item : children(tree, parent)) texts.push_back(itemText(tree, item));
    return texts;
}

HTREEITEM childNamed(HWND tree, HTREEITEM parent, const std::wstring& text) {
    for (HTREEITEM item : children(tree, parent))
        if (itemText(tree, item) == text) return item;
    return nullptr;
}

// "C:", "Z:", ... for every drive of the prefix.
std::vector<std::wstring> driveNames() {
    std::vector<std::wstring> names;
    wchar_t buffer[512] = {};
    GetLogicalDriveStringsW(512, buffer);
    for (const wchar_t* root = buffer; *root; root += wcslen(root) + 1) names.push_back(std::wstring(root, 2));
    return names;
}

std::string describe(const std::vector<Report>& reports) {
    std::string text;
    for (const auto& r : reports) text += " [" + (r ? win::toUtf8(*r) : std::string("none")) + "]";
    return text;
}

bool anyContains(const std::vector<std::wstring>& texts, const std::wstring& part) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const std::wstring& text) { return text.find(part) != std::wstring::npos; });
}

bool fillsClientArea(HWND child, HWND parent) {
    RECT inner{}, placed{};
    GetClientRect(parent, &inner);
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    return EqualRect(&inner, &placed);
}

BOOL CALLBACK countVisibleDialogs(HWND window, LPARAM data) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") == 0 && IsWindowVisible(window)) ++*reinterpret_cast<int*>(data);
    return TRUE;
}

class FolderBrowserTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (auto reason = wintest::noDisplayReason(); !reason.empty()) GTEST_SKIP() << reason;
        if (!host_.created()) GTEST_SKIP() << "no window can be created here";
        folders_ = std::make_unique<wintest::TempFolder>();
        for (const wchar_t* name : {L"Alpha", L"Beta", L"Gamma 9", L"Gamma 10"})
            std::filesystem::create_directory(folders_->path() / name);
        std::filesystem::create_directory(folders_->path() / L"Alpha" / L"Inner");
        // Canonical spelling, as the tree reports it: the temporary folder may be given in short form.
        wchar_t full[MAX_PATH] = {};
        GetLongPathNameW(folders_->path().c_str(), full, MAX_PATH);
        root_ = full;
    }

    FolderBrowser::Options options() const { return FolderBrowser::Options{GetParam()}; }
    HWND box() const { return host_.box(); }
    // Runs the browser with body as the program's loop; body's checks see the tree live.
    int runWith(FolderBrowser& browser, const std::function<void()>& body, int result = 0) {
        return browser.run(L"c:\\", [&] {
            body();
            return result;
        });
    }
    bool lastReportIs(const Report& expected) const { return !reports_.empty() && reports_.back() == expected; }
    FolderBrowser::SelectionHandler recorder() {
        return [this](Report path) { reports_.push_back(std::move(path)); };
    }

    wintest::HostWindow host_;
    std::unique_ptr<wintest::TempFolder> folders_;
    std::wstring root_;
    std::vector<Report> reports_;
};

TEST_P(FolderBrowserTest, OpensAtTheStartFolderInsideTheBox) {
    FolderBrowser browser(box(), recorder(), options());
    int visibleDialogs = -1;
    int result = runWith(
        browser,
        [&] {
            ASSERT_TRUE(pumpUntil([&] { return !reports_.empty(); }));
            EXPECT_EQ(browser.usesShellTree(), GetParam()) << "the shell's tree is taken whenever it is asked for";
            HWND tree = browser.treeWindow();
            ASSERT_NE(tree, nullptr);
            EXPECT_EQ(GetParent(tree), box());
            EXPECT_TRUE(IsWindowVisible(tree));
            EXPECT_TRUE(fillsClientArea(tree, box()));
            EXPECT_EQ(reports_, std::vector<Report>{L"C:\\"}) << "the start selection is reported once";
            visibleDialogs = 0;
            EnumThreadWindows(GetCurrentThreadId(), countVisibleDialogs, reinterpret_cast<LPARAM>(&visibleDialogs));
        },
        42);
    EXPECT_EQ(result, 42) << "run() returns what the program's loop returned";
    EXPECT_EQ(visibleDialogs, 0) << "the browse dialog stays out of sight";
    EXPECT_EQ(GetWindow(box(), GW_CHILD), nullptr) << "the tree has left the box at the end";
}

TEST_P(FolderBrowserTest, ListsTheDrives) {
    FolderBrowser browser(box(), recorder(), options());
    runWith(browser, [&] {
        ASSERT_TRUE(pumpUntil([&] { return !reports_.empty(); }));
        HWND tree = browser.treeWindow();
        // The drives are the selected C: drive's siblings, under the computer in the shell's tree.
        HTREEITEM drive = selectedItem(tree);
        ASSERT_NE(drive, nullptr);
        EXPECT_NE(itemText(tree, drive).find(L"C:"), std::wstring::npos) << "C: is selected at the start";
        auto drives = childTexts(tree, nextItem(tree, TVGN_PARENT, drive));
        for (const auto& name : driveNames()) EXPECT_TRUE(anyContains(drives, name)) << "missing drive " << name.c_str();
    });
}

TEST_P(FolderBrowserTest, ExpandingAFolderShowsItsSubfoldersAndSelectingOneReportsIt) {
    FolderBrowser browser(box(), recorder(), options());
    runWith(browser, [&] {
        ASSERT_TRUE(pumpUntil([&] { return !reports_.empty(); }));
        HWND tree = browser.treeWindow();

        browser.select(root_);
        ASSERT_TRUE(pumpUntil([&] { return lastReportIs(root_); })) << "selecting a folder reports it" << describe(reports_) << " sel=" << win::toUtf8(itemText(tree, selectedItem(tree)));
        HTREEITEM folder = selectedItem(tree);
        ASSERT_NE(folder, nullptr);
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(folder));
        ASSERT_TRUE(pumpUntil([&] { return children(tree, folder).size() >= 4; }));
        auto names = childTexts(tree, folder);
        // The shell orders its tree its own way; the own tree orders as Explorer does.
        if (browser.usesShellTree()) std::sort(names.begin(), names.end());
        auto expected = browser.usesShellTree()
                            ? std::vector<std::wstring>{L"Alpha", L"Beta", L"Gamma 10", L"Gamma 9"}
                            : std::vector<std::wstring>{L"Alpha", L"Beta", L"Gamma 9", L"Gamma 10"};
        EXPECT_EQ(names, expected);

        HTREEITEM beta = childNamed(tree, folder, L"Beta");
        ASSERT_NE(beta, nullptr);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(beta));
        EXPECT_TRUE(pumpUntil([&] { return lastReportIs(root_ + L"\\Beta"); }));

        HTREEITEM alpha = childNamed(tree, folder, L"Alpha");
        ASSERT_NE(alpha, nullptr);
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(alpha));
        EXPECT_TRUE(pumpUntil([&] { return childTexts(tree, alpha) == std::vector<std::wstring>{L"Inner"}; }));
        HTREEITEM gamma = childNamed(tree, folder, L"Gamma 9");
        ASSERT_NE(gamma, nullptr);
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(gamma));
        EXPECT_TRUE(pumpUntil([&] { return children(tree, gamma).empty(); })) << "an empty folder opens to nothing";
    });
}

// Only the shell's tree has items without a file-system path.
using ShellFolderBrowserTest = FolderBrowserTest;

TEST_P(ShellFolderBrowserTest, SelectingAnItemWithoutAFolderReportsNothing) {
    FolderBrowser browser(box(), recorder(), options());
    runWith(browser, [&] {
        ASSERT_TRUE(pumpUntil([&] { return !reports_.empty(); }));
        HWND tree = browser.treeWindow();
        // The computer above the drives is a virtual folder.
        HTREEITEM computer = nextItem(tree, TVGN_PARENT, selectedItem(tree));
        ASSERT_NE(computer, nullptr);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(computer));
        EXPECT_TRUE(pumpUntil([&] { return lastReportIs(std::nullopt); }));
    });
}

TEST_P(FolderBrowserTest, FollowsTheBoxWhenItIsResized) {
    FolderBrowser browser(box(), recorder(), options());
    runWith(browser, [&] {
        ASSERT_TRUE(pumpUntil([&] { return !reports_.empty(); }));
        SetWindowPos(box(), nullptr, 0, 0, 220, 150, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_TRUE(fillsClientArea(browser.treeWindow(), box()));
    });
}

TEST_P(FolderBrowserTest, ReportsNothingAfterClose) {
    FolderBrowser browser(box(), recorder(), options());
    HWND treeDuringRun = nullptr;
    runWith(browser, [&] {
        ASSERT_TRUE(pumpUntil([&] { return !reports_.empty(); }));
        treeDuringRun = browser.treeWindow();
        browser.close();
        EXPECT_EQ(GetWindow(box(), GW_CHILD), nullptr) << "close() takes the tree out of the box at once";
        browser.select(root_);
        wintest::pumpFor(std::chrono::milliseconds(200));
    });
    EXPECT_EQ(reports_.size(), 1u);
    EXPECT_FALSE(IsWindow(treeDuringRun)) << "the tree went with its dialog, or was destroyed";
}

TEST_P(FolderBrowserTest, SurvivesTheBoxBeingDestroyedFirst) {
    FolderBrowser browser(box(), recorder(), options());
    int result = runWith(
        browser,
        [&] {
            ASSERT_TRUE(pumpUntil([&] { return !reports_.empty(); }));
            host_.destroy();
            EXPECT_FALSE(browser.isOpen()) << "the box's end closes the browser";
            wintest::pumpFor(std::chrono::milliseconds(100));
        },
        7);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(reports_.size(), 1u);
}

TEST_P(FolderBrowserTest, AnErrorInTheProgramLoopComesOutAfterTearDown) {
    FolderBrowser browser(box(), recorder(), options());
    EXPECT_THROW(browser.run(L"c:\\", []() -> int { throw std::runtime_error("loop failed"); }), std::runtime_error);
    EXPECT_EQ(GetWindow(box(), GW_CHILD), nullptr);
    EXPECT_FALSE(browser.isOpen());
}

INSTANTIATE_TEST_SUITE_P(, ShellFolderBrowserTest, ::testing::Values(true),
                         [](const ::testing::TestParamInfo<bool>&) { return "ShellTree"; });
INSTANTIATE_TEST_SUITE_P(, FolderBrowserTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& tree) {
                             return tree.param ? "ShellTree" : "OwnTree";
                         });

}  // namespace
}  // namespace quillon::discovery
