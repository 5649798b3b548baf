#pragma once

#include <string>

namespace quillon::autocad {

// What connecting shows in the main window. Whether a failure to start the
// application ends the program is the window's decision, not the connection's.
class ConnectionUi {
public:
    virtual ~ConnectionUi() = default;
    virtual void setStatus(const std::string& text) = 0;
    virtual void hideMainWindow() = 0;
    virtual void showMainWindow() = 0;
};

}  // namespace quillon::autocad
