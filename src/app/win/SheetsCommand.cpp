#include "app/win/SheetsCommand.h"

#include "app/win/PaneHost.h"
#include "autocad/CadSession.h"
#include "plotting/sheets/PageSetupList.h"

namespace quillon::app {

void SheetsCommand::command(HWND owner) {
    dialogs::SheetsDialog dialog(sheets_, *this);
    const auto chosen = dialog.ask(owner);
    if (!chosen) return;
    sheets_ = *chosen;
    try {
        chosen->save(settings_);
    } catch (const std::exception& error) {
        // The choice stands for this session; the user is told it will not be there next time.
        host_.showInformation("Sheets", std::string("The sheet settings could not be saved: ") + error.what());
    }
}

void SheetsCommand::listPageSetups(const std::string& file, Done done) {
    cad_.postCad([file, done = std::move(done)](autocad::CadSession& session) {
        std::vector<plotting::PageSetupName> setups;
        std::string error;
        try {
            setups = plotting::pageSetupsOf(session.connection(), file);
        } catch (const automation::AutomationError& failure) {
            error = failure.description().empty() ? failure.what() : failure.description();
        }
        session.mailbox()->post([done, setups, error] { done(setups, error); });
    });
}

}  // namespace quillon::app
