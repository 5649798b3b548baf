#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "win/BaseWindow.h"
#include "win/Dialog.h"
#include "win/WinError.h"

namespace quillon::win {
namespace {

constexpr UINT kFail = WM_APP + 1;
constexpr UINT kEcho = WM_APP + 2;

std::string messageOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "?";
    }
}

// Message-only windows need no display, so these run headless too.
class ProbeWindow : public BaseWindow {
public:
    bool failCreate = false;
    HWND seenAtCreate = nullptr;
    std::vector<std::string> reported;

    void open() { create(L"QuillonProbeWindow", L"probe", 0, 0, 0, 0, 0, 0, HWND_MESSAGE); }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_CREATE:
                seenAtCreate = hwnd();
                if (failCreate) throw std::runtime_error("cannot create");
                return 0;
            case kFail:
                throw std::runtime_error("handler failed");
            case kEcho:
                return static_cast<LRESULT>(wParam) + 1;
            default:
                return BaseWindow::handleMessage(message, wParam, lParam);
        }
    }
    void onUnhandledException(std::exception_ptr error) noexcept override { reported.push_back(messageOf(error)); }
};

TEST(BaseWindow, RoutesMessagesToTheObjectFromCreationOn) {
    ProbeWindow window;
    window.open();
    ASSERT_NE(window.hwnd(), nullptr);
    EXPECT_EQ(window.seenAtCreate, window.hwnd());
    EXPECT_EQ(SendMessageW(window.hwnd(), kEcho, 41, 0), 42);
}

TEST(BaseWindow, KeepsExceptionsFromReachingWindows) {
    ProbeWindow window;
    window.open();
    EXPECT_EQ(SendMessageW(window.hwnd(), kFail, 0, 0), 0);
    EXPECT_EQ(window.reported, std::vector<std::string>{"handler failed"});
    EXPECT_EQ(SendMessageW(window.hwnd(), kEcho, 1, 0), 2) << "the window still works afterwards";
}

TEST(BaseWindow, AFailedCreationLeavesNoWindow) {
    ProbeWindow window;
    window.failCreate = true;
    EXPECT_THROW(window.open(), WinError);
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_EQ(window.reported, std::vector<std::string>{"cannot create"});
}

TEST(BaseWindow, DestroyingTheObjectDestroysTheWindow) {
    HWND handle = nullptr;
    {
        ProbeWindow window;
        window.open();
        handle = window.hwnd();
    }
    EXPECT_FALSE(IsWindow(handle));
}

TEST(BaseWindow, DestroyingTheWindowDetachesTheObject) {
    ProbeWindow window;
    window.open();
    DestroyWindow(window.hwnd());
    EXPECT_EQ(window.hwnd(), nullptr);
}

// An in-memory dialog template: no resource file needed.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE header{WS_POPUP | DS_MODALFRAME, 0, 0, 0, 0, 100, 50};
    WORD menu = 0, windowClass = 0, title = 0;
};

// Dialogs are top-level windows, which wine can only make with a display.
bool canShowTopLevelWindows() {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe) return false;
    DestroyWindow(probe);
    return true;
}

class ProbeDialog : public Dialog {
public:
    bool failInit = false;
    std::vector<std::string> reported;

protected:
    bool onInit() override {
        if (failInit) throw std::runtime_error("cannot initialise");
        PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    }
    void onUnhandledException(std::exception_ptr error) noexcept override { reported.push_back(messageOf(error)); }
};

TEST(Dialog, EndsWithTheCommandThatClosedIt) {
    if (!canShowTopLevelWindows()) GTEST_SKIP() << "no display";
    EmptyDialogTemplate dialogTemplate;
    ProbeDialog dialog;
    EXPECT_EQ(dialog.runModal(&dialogTemplate.header, nullptr), IDOK);
}

TEST(Dialog, AnInitialisationFailureClosesTheDialogAndIsReported) {
    if (!canShowTopLevelWindows()) GTEST_SKIP() << "no display";
    EmptyDialogTemplate dialogTemplate;
    ProbeDialog dialog;
    dialog.failInit = true;
    EXPECT_EQ(dialog.runModal(&dialogTemplate.header, nullptr), IDCANCEL);
    EXPECT_EQ(dialog.reported, std::vector<std::string>{"cannot initialise"});
}

}  // namespace
}  // namespace quillon::win
