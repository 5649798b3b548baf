#pragma once

#include <memory>
#include <string>

#include "autocad/ConnectionUi.h"
#include "base/TaskMailbox.h"

namespace quillon::autocad {

// What connecting shows, posted from the CAD thread to the window's thread.
class PostingConnectionUi : public ConnectionUi {
public:
    PostingConnectionUi(std::shared_ptr<base::TaskMailbox> mailbox, ConnectionUi& target)
        : mailbox_(std::move(mailbox)), target_(target) {}

    void setStatus(const std::string& text) override {
        mailbox_->post([&target = target_, text] { target.setStatus(text); });
    }
    void hideMainWindow() override {
        mailbox_->post([&target = target_] { target.hideMainWindow(); });
    }
    void showMainWindow() override {
        mailbox_->post([&target = target_] { target.showMainWindow(); });
    }

private:
    std::shared_ptr<base::TaskMailbox> mailbox_;
    ConnectionUi& target_;
};

}  // namespace quillon::autocad
