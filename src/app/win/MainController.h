#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <utility>
#include <vector>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "app/MainSettings.h"
#include "app/PlotFileSettings.h"
#include "app/SettingsStore.h"
#include "app/win/CadSessionSlot.h"
#include "app/win/RunReportKeeper.h"
#include "app/win/MainWindow.h"
#include "app/win/DrawingListView.h"
#include "app/win/MainWindowShell.h"
#include "app/win/RunView.h"
#include "app/win/WinComboBox.h"
#include "discovery/DrawingList.h"
#include "discovery/SearchRunner.h"
#include "discovery/win/WinFileSystem.h"
#include "discovery/win/WinFormatters.h"
#include "base/TaskMailbox.h"
#include "plotting/PlotChoices.h"
#include "plotting/PlotJobFile.h"
#include "plotting/PlotRun.h"
#include "plotting/RecordingComboBox.h"
#include "plotting/RunDispatcher.h"
#include "plotting/RunListSnapshot.h"
#include "autocad/CadLauncher.h"
#include "autocad/CallMonitor.h"
#include "autocad/CallWatchdog.h"
#include "autocad/ConnectionUi.h"
#include "autocad/win/CadThread.h"
#include "dialogs/win/AboutWindow.h"

namespace quillon::app {

// The program's life cycle around the main window: start-up, the commands
// of the menus and buttons, and the orderly way out.
//
// Every call to the CAD application is made on the CAD thread; this class
// only hands it work and shows what comes back through the mailbox, so the
// window answers while the application works, hangs or dies.
class MainController : public MainWindowShell, public autocad::ConnectionUi {
public:
    MainController(SettingsStore& settings, autocad::CadLauncher& launcher);
    ~MainController() override;

    // Creates the window and runs the start-up steps. Returns false when the
    // program is already closing (the CAD application could not be reached).
    bool start();
    MainWindow& window() { return window_; }
    // A folder chosen in the folder tree; nothing for items that are no folder (the desktop's virtual ones).
    void onFolderSelected(const std::optional<std::wstring>& path);
    // What the program was started with; before start().
    void setCommandLine(CommandLine line) { commandLine_ = std::move(line); }
    // The program's exit code: an unattended run's outcome, else 0.
    int exitCode() const { return exitCode_; }

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

private:
    void restorePosition();
    void addListColumns();
    void exitCommand();
    void openHelp();
    void selectAllDrawings();
    void saveSettings();

    // The folder changed (start-up, the folder tree, or another program): empty the list and search it.
    void pathChange(const std::string& folder);
    // What started a search: a folder change clears "Include Sub Directories" first; Enter on that box
    // shows the list sorted once the search has run to its end.
    enum class SearchCause { FolderChange, CheckBoxClick, CheckBoxEnter };
    void searchAgain(SearchCause cause);
    void takeSearchUpdates();
    // The list and the texts once no search runs any more.
    void endSearch();
    void stopPressed();
    void fillPlotListsIfEmpty();
    void plotBoxEvent(int id, const std::string& text);
    // The plot box with this control id; none for other ids.
    WinComboBox* plotBox(int id) const;
    void copiesChanged();
    void previewFocusedRow();
    void startRun(plotting::RunKind kind);
    // A run plotted by `sessions` CAD sessions side by side; the first is the usual CAD thread.
    void startSharedRun(plotting::RunKind kind, std::shared_ptr<plotting::RunListSnapshot> list,
                        const plotting::PlotSetup& setup, const std::string& panel,
                        std::shared_ptr<plotting::PlotRunDisplay> target, int sessions);
    // The sessions a run plots with: the command line's, else the window's.
    int runSessions() const { return sessionsOverride_.value_or(cadSessions_); }
    void sessionsChanged();
    void showSessions(int sessions);
    // Lets the further sessions' threads end once a run is over.
    void endExtraSessions();
    void runEnded(std::optional<plotting::PlotRun::Ending> ending, plotting::PlotRun::Tally tally);
    void setBusy(bool busy);

    // The CAD thread: work handed to it, and what to do when the application could not be started.
    void startCadThread();
    std::unique_ptr<autocad::CadThread> makeCadThread(std::shared_ptr<autocad::CallMonitor> monitor);
    void postCad(std::function<void(autocad::CadSession&)> job);
    void couldNotStart();

    // Plot jobs, the command line and the run report.
    void openJobCommand();
    void saveJobCommand();
    void openLastReport();
    // Where plot files go and their names: the Plot Files dialog, a job's fields, a run's options.
    void plotFilesCommand();
    void takeJobPlotFiles(const plotting::PlotJobSpec& job);
    void putJobPlotFiles(plotting::PlotJobSpec& job) const;
    plotting::PlotFileOptions runPlotFiles() const;
    // With /run, the console names each plot file written.
    void announcePlotFiles(const plotting::DrawingOutcome& outcome) const;
    // Reads and applies a job file; the reason when it cannot be used (nothing is applied then).
    std::optional<std::string> loadJob(const std::wstring& file);
    std::optional<std::string> applyJob(const plotting::PlotJobSpec& job);
    plotting::PlotJobSpec currentJob() const;
    void listDrawings(const std::vector<std::string>& paths);
    void startCommandLineJob();
    void unattendedFailure(RunExitCode code, const std::string& why);
    void unattendedRunEnded(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally);
    // Tells the user: a message box, or with /run (no one to press OK) the console and Status.
    void tell(const std::string& title, const std::string& text);
    void markReadyWhenStarted();
    void showInformation(const std::string& title, const std::string& text);
    void applyFill(const std::vector<std::pair<WinComboBox*, plotting::RecordingComboBox>>& boxes,
                   const std::string& error, const char* what);
    void watchCadCall();
    // One session's call: true when the watchdog gave up on it (the session is then to be abandoned).
    bool watchCall(autocad::CallMonitor& monitor, autocad::CallWatchdog& watchdog, std::string& abandonText);
    void askAboutHungExtraSessionsAtExit();
    void endHungApplication(std::uint32_t process, autocad::CallMonitor& monitor);
    void abandonCadThread(const std::string& why);
    // The way out: a run is stopped and ended first, then the CAD clean-up,
    // then the window goes. Each step goes on when the CAD thread is done.
    void proceedWithExit();
    void askAboutHungCallAtExit();

    // A call longer than this is named in Status.
    static constexpr auto AnnounceCallAfter = std::chrono::seconds(3);
    // Leaving Quillon waits this long for a call in progress before asking.
    static constexpr auto ExitWaitBeforeAsking = std::chrono::seconds(5);

    SettingsStore& settings_;
    autocad::CadLauncher& launcher_;
    // How long one CAD call may take, for every session; read once at start.
    std::chrono::seconds callTimeout_ = DefaultCallTimeout;
    MainWindow window_;
    dialogs::AboutWindow about_;

    // StrPrinter, StrPaper and StrCTB: remembered at start, replaced by the plot boxes.
    plotting::PlotChoices choices_;
    std::unique_ptr<WinComboBox> printerBox_;
    std::unique_ptr<WinComboBox> paperBox_;
    std::unique_ptr<WinComboBox> ctbBox_;
    std::int16_t numOfCopies_ = 0;
    int cadSessions_ = 1;
    // The window's choice of plot folder and names (a loaded job's until the dialog changes it).
    PlotFileSettings plotFileChoice_;
    std::string plotFileExtension_;
    std::optional<int> sessionsOverride_;
    bool showingSessions_ = false;
    std::atomic<bool> stopRequested_{false};
    bool sortWhenSearchEnds_ = false;

    // The folder whose drawings are listed (the hidden directory list's path).
    std::string currentFolder_;
    discovery::WinFileSystem fileSystem_;
    discovery::WinNumberFormatter numbers_;
    discovery::WinDateTimeFormatter dates_;
    discovery::ShellFileTypeNames types_;
    discovery::LocaleCollation collation_;
    discovery::DrawingList listModel_{collation_};
    std::unique_ptr<DrawingListView> listView_;
    std::unique_ptr<discovery::SearchRunner> search_;

    // What the CAD thread shows, run on this thread.
    std::shared_ptr<base::TaskMailbox> mailbox_;
    std::shared_ptr<autocad::CallMonitor> monitor_;
    std::unique_ptr<autocad::CadThread> cad_;
    autocad::CallWatchdog watchdog_;
    bool fillPending_ = false;
    // A fill's replay runs the boxes' change handling; a paper picked meanwhile by the user is kept.
    bool replayingFill_ = false;
    bool paperChosenSinceRefill_ = false;
    bool startFailureShown_ = false;
    bool treeReady_ = false;
    bool cadReady_ = false;

    std::shared_ptr<RunView> runView_;
    // The run's own Stop: the CAD thread may outlive the window's interest in it.
    std::shared_ptr<std::atomic<bool>> runStop_ = std::make_shared<std::atomic<bool>>(false);
    bool runActive_ = false;
    // The sessions past the first of the run in progress, and what they share.
    std::vector<std::unique_ptr<CadSessionSlot>> extraSessions_;
    std::shared_ptr<plotting::RunDispatcher> sharedRun_;

    // A folder picked in the tree during a run: listed once the run ends, so the tree and the list agree.
    std::optional<std::optional<std::wstring>> folderAfterRun_;
    std::wstring helpFile_;
    bool closing_ = false;

    CommandLine commandLine_;
    bool unattended_ = false;
    bool commandLineStarted_ = false;
    // A job's drawings are listed; the unattended run starts once they are.
    bool runWhenListed_ = false;
    int exitCode_ = 0;
    RunReportKeeper reports_;
    // The way out, in its steps.
    bool exitCommandPending_ = false;
    bool closePending_ = false;
    bool unloaded_ = false;
    bool cleanUpPosted_ = false;
    bool exitQuestionAsked_ = false;
    std::optional<autocad::CallMonitor::Clock::time_point> exitRequestedAt_;
    // What the watchdog last wrote into Status, and the run's line it wrote under.
    std::wstring announced_;
    std::wstring announceBase_;
};

}  // namespace quillon::app
