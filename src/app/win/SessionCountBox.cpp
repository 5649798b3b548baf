#include "app/win/SessionCountBox.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/MainSettings.h"
#include "app/win/ControlIds.h"
#include "app/win/MainWindow.h"
#include "app/win/PaneHost.h"
#include "win/Utf.h"

namespace quillon::app {

void SessionCountBox::load(std::optional<int> commandLine) {
    sessions_ = loadCadSessions(settings_);
    override_ = commandLine;
    show(runSessions());
}

void SessionCountBox::show(int sessions) {
    showing_ = true;
    host_.window().setText(ids::TxtSessions, std::to_wstring(sessions));
    SendMessageW(host_.window().control(ids::SpnSessions), UDM_SETPOS32, 0, sessions);
    showing_ = false;
}

void SessionCountBox::applyJob(std::optional<int> sessions) {
    if (!sessions || override_) return;
    show(*sessions);
    sessions_ = *sessions;
}

void SessionCountBox::changed() {
    if (showing_) return;
    const std::string text = win::toUtf8(host_.window().text(ids::TxtSessions));
    const auto sessions = wholeNumberIn(text, 1, MaxCadSessions);
    if (!sessions) {
        // Emptied to type another number: wait for it. Out of range: the last good number comes back.
        if (!text.empty()) {
            MessageBeep(MB_OK);
            show(runSessions());
        }
        return;
    }
    sessions_ = static_cast<int>(*sessions);
    // The user's choice now counts, over what the command line said.
    override_.reset();
    try {
        saveCadSessions(settings_, sessions_);
    } catch (const std::exception& error) {
        host_.setStatus(std::string("\r\nThe number of CAD sessions could not be saved: ") + error.what());
    }
}

}  // namespace quillon::app
