#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "run/CadExit.h"
#include "app/win/ExitHost.h"
#include "app/win/ExitSequence.h"
#include "app/win/MainWindow.h"
#include "app/win/MainWindowShell.h"
#include "plotting/StatusLines.h"

// The way out on its own, driven through its two hosts: the window around it and the runs it ends.
namespace quillon::app {
namespace {

class Host final : public MainWindowShell, public ExitHost, public run::CadExit {
public:
    MainWindow main{*this};
    ExitSequence exit{*this, *this};
    std::vector<std::string> steps;
    bool runActive = false;
    std::function<void()> cleanedUp;
    bool destroyed = false;

    // MainWindowShell
    void onCommand(int, int) override {}
    bool onNotify(const NMHDR&, LRESULT&) override { return false; }
    void onClose() override { exit.closeRequested(); }
    void onDestroyed() override { destroyed = true; }
    void onAppMessage(UINT, WPARAM, LPARAM) override {}
    void onControlKeyDown(int, WPARAM) override {}
    bool onCopyData(const COPYDATASTRUCT&) override { return false; }
    void onTimer(UINT_PTR) override {}
    bool onSetCursor(HWND, int) override { return false; }
    // ExitHost
    MainWindow& window() override { return main; }
    void setStatus(const std::string&) override {}
    plotting::StatusLines& statusLines() override { return status; }
    plotting::StatusLines status{{}, {}};
    void showInformation(const std::string&, const std::string&) override { steps.push_back("box"); }
    void stopSearch() override { steps.push_back("stop search"); }
    void closeHelp() override { steps.push_back("close help"); }
    void closeAbout() override { steps.push_back("close about"); }
    void saveSettings() override { steps.push_back("save settings"); }
    bool unattended() const override { return true; }
    // CadExit
    bool active() const override { return runActive; }
    void requestStop() override { steps.push_back("stop run"); }
    bool hasCad() const override { return true; }
    void postCleanUp(std::function<void()> then) override {
        steps.push_back("clean up");
        cleanedUp = std::move(then);
    }
    std::optional<run::HungCall> hungMainCall(autocad::CallMonitor::Clock::duration) override { return std::nullopt; }
    std::vector<run::HungCall> hungFurtherCalls(autocad::CallMonitor::Clock::duration) override { return {}; }
    bool endHungCall(const run::HungCall&) override { return false; }
    bool stillHung(const run::HungCall&) override { return false; }
    void giveUpCad(const std::string&) override {}

    void finishCleanUp() { std::exchange(cleanedUp, nullptr)(); }
};

TEST(ExitSequence, ExitWaitsForTheRunThenCleansUpBeforeTheWindowIsUnloadedAndGoesOnlyAfterTheLastCleanUp) {
    Host host;
    host.main.create(POINT{0, 0});
    host.runActive = true;
    host.exit.exitCommand();
    EXPECT_EQ(host.exit.state(), ExitState::StoppingRun) << "a run in progress ends first";
    EXPECT_FALSE(host.cleanedUp);

    host.runActive = false;
    host.exit.proceed();  // the run reported its end
    ASSERT_TRUE(host.cleanedUp);
    EXPECT_EQ(host.exit.state(), ExitState::CleaningUp);
    host.finishCleanUp();  // closes the window as its title bar does: unloaded, then a clean-up of its own
    EXPECT_EQ(host.exit.state(), ExitState::Unloaded);
    EXPECT_FALSE(host.destroyed) << "the window waits for the CAD side";
    ASSERT_TRUE(host.cleanedUp);
    host.finishCleanUp();
    EXPECT_EQ(host.exit.state(), ExitState::Gone);
    EXPECT_TRUE(host.destroyed);
    EXPECT_EQ(host.steps, (std::vector<std::string>{"stop search", "stop run", "stop search", "stop run", "clean up",
                                                    "stop search", "stop run", "close help", "close about",
                                                    "save settings", "clean up"}));
}

}  // namespace
}  // namespace quillon::app
