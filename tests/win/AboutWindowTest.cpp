#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "GuiTestSupport.h"
#include "dialogs/win/AboutWindow.h"
#include "win/RegistryKey.h"

namespace quillon::dialogs {
namespace {

using wintest::pumpUntil;
using wintest::windowText;

// The message box the window opens, seen from another thread while it is up:
// its title and text, then dismissed with OK.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(DWORD uiThread) : uiThread_(uiThread) {
        watcher_ = std::thread([this] { watch(); });
    }
    ~MessageBoxWatcher() {
        stop_ = true;
        watcher_.join();
    }
    std::wstring title;
    std::wstring text;
    std::atomic<bool> seen{false};

private:
    static BOOL CALLBACK findBox(HWND window, LPARAM data) {
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        if (lstrcmpW(className, L"#32770") == 0 && IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        }
        return TRUE;
    }
    void watch() {
        while (!stop_) {
            HWND box = nullptr;
            EnumThreadWindows(uiThread_, findBox, reinterpret_cast<LPARAM>(&box));
            if (box) {
                title = windowText(box);
                text = windowText(GetDlgItem(box, 0xFFFF));
                seen = true;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    }
    DWORD uiThread_;
    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

class AboutWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (auto reason = wintest::noDisplayReason(); !reason.empty()) GTEST_SKIP() << reason;
    }

    // Services that find what registry names and record what is started.
    SysInfoServices fakeServices(std::optional<std::string> registeredPath) {
        SysInfoServices services;
        services.sources.readMachineString = [registeredPath](std::string_view key,
                                                              std::string_view) -> std::optional<std::string> {
            if (key == sysinfo_registry::PrimaryKey) return registeredPath;
            return std::nullopt;
        };
        services.sources.fileExists = [](const std::string&) { return false; };
        services.start = [this](const std::string& program) {
            started_.push_back(program);
            return true;
        };
        return services;
    }

    void open(AboutWindow& about) {
        about.showOrActivate();
        if (!about.isOpen()) GTEST_SKIP() << "no window can be created here";
    }
    HWND item(const AboutWindow& about, int id) const { return GetDlgItem(about.hwnd(), id); }

    // Clicks System Info and returns the message box it showed, if any.
    std::optional<std::wstring> clickSysInfo(const AboutWindow& about, std::wstring* title = nullptr) {
        MessageBoxWatcher watcher(GetCurrentThreadId());
        SendMessageW(item(about, AboutWindow::SysInfoId), BM_CLICK, 0, 0);
        // A box that was going to come would have been shown inside the click.
        if (!watcher.seen) return std::nullopt;
        if (title) *title = watcher.title;
        return watcher.text;
    }

    std::vector<std::string> started_;
};

TEST_F(AboutWindowTest, ShowsTheTitleTextsAndButtons) {
    AboutWindow about(fakeServices(std::nullopt));
    open(about);
    EXPECT_EQ(windowText(about.hwnd()), L"About Quillon");
    EXPECT_EQ(windowText(item(about, AboutWindow::TitleId)).rfind(L"Quillon\r\n", 0), 0u)
        << "title, line break, copyright line";
    EXPECT_EQ(windowText(item(about, AboutWindow::DescriptionId)),
              L"This application Opens and Prints Autocad Drawings in Batch Mode.");
    EXPECT_EQ(windowText(item(about, AboutWindow::WarningId)), L"    ");
    EXPECT_EQ(windowText(item(about, IDOK)), L"OK");
    EXPECT_EQ(windowText(item(about, AboutWindow::SysInfoId)), L"&System Info...");

    RECT client{};
    GetClientRect(about.hwnd(), &client);
    int dpi = static_cast<int>(GetDpiForWindow(about.hwnd()));
    EXPECT_EQ(client.right, MulDiv(394, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(349, dpi, 96));

    // Kept off the taskbar by an owner nobody sees, so it does not follow any of the program's windows.
    HWND owner = GetWindow(about.hwnd(), GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
}

TEST_F(AboutWindowTest, IsBroughtBackRatherThanOpenedTwice) {
    AboutWindow about(fakeServices(std::nullopt));
    open(about);
    HWND first = about.hwnd();
    ShowWindow(first, SW_MINIMIZE);
    about.showOrActivate();
    EXPECT_EQ(about.hwnd(), first);
    EXPECT_FALSE(IsIconic(first));
    EXPECT_TRUE(IsWindowVisible(first));

    HWND owner = GetWindow(first, GW_OWNER);
    SendMessageW(first, WM_CLOSE, 0, 0);
    EXPECT_FALSE(about.isOpen());
    EXPECT_FALSE(IsWindow(owner)) << "its hidden owner goes with it";
    about.showOrActivate();
    EXPECT_TRUE(about.isOpen()) << "a closed window opens afresh";
}

TEST_F(AboutWindowTest, EnterAndEscCloseItUnderAnyMessageLoop) {
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        AboutWindow about(fakeServices(std::nullopt));
        open(about);
        HWND ok = item(about, IDOK);
        SetFocus(ok);
        PostMessageW(ok, WM_KEYDOWN, key, 0);
        EXPECT_TRUE(pumpUntil([&] { return !about.isOpen(); })) << "key " << key;
    }
}

TEST_F(AboutWindowTest, EnterOnSystemInfoStartsTheRegisteredProgram) {
    AboutWindow about(fakeServices("C:\\Tools\\msinfo32.exe"));
    open(about);
    HWND sysInfo = item(about, AboutWindow::SysInfoId);
    SetFocus(sysInfo);
    PostMessageW(sysInfo, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(pumpUntil([&] { return !started_.empty(); }));
    EXPECT_EQ(started_, std::vector<std::string>{"C:\\Tools\\msinfo32.exe"});
    EXPECT_TRUE(about.isOpen());
}

// The real registry and process start, with the machine's registry part
// replaced by an empty key of this test's own: nothing names the tool.
TEST_F(AboutWindowTest, SystemInfoWithoutRegistryEntriesShowsTheMessage) {
    const wchar_t* scratch = L"Software\\Quillon\\Tests\\EmptyMachine";
    auto empty = win::RegistryKey::create(HKEY_CURRENT_USER, scratch);
    if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, empty.get()) != ERROR_SUCCESS) {
        win::RegistryKey::deleteTree(HKEY_CURRENT_USER, scratch);
        GTEST_SKIP() << "the machine registry cannot be redirected here";
    }
    AboutWindow about;
    about.showOrActivate();
    std::optional<std::wstring> message;
    std::wstring title;
    if (about.isOpen()) message = clickSysInfo(about, &title);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    win::RegistryKey::deleteTree(HKEY_CURRENT_USER, scratch);
    if (!about.isOpen()) GTEST_SKIP() << "no window can be created here";
    EXPECT_EQ(message, L"System Information Is Unavailable At This Time");
    EXPECT_EQ(title, L"Quillon");
    EXPECT_TRUE(about.isOpen()) << "the window stays after the message";
}

}  // namespace
}  // namespace quillon::dialogs
