#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/SettingsStore.h"
#include "app/win/MainWindow.h"
#include "app/win/DrawingListView.h"
#include "app/win/MainWindowShell.h"
#include "app/win/RunView.h"
#include "app/win/WinComboBox.h"
#include "discovery/DrawingList.h"
#include "discovery/SearchRunner.h"
#include "discovery/win/WinFileSystem.h"
#include "discovery/win/WinFormatters.h"
#include "plotting/PlotChoices.h"
#include "plotting/PlotRun.h"
#include "autocad/CadConnection.h"
#include "autocad/CadLauncher.h"
#include "autocad/ConnectionUi.h"
#include "dialogs/win/AboutWindow.h"

namespace quillon::app {

// The program's life cycle around the main window: start-up, the commands
// of the menus and buttons, and the orderly way out.
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
    autocad::CadConnection& connection() { return connection_; }

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

    // ConnectionUi
    void setStatus(const std::string& text) override;
    void hideMainWindow() override;
    void showMainWindow() override;
    void showInformation(const std::string& title, const std::string& text) override;
    void closeMainWindow() override;

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
    void stepRun();
    void finishRun();
    void setBusy(bool busy);

    SettingsStore& settings_;
    autocad::CadConnection connection_;
    MainWindow window_;
    dialogs::AboutWindow about_;

    // StrPrinter, StrPaper and StrCTB: remembered at start, replaced by the plot boxes.
    plotting::PlotChoices choices_;
    std::unique_ptr<WinComboBox> printerBox_;
    std::unique_ptr<WinComboBox> paperBox_;
    std::unique_ptr<WinComboBox> ctbBox_;
    std::int16_t numOfCopies_ = 0;
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

    std::unique_ptr<RunView> runView_;
    std::unique_ptr<plotting::PlotRun> run_;
    std::wstring helpFile_;
    bool closing_ = false;
};

}  // namespace quillon::app
