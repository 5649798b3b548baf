#include "autocad/win/CadThread.h"

#include <objbase.h>

#include <atomic>
#include <deque>
#include <exception>
#include <mutex>
#include <string>

#include "base/Swallowed.h"
#include "win/ComInit.h"
#include "win/MessageFilter.h"

namespace quillon::autocad {

struct CadThread::Shared {
    SessionFactory factory;
    FailureHandler onFailure;
    mutable std::mutex mutex;
    std::deque<Task> tasks;
    bool quit = false;
    std::atomic<bool> abandoned{false};
    win::UniqueHandle wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};

    // The next task, or none when the thread is to end.
    bool next(Task& task) {
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (abandoned.load() || (quit && tasks.empty())) return false;
                if (!tasks.empty()) {
                    task = std::move(tasks.front());
                    tasks.pop_front();
                    return true;
                }
            }
            // An apartment must go on answering window messages while it waits.
            const HANDLE waitOn = wake.get();
            MsgWaitForMultipleObjectsEx(1, &waitOn, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }

    void report(const std::string& text) {
        if (abandoned.load() || !onFailure) return;
        try {
            onFailure(text);
        } catch (...) {
            base::swallowed("reporting is best effort: the thread must go on serving the next task");
        }
    }
};

CadThread::CadThread(SessionFactory factory, FailureHandler onFailure) : shared_(std::make_shared<Shared>()) {
    shared_->factory = std::move(factory);
    shared_->onFailure = std::move(onFailure);
    auto* handover = new std::shared_ptr<Shared>(shared_);
    thread_.reset(CreateThread(nullptr, 0, &CadThread::threadMain, handover, 0, nullptr));
    if (!thread_) {
        delete handover;
        shared_->quit = true;
    }
}

CadThread::~CadThread() {
    if (thread_) {
        // Whatever is still queued is dropped; a task in progress ends on its own.
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            shared_->tasks.clear();
            shared_->quit = true;
        }
        SetEvent(shared_->wake.get());
    }
}

DWORD WINAPI CadThread::threadMain(void* parameter) {
    std::shared_ptr<Shared> shared = std::move(*static_cast<std::shared_ptr<Shared>*>(parameter));
    delete static_cast<std::shared_ptr<Shared>*>(parameter);
    // Without COM its first call (the message filter's) fails, and that is reported like any other failure.
    const win::ComInit apartment(COINIT_APARTMENTTHREADED, std::nothrow);
    try {
        // The CAD application refuses calls while it is busy; the filter has them retried.
        win::MessageFilterScope messageFilter;
        std::unique_ptr<CadSession> session = shared->factory();
        Task task;
        while (shared->next(task)) {
            try {
                task(*session);
            } catch (...) {
                shared->report(base::describe(std::current_exception(), "an unknown error"));
            }
            task = nullptr;
        }
        // The proxies go with the apartment that made them.
        session.reset();
    } catch (...) {
        shared->report(base::describe(std::current_exception(), "an unknown error"));
    }
    return 0;
}

void CadThread::post(Task task) {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->quit || shared_->abandoned.load()) return;
        shared_->tasks.push_back(std::move(task));
    }
    SetEvent(shared_->wake.get());
}

void CadThread::abandon() {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->abandoned = true;
        shared_->tasks.clear();
    }
    SetEvent(shared_->wake.get());
}

bool CadThread::finish(DWORD timeoutMs) {
    if (!thread_ || shared_->abandoned.load()) return !thread_;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->quit = true;
    }
    SetEvent(shared_->wake.get());
    return WaitForSingleObject(thread_.get(), timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace quillon::autocad
