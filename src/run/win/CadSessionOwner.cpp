#include "run/win/CadSessionOwner.h"

#include <utility>

#include "autocad/CadSession.h"
#include "discovery/win/WinFileSystem.h"
#include "win/UniqueResource.h"

namespace quillon::run {

// The process of the application Quillon started for the session: opened on
// the CAD thread the moment its id is known, while it surely still runs.
struct CadSessionOwner::Process {
    std::mutex mutex;
    win::UniqueHandle handle;
    std::uint32_t id = 0;

    void set(std::optional<std::uint32_t> process, bool startedByQuillon) {
        std::lock_guard<std::mutex> lock(mutex);
        const std::uint32_t wanted = startedByQuillon && process ? *process : 0;
        if (wanted == id && (handle || wanted == 0)) return;
        handle.reset();
        id = wanted;
        if (wanted) handle.reset(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, wanted));
    }
    bool end(DWORD waitMs = 0) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!handle) return false;
        if (WaitForSingleObject(handle.get(), 0) == WAIT_OBJECT_0) return true;
        // A refusal is tried again at the next tick; the handle keeps the id from naming another process.
        if (!TerminateProcess(handle.get(), 1)) return false;
        return waitMs == 0 || WaitForSingleObject(handle.get(), waitMs) == WAIT_OBJECT_0;
    }
};

namespace {

std::atomic<std::uint64_t> nextSessionId{1};

}  // namespace

CadSessionOwner::CadSessionOwner(std::shared_ptr<base::TaskMailbox> windowMail,
                                 std::shared_ptr<autocad::CadLauncher> launcher, autocad::ConnectionUi& window,
                                 autocad::CallWatchdog::Clock::duration announceAfter,
                                 autocad::CallWatchdog::Clock::duration limit,
                                 autocad::CallWatchdog::Clock::duration openLimit, FailureHandler onFailure,
                                 std::shared_ptr<autocad::OwedVariables> owed)
    : id_(nextSessionId++),
      mailbox_(base::TaskMailbox::childOf(std::move(windowMail))),
      monitor_(std::make_shared<autocad::CallMonitor>()),
      process_(std::make_shared<Process>()),
      watchdog_(announceAfter, limit, openLimit) {
    monitor_->observeServer([process = process_](std::optional<std::uint32_t> id, bool startedByQuillon) {
        process->set(id, startedByQuillon);
    });
    // Asked on the CAD thread, which goes on with the application gone: bounded, so it never waits for long.
    monitor_->endServerWith([process = process_] { return process->end(5000); });
    auto mailbox = mailbox_;
    auto monitor = monitor_;
    autocad::ConnectionUi* ui = &window;
    // The thread holds only what it shares: nothing of it points into the window or the program's stack,
    // apart from the window's ConnectionUi, which only tasks run on the window's thread reach.
    thread_ = std::make_unique<autocad::CadThread>(
        [mailbox, monitor, launcher, ui, owed]() -> std::unique_ptr<autocad::CadSession> {
            struct Session : autocad::CadSession {
                discovery::WinFileSystem files;
                std::shared_ptr<autocad::CadLauncher> keep;
                Session(std::shared_ptr<autocad::CadLauncher> l, std::shared_ptr<base::TaskMailbox> m,
                        autocad::ConnectionUi& w, std::shared_ptr<autocad::CallMonitor> c,
                        std::shared_ptr<autocad::OwedVariables> o)
                    : autocad::CadSession(*l, std::move(m), w, std::move(c), files, std::move(o)), keep(std::move(l)) {}
            };
            return std::make_unique<Session>(launcher, mailbox, *ui, monitor, owed);
        },
        std::move(onFailure));
}

CadSessionOwner::~CadSessionOwner() {
    mailbox_->close();
    // A thread still inside a call ends by itself if the call ever returns.
    if (givenUp_) thread_->abandon();
}

void CadSessionOwner::post(Task task) {
    if (!givenUp_) thread_->post(std::move(task));
}

bool CadSessionOwner::endApplication() {
    // Marked first: the hung call fails the moment the process goes, and its drawing must say why.
    monitor_->markEndedByWatchdog();
    if (process_->end()) return true;
    monitor_->takeEndedByWatchdog();
    return false;
}

bool CadSessionOwner::canEndApplication() const {
    std::lock_guard<std::mutex> lock(process_->mutex);
    return process_->handle.valid();
}

bool CadSessionOwner::ended() const {
    HANDLE thread = thread_->handle();
    return !thread || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

void CadSessionOwner::giveUp() {
    if (givenUp_) return;
    givenUp_ = true;
    mailbox_->close();
    thread_->abandon();
    // An application Quillon started is never left behind with a drawing open.
    process_->end();
}

void CadSessionOwner::release() { thread_->finish(0); }

void CadSessionOwner::waitForEnd(const std::vector<CadSessionOwner*>& owners, std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    std::vector<HANDLE> threads;
    for (CadSessionOwner* owner : owners)
        if (owner && owner->thread_->handle()) threads.push_back(owner->thread_->handle());
    while (!threads.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        const DWORD waited = MsgWaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), FALSE,
                                                       static_cast<DWORD>(left.count()), QS_ALLINPUT);
        if (waited < WAIT_OBJECT_0 + threads.size()) {
            threads.erase(threads.begin() + (waited - WAIT_OBJECT_0));
            continue;
        }
        if (waited != WAIT_OBJECT_0 + threads.size()) return;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace quillon::run
