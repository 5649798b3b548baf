#include "win/MailboxWindow.h"

namespace quillon::win {

namespace {

constexpr wchar_t kClassName[] = L"QuillonMailbox";
constexpr UINT kDrainMessage = WM_APP + 1;

}  // namespace

MailboxWindow::MailboxWindow() {
    create(kClassName, L"", 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
    mailbox_ = std::make_shared<base::TaskMailbox>([window = hwnd()] { PostMessageW(window, kDrainMessage, 0, 0); });
}

MailboxWindow::~MailboxWindow() { mailbox_->close(); }

LRESULT MailboxWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDrainMessage) {
        mailbox_->drain();
        return 0;
    }
    return BaseWindow::handleMessage(message, wParam, lParam);
}

}  // namespace quillon::win
