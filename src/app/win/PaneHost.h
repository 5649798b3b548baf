#pragma once

#include <string>

namespace quillon::plotting {
class StatusLines;
}

namespace quillon::app {

class MainWindow;

// What every part of the main window shows through: the window's controls, Status, and a message box.
class PaneHost {
public:
    virtual ~PaneHost() = default;
    virtual MainWindow& window() = 0;
    virtual void setStatus(const std::string& text) = 0;
    // What Status and the status bar's panel say, for whoever needs it: never read back from the controls.
    virtual plotting::StatusLines& statusLines() = 0;
    virtual void showInformation(const std::string& title, const std::string& text) = 0;
};

}  // namespace quillon::app
