#pragma once

#include <windows.h>

#include <memory>

#include "base/TaskMailbox.h"
#include "win/BaseWindow.h"

namespace quillon::win {

// A message-only window that runs a mailbox's tasks on the thread that made
// it: any thread posts, this window's thread runs them. Made before anything
// can post, it is woken by whatever message loop its thread is in (the
// borrowed folder dialog's as much as the program's own), so nothing posted
// waits for the main window or its folder tree to be ready.
class MailboxWindow final : public BaseWindow {
public:
    // Throws WinError when the window cannot be made.
    MailboxWindow();
    // Closes the mailbox first: what is posted later is dropped, not delivered to a window that is gone.
    ~MailboxWindow() override;

    const std::shared_ptr<base::TaskMailbox>& mailbox() const { return mailbox_; }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::shared_ptr<base::TaskMailbox> mailbox_;
};

}  // namespace quillon::win
