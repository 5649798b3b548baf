#pragma once

#include <windows.h>

#include <string>

#include "dialogs/win/SheetsDialog.h"

namespace quillon::app {

class MainController;

// The Sheets dialog's command: asks, keeps the choice for the window's runs
// and jobs, and saves it with the settings. A template's page setups are
// read on the CAD thread.
class SheetsCommand final : public dialogs::PageSetupLister {
public:
    explicit SheetsCommand(MainController& host) : host_(host) {}

    void command(HWND owner);
    void listPageSetups(const std::string& file, Done done) override;

private:
    MainController& host_;
};

}  // namespace quillon::app
