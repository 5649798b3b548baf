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
#include "app/win/ExitHost.h"
#include "app/win/ExitSequence.h"
#include "app/CommandLineHost.h"
#include "app/CommandLineRun.h"
#include "app/win/WinCommandLineSystem.h"
#include "app/win/MainWindow.h"
#include "app/win/MainWindowShell.h"
#include "app/win/PlotBoxes.h"
#include "app/win/PlotBoxesHost.h"
#include "app/win/PlotFilesChoice.h"
#include "app/win/PlotJobCommands.h"
#include "app/win/PlotJobHost.h"
#include "run/RunCoordinator.h"
#include "run/RunHost.h"
#include "run/win/CadSessions.h"
#include "run/win/RunReportKeeper.h"
#include "app/win/SearchPane.h"
#include "app/win/SearchPaneHost.h"
#include "app/win/SessionCountBox.h"
#include "app/win/SheetsCommand.h"
#include "autocad/CadLauncher.h"
#include "base/TaskMailbox.h"
#include "autocad/ConnectionUi.h"
#include "dialogs/win/AboutWindow.h"
#include "plotting/StatusLines.h"

namespace quillon::app {

// The program's life cycle around the main window: start-up, the commands
// of the menus and buttons handed to the part whose job they are, and the
// window's own settings. Each part is given the small host it needs (this
// class implements them all); no part knows this class or another hub.
//
// Every call to the CAD application is made on a CAD thread (the run
// coordinator's); the window answers while the application works, hangs or dies.
class MainController final : public MainWindowShell,
                             public autocad::ConnectionUi,
                             public SearchPaneHost,
                             public PlotBoxesHost,
                             public run::RunHost,
                             public ExitHost,
                             public CommandLineHost,
                             public PlotJobHost {
public:
    // What the CAD threads and workers post for the window's thread goes to `mailbox`.
    MainController(SettingsStore& settings, std::shared_ptr<autocad::CadLauncher> launcher,
                   std::shared_ptr<base::TaskMailbox> mailbox);
    ~MainController() override;

    // Creates the window and runs the start-up steps. Returns false when the
    // program is already closing (the CAD application could not be reached).
    bool start();
    MainWindow& window() override { return window_; }
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

    // ConnectionUi, and what every part shows through, on the window's thread
    void setStatus(const std::string& text) override;
    plotting::StatusLines& statusLines() override { return status_; }
    void hideMainWindow() override;
    void showMainWindow() override;
    void showInformation(const std::string& title, const std::string& text) override;

private:
    // The hosts' calls, each handed on to the part whose job it is (MainControllerHosts.cpp).
    bool runActive() const override;
    bool closing() const override;
    bool connectsLate() const override { return job_.connectsLate(); }
    bool leaving() const override;
    bool unattended() const override;
    void fillPlotBoxesIfEmpty() override;
    void drawingsListed(std::uint64_t listing, bool complete) override;
    void postCad(std::function<void(autocad::CadSession&)> task) override;
    discovery::DrawingListView& listView() override;
    std::string listedFolder() const override;
    plotting::PlotSetup chosenSetup() const override;
    // CommandLineHost
    CommandLineSystem& system() override { return system_; }
    std::optional<std::string> applyJob(const plotting::PlotJobSpec& job, std::uint64_t* listing,
                                        plotting::PlotJobSpec* applied, bool checkLists) override;
    std::optional<std::string> loadJob(const std::string& file) override;
    std::vector<plotting::RunListSnapshot::Row> listedRows() override;
    // RunHost
    run::RunSessions& sessions() override { return cadSessions_; }
    run::Teller& teller() override { return job_; }
    std::shared_ptr<plotting::PlotRunDisplay> runDisplay(const run::RunRequest& request) override;
    std::unique_ptr<plotting::PdfFileAccess> pdfFiles() override;
    std::unique_ptr<base::FileSystem> fileSystem() override;
    plotting::LocalTime localNow() override;
    void showWindow() override;
    // A message box shown from a message of its own, never inside a timer tick or a mailbox task (whose
    // nested loop would run the rest of the program under it); then() runs once it is closed.
    void notify(const std::string& title, const std::string& text) override { notifyThen(title, text); }
    void notifyThen(const std::string& title, const std::string& text, std::function<void()> then = {});
    // Tells the user: a message box, or with /run (no one to press OK) the console and Status.
    void tell(const std::string& title, const std::string& text) { job_.tell(title, text); }
    // While a run works, nothing may start a search, another run or a list refill.
    void setBusy(bool busy) override;
    // The CAD application could not be started: the program says so and closes.
    void couldNotStart(const std::string& why) override;
    void refuseRun(const std::string& why) override;
    void runEnded(std::uint64_t generation, std::optional<plotting::PlotRun::Ending> ending,
                  const plotting::PlotRun::Tally& tally) override;
    void cadThreadLost() override;
    void cadLost(const std::string& why, bool duringRun) override;
    bool leaveWithoutCad() override;
    void stopSearch() override;
    void closeHelp() override;
    void closeAbout() override;
    void saveSettings() override;
    run::RunReportKeeper& reports() override { return reports_; }
    void startRun(plotting::RunKind kind, plotting::RunPurpose purpose, const std::string& resumes) override;
    void startRequestedRun(run::RunRequest request) override;
    int storedSessions() const override;
    void exitCommand() override;
    std::uint64_t askListing() override;
    bool latestListing(std::uint64_t generation) const override;
    std::uint64_t listJobFolder(const std::string& folder, bool subfolders) override;
    std::uint64_t listDrawings(std::vector<std::string> paths) override;
    std::optional<int> jobRestartEvery() const override;
    void applyJobRestartEvery(std::optional<int> every) override;
    void resumeInWindow(const std::string& report) override;

    void markReadyWhenStarted();
    void cadReady();
    // After a run: the folder picked in the tree meanwhile is listed now.
    void listFolderPickedDuringRun();
    void restorePosition();
    // A run as the window's choices and list say now (a command-line job's among them), given to the runs.
    void startWindowRun(plotting::RunKind kind, plotting::RunPurpose purpose = plotting::RunPurpose::Plot,
                        const std::string& resumes = {});
    run::RunSettings runSettings() const;
    run::RunRequest windowRunRequest(plotting::RunKind kind, plotting::RunPurpose purpose, const std::string& resumes);
    void openHelp();
    void stopPressed();
    void showNotices();

    SettingsStore& settings_;
    std::shared_ptr<autocad::CadLauncher> launcher_;
    std::shared_ptr<base::TaskMailbox> mailbox_;
    MainWindow window_;
    // Status's one owner; the window only shows it.
    plotting::StatusLines status_;
    dialogs::AboutWindow about_;
    std::wstring helpFile_;
    bool startFailureShown_ = false;
    // How far start-up has come: it ends once the folder tree has made its first selection and the CAD
    // application has given its first answers, in either order.
    enum class StartUp { Starting, TreeShown, CadAnswered, Ready };
    StartUp startUp_ = StartUp::Starting;
    bool treeShown() const { return startUp_ == StartUp::TreeShown || startUp_ == StartUp::Ready; }
    // A folder picked in the tree during a run: listed once the run ends, so the tree and the list agree.
    std::optional<std::optional<std::wstring>> folderAfterRun_;
    struct Notice {
        std::string title;
        std::string text;
        std::function<void()> then;
    };
    std::deque<Notice> notices_;
    bool showingNotice_ = false;

    SearchPane search_{*this};
    PlotBoxes boxes_{*this};
    SessionCountBox sessions_{*this, settings_};
    PlotFilesChoice plotFiles_{settings_, *this};
    SheetChoice sheets_ = SheetChoice::load(settings_);
    SheetsCommand sheetsCommand_{*this, sheets_, settings_, *this};
    PlotJobCommands jobs_{*this, WindowChoices{boxes_, sessions_, plotFiles_, sheets_}};
    WinCommandLineSystem system_;
    CommandLineRun job_{*this};
    run::RunReportKeeper reports_;
    run::CadSessions cadSessions_{launcher_, *this};
    // A job's (or a resumed report's) choice of how often Quillon's own application starts afresh, kept until
    // the next job.
    std::optional<int> jobRestartEvery_;
    // Made once the run coordinator it asks is there (see the constructor).
    std::unique_ptr<ExitSequence> exit_;
    // Last, so its threads are ended before anything they show into goes.
    run::RunCoordinator runs_{*this};
};

}  // namespace quillon::app
