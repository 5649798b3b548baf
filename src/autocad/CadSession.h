#pragma once

#include <memory>

#include "autocad/CadConnection.h"
#include "autocad/CallMonitor.h"
#include "autocad/PostingConnectionUi.h"
#include "base/FileSystem.h"
#include "base/TaskMailbox.h"

namespace quillon::autocad {

// Everything that lives on one CAD thread: the connection to the CAD
// application, made and used only there, what it shows posted to the
// window, and the monitor through which the window watches its calls.
class CadSession {
public:
    CadSession(CadLauncher& launcher, std::shared_ptr<base::TaskMailbox> mailbox, ConnectionUi& window,
               std::shared_ptr<CallMonitor> monitor, base::FileSystem& files,
               std::shared_ptr<OwedVariables> owed = nullptr)
        : mailbox_(mailbox), ui_(std::move(mailbox), window), connection_(launcher, ui_, std::move(monitor)),
          files_(files) {
        if (owed) connection_.keepOwedIn(std::move(owed));
    }
    CadSession(const CadSession&) = delete;
    CadSession& operator=(const CadSession&) = delete;

    CadConnection& connection() { return connection_; }
    base::FileSystem& files() { return files_; }
    // The window's mailbox: what the session's work shows is posted here.
    const std::shared_ptr<base::TaskMailbox>& mailbox() const { return mailbox_; }
    // Once the application could not be started, or the command line's job was refused before it was, the
    // program is ending: later work must not start it (each try takes seconds, and a refused job starts nothing).
    bool leaving() const { return leaving_; }
    void noteLeaving() { leaving_ = true; }

private:
    std::shared_ptr<base::TaskMailbox> mailbox_;
    PostingConnectionUi ui_;
    CadConnection connection_;
    base::FileSystem& files_;
    bool leaving_ = false;
};

}  // namespace quillon::autocad
