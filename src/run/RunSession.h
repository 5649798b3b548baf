#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "autocad/CadSession.h"
#include "autocad/CallMonitor.h"
#include "autocad/CallWatchdog.h"
#include "autocad/OwedVariables.h"
#include "base/TaskMailbox.h"

namespace quillon::run {

// One CAD session as the runs use it: the thread its calls are made on, the watch on those calls, and the
// application Quillon started for it. Giving up on a session is a cancellation: what it posts after is
// dropped, it is given no more work, and an application Quillon started for it is ended. Called on the
// window's thread, but for post().
class RunSession {
public:
    using Task = std::function<void(autocad::CadSession&)>;

    virtual ~RunSession() = default;
    virtual void post(Task task) = 0;
    virtual autocad::CallMonitor& monitor() = 0;
    virtual autocad::CallWatchdog& watchdog() = 0;
    // A number no other session of this program has: what a question about it is checked against later.
    virtual std::uint64_t id() const = 0;
    // Ends the application Quillon started for this session. True once it has ended.
    virtual bool endApplication() = 0;
    virtual bool canEndApplication() const = 0;
    // Whether its thread has ended.
    virtual bool ended() const = 0;
    virtual void giveUp() = 0;
    virtual bool givenUp() const = 0;
    // Lets the thread end once its work is done; it is not waited for here.
    virtual void release() = 0;
};

// What a new session is made with.
struct SessionSpec {
    // The window's mailbox: each session posts through a child of its own.
    std::shared_ptr<base::TaskMailbox> mailbox;
    autocad::CallWatchdog::Clock::duration announceAfter{};
    autocad::CallWatchdog::Clock::duration limit{};
    autocad::CallWatchdog::Clock::duration openLimit{};
    // Told on the window's thread when the session's thread meets an error it cannot go on from.
    std::function<void(const std::string&)> onFailure;
    std::shared_ptr<autocad::OwedVariables> owed;
};

// Makes the sessions the runs plot with (a thread and a connection to the CAD application each), and waits
// for their threads at the end.
class RunSessions {
public:
    virtual ~RunSessions() = default;
    virtual std::unique_ptr<RunSession> make(const SessionSpec& spec) = 0;
    // Waits, keeping the window answering, at most `bound` for every thread to end.
    virtual void waitForEnd(const std::vector<RunSession*>& sessions, std::chrono::milliseconds bound) = 0;
};

}  // namespace quillon::run
