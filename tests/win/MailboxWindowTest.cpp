#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <thread>
#include <vector>

#include "win/MailboxWindow.h"

namespace quillon::win {
namespace {

// Pumps whatever the thread has until `done` or `ms` have passed, as any loop of the thread (a modal one too) does.
void pumpUntil(const bool& done, ULONGLONG ms) {
    for (const ULONGLONG end = GetTickCount64() + ms; !done && GetTickCount64() < end;) {
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        DispatchMessageW(&message);
    }
}

TEST(MailboxWindow, TasksPostedFromAnyThreadRunOnItsThreadInOrderAndNoneAfterItIsGone) {
    std::vector<int> ran;
    std::vector<DWORD> threads;
    bool done = false;
    std::shared_ptr<base::TaskMailbox> kept;
    {
        MailboxWindow mail;
        kept = mail.mailbox();
        std::thread poster([&] {
            for (int i = 0; i < 3; ++i)
                mail.mailbox()->post([&, i] {
                    ran.push_back(i);
                    threads.push_back(GetCurrentThreadId());
                    done = i == 2;
                });
        });
        poster.join();
        // No main window and no program loop yet: any loop on this thread delivers them.
        pumpUntil(done, 10000);
    }
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
    for (DWORD thread : threads) EXPECT_EQ(thread, GetCurrentThreadId());
    // A worker that outlives the window posts into a closed mailbox: dropped, never run.
    EXPECT_FALSE(kept->post([&] { ran.push_back(3); }));
    bool never = false;
    pumpUntil(never, 200);
    EXPECT_EQ(ran.size(), 3u);
}

}  // namespace
}  // namespace quillon::win
