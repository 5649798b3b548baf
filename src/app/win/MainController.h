#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/SettingsStore.h"
#include "app/win/MainWindow.h"
#include "app/win/MainWindowShell.h"
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
    autocad::CadConnection& connection() { return connection_; }

    // MainWindowShell
    void onCommand(int id, int notifyCode) override;
    bool onNotify(const NMHDR& header, LRESULT& result) override;
    void onClose() override;
    void onDestroyed() override;

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

    SettingsStore& settings_;
    autocad::CadConnection connection_;
    MainWindow window_;
    dialogs::AboutWindow about_;

    // The remembered plot choices; the plot lists replace them.
    std::string strPaper_;
    std::string strPrinter_;
    std::string strCTB_;
    // The folder whose drawings are listed (the hidden directory list's path), with a trailing backslash.
    std::string currentFolder_;
    std::wstring helpFile_;
    bool closing_ = false;
};

}  // namespace quillon::app
