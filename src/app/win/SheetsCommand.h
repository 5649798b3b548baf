#pragma once

#include <windows.h>

#include <string>

#include "app/SheetChoice.h"
#include "app/SettingsStore.h"
#include "run/CadWork.h"
#include "app/win/PaneHost.h"
#include "dialogs/win/SheetsDialog.h"

namespace quillon::app {

// The Sheets dialog's command: asks, keeps the choice for the window's runs
// and jobs, and saves it with the settings. A template's page setups are
// read on the CAD thread.
class SheetsCommand final : public dialogs::PageSetupLister {
public:
    SheetsCommand(PaneHost& host, SheetChoice& sheets, SettingsStore& settings, run::CadWork& cad)
        : host_(host), sheets_(sheets), settings_(settings), cad_(cad) {}

    void command(HWND owner);
    void listPageSetups(const std::string& file, Done done) override;

private:
    PaneHost& host_;
    SheetChoice& sheets_;
    SettingsStore& settings_;
    run::CadWork& cad_;
};

}  // namespace quillon::app
