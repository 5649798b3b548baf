#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "autocad/CadLauncher.h"
#include "autocad/CallMonitor.h"
#include "autocad/CallWatchdog.h"
#include "autocad/ConnectionUi.h"
#include "autocad/OwedVariables.h"
#include "autocad/win/CadThread.h"
#include "base/TaskMailbox.h"
#include "run/RunSession.h"

namespace quillon::run {

// One CAD session and all that lives as long as it: the thread its calls are
// made on, the mailbox its work posts to the window through, the watch on its
// calls, and the process of an application Quillon started for it, held by
// handle from the moment it is known (an id kept across time may by then name
// another process).
//
// Giving up on a session is a cancellation: its mailbox closes (whatever it
// posts after is dropped), its stop token is set (its run takes nothing
// more), an application Quillon started for it is ended, and its thread is
// no longer given work. The thread itself may still be inside a call; it is
// waited for, bounded, when the program ends (waitForEnd).
class CadSessionOwner final : public RunSession {
public:
    using FailureHandler = autocad::CadThread::FailureHandler;

    CadSessionOwner(std::shared_ptr<base::TaskMailbox> windowMail, std::shared_ptr<autocad::CadLauncher> launcher,
                    autocad::ConnectionUi& window, autocad::CallWatchdog::Clock::duration announceAfter,
                    autocad::CallWatchdog::Clock::duration limit, autocad::CallWatchdog::Clock::duration openLimit,
                    FailureHandler onFailure,
                    std::shared_ptr<autocad::OwedVariables> owed = nullptr);
    ~CadSessionOwner() override;
    CadSessionOwner(const CadSessionOwner&) = delete;
    CadSessionOwner& operator=(const CadSessionOwner&) = delete;

    void post(Task task) override;
    const std::shared_ptr<base::TaskMailbox>& mailbox() const { return mailbox_; }
    autocad::CallMonitor& monitor() override { return *monitor_; }
    autocad::CallWatchdog& watchdog() override { return watchdog_; }
    std::uint64_t id() const override { return id_; }

    // Ends the application Quillon started for this session, by its handle. True once it has ended.
    bool endApplication() override;
    bool canEndApplication() const override;
    bool ended() const override;
    void giveUp() override;
    bool givenUp() const override { return givenUp_; }
    void release() override;
    // Waits, pumping the window's messages, at most until the deadline for every thread to end.
    static void waitForEnd(const std::vector<CadSessionOwner*>& owners, std::chrono::milliseconds bound);

private:
    struct Process;

    std::uint64_t id_;
    std::shared_ptr<base::TaskMailbox> mailbox_;
    std::shared_ptr<autocad::CallMonitor> monitor_;
    std::shared_ptr<Process> process_;
    autocad::CallWatchdog watchdog_;
    std::unique_ptr<autocad::CadThread> thread_;
    bool givenUp_ = false;
};

}  // namespace quillon::run
