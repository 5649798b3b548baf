#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "autocad/CadSession.h"
#include "win/UniqueResource.h"

namespace quillon::autocad {

// The thread that owns one CAD session: a COM single-threaded apartment
// with its own message loop, on which every automation call of that session
// is made. The window's thread hands it work and never waits on it; what the
// work shows comes back through the session's mailbox.
//
// A thread whose call hangs in a CAD application that Quillon must not end
// is abandoned: it is no longer waited on or given work, and it ends by
// itself if the call ever returns. Nothing of it is joined from the window.
class CadThread {
public:
    using Task = std::function<void(CadSession&)>;
    using SessionFactory = std::function<std::unique_ptr<CadSession>()>;
    // Called on the CAD thread when a task ends with an exception it did not handle.
    using FailureHandler = std::function<void(const std::string&)>;

    CadThread(SessionFactory factory, FailureHandler onFailure);
    ~CadThread();
    CadThread(const CadThread&) = delete;
    CadThread& operator=(const CadThread&) = delete;

    void post(Task task);
    // Gives the thread up: nothing more runs on it, and it is not waited for.
    void abandon();
    // Lets the thread end once its work is done, waiting at most timeoutMs.
    // True when it ended.
    bool finish(DWORD timeoutMs);
    // The thread, for a bounded wait at exit (also once abandoned); none when it could not be created.
    HANDLE handle() const { return thread_.get(); }

private:
    struct Shared;
    static DWORD WINAPI threadMain(void* parameter);

    std::shared_ptr<Shared> shared_;
    // Closing it leaves the thread running: it is told to end through shared_, and waited for
    // (bounded) through handle() before its owner goes.
    win::UniqueHandle thread_;
};

}  // namespace quillon::autocad
