#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "app/SettingsStore.h"
#include "app/SheetChoice.h"
#include "app/win/ExitSequence.h"
#include "app/win/MainWindow.h"
#include "app/win/MainWindowShell.h"
#include "app/win/PlotBoxes.h"
#include "app/win/PlotFilesChoice.h"
#include "app/win/PlotJobCommands.h"
#include "app/win/RunCoordinator.h"
#include "app/win/SearchPane.h"
#include "app/win/SessionCountBox.h"
#include "app/win/SheetsCommand.h"
#include "app/win/UnattendedJob.h"
#include "autocad/CadLauncher.h"
#include "autocad/ConnectionUi.h"
#include "dialogs/win/AboutWindow.h"

namespace quillon::app {

// The program's life cycle around the main window: start-up, the commands
// of the menus and buttons handed to the part whose job they are, and the
// window's own settings. The parts reach each other through this class.
//
// Every call to the CAD application is made on a CAD thread (the run
// coordinator's); the window answers while the application works, hangs or dies.
class MainController : public MainWindowShell, public autocad::ConnectionUi {
public:
    MainController(SettingsStore& settings, std::shared_ptr<autocad::CadLauncher> launcher);
    ~MainController() override;

    // Creates the window and runs the start-up steps. Returns false when the
    // program is already closing (the CAD application could not be reached).
    bool start();
    MainWindow& window() { return window_; }
    // A folder chosen in the folder tree; nothing for items that are no folder (the desktop's virtual ones).
    void onFolderSelected(const std::optional<std::wstring>& path);
    // What the program was started with; before start().
    void setCommandLine(CommandLine line) { job_.setCommandLine(std::move(line)); }
    // The program's exit code: an unattended run's outcome, else 0.
    int exitCode() const { return job_.exitCode(); }

    // MainWindowShell
    void onCommand(int id, int notifyCode) override;
    bool onNotify(const NMHDR& header, LRESULT& result) override;
    void onClose() override;
    void onDestroyed() override;
    void onAppMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool onCopyData(const COPYDATASTRUCT& data) override;
    void onTimer(UINT_PTR id) override;
    bool onSetCursor(HWND over, int hitTest) override;
    void onControlKeyDown(int id, WPARAM key) override;
    void onClockTick() override;

    // ConnectionUi, on the window's thread
    void setStatus(const std::string& text) override;
    void hideMainWindow() override;
    void showMainWindow() override;

    // The parts, for each other.
    SettingsStore& settings() { return settings_; }
    // Shared with the CAD threads, which may outlive the window.
    const std::shared_ptr<autocad::CadLauncher>& launcher() const { return launcher_; }
    SearchPane& search() { return search_; }
    PlotBoxes& boxes() { return boxes_; }
    SessionCountBox& sessions() { return sessions_; }
    RunCoordinator& runs() { return runs_; }
    ExitSequence& exitSequence() { return exit_; }
    UnattendedJob& job() { return job_; }
    PlotJobCommands& jobs() { return jobs_; }
    dialogs::AboutWindow& about() { return about_; }
    PlotFilesChoice& plotFiles() { return plotFiles_; }
    SheetChoice& sheets() { return sheets_; }

    void showInformation(const std::string& title, const std::string& text);
    // A message box shown from a message of its own, never inside a timer tick or a mailbox task (whose
    // nested loop would run the rest of the program under it); then() runs once it is closed.
    void notify(const std::string& title, const std::string& text, std::function<void()> then = {});
    // Tells the user: a message box, or with /run (no one to press OK) the console and Status.
    void tell(const std::string& title, const std::string& text) { job_.tell(title, text); }
    // While a run works, nothing may start a search, another run or a list refill.
    void setBusy(bool busy);
    // The CAD application could not be started: the program says so and closes.
    void couldNotStart(const std::string& why);
    void markReadyWhenStarted();
    void cadReady();
    // After a run: the folder picked in the tree meanwhile is listed now.
    void listFolderPickedDuringRun();
    void saveSettings();
    void closeHelp();
    // Wakes the window to drain the CAD threads' mailbox.
    void postCadMail();

private:
    void restorePosition();
    void openHelp();
    void stopPressed();
    void showNotices();

    SettingsStore& settings_;
    std::shared_ptr<autocad::CadLauncher> launcher_;
    MainWindow window_;
    dialogs::AboutWindow about_;
    std::wstring helpFile_;
    bool startFailureShown_ = false;
    bool treeReady_ = false;
    bool cadReady_ = false;
    // A folder picked in the tree during a run: listed once the run ends, so the tree and the list agree.
    std::optional<std::optional<std::wstring>> folderAfterRun_;
    struct Notice {
        std::string title;
        std::string text;
        std::function<void()> then;
    };
    std::deque<Notice> notices_;
    bool showingNotice_ = false;

    SearchPane search_;
    PlotBoxes boxes_;
    SessionCountBox sessions_;
    ExitSequence exit_;
    UnattendedJob job_;
    PlotJobCommands jobs_;
    PlotFilesChoice plotFiles_{settings_};
    SheetChoice sheets_ = SheetChoice::load(settings_);
    SheetsCommand sheetsCommand_{*this};
    // Last, so its threads are ended before anything they show into goes.
    RunCoordinator runs_;
};

}  // namespace quillon::app
