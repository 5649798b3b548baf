#pragma once

#include <string>

namespace quillon::autocad {

// What connecting needs from the main window.
class ConnectionUi {
public:
    virtual ~ConnectionUi() = default;
    virtual void setStatus(const std::string& text) = 0;
    virtual void hideMainWindow() = 0;
    virtual void showMainWindow() = 0;
    // A modal message box with the information icon and an OK button.
    virtual void showInformation(const std::string& title, const std::string& text) = 0;
    // Closes through the window's normal unload path, which ends the program.
    virtual void closeMainWindow() = 0;
};

}  // namespace quillon::autocad
