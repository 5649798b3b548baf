#include "autocad/win/CadThread.h"

#include <objbase.h>

#include <atomic>
#include <deque>
#include <exception>
#include <mutex>
#include <string>

#include "base/Swallowed.h"
#include "win/MessageFilter.h"

namespace quillon::autocad {

struct CadThread::Shared {
    SessionFactory factory;
    FailureHandler onFailure;
    mutable std::mutex mutex;
    std::deque<Job> jobs;
    bool quit = false;
    std::atomic<bool> abandoned{false};
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);

    ~Shared() {
        if (wake) CloseHandle(wake);
    }

    // The next job, or none when the thread is to end.
    bool next(Job& job) {
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (abandoned.load() || (quit && jobs.empty())) return false;
                if (!jobs.empty()) {
                    job = std::move(jobs.front());
                    jobs.pop_front();
                    return true;
                }
            }
            // An apartment must go on answering window messages while it waits.
            MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
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
            base::swallowed("reporting is best effort: the thread must go on serving the next job");
        }
    }
};

CadThread::CadThread(SessionFactory factory, FailureHandler onFailure) : shared_(std::make_shared<Shared>()) {
    shared_->factory = std::move(factory);
    shared_->onFailure = std::move(onFailure);
    auto* handover = new std::shared_ptr<Shared>(shared_);
    thread_ = CreateThread(nullptr, 0, &CadThread::threadMain, handover, 0, nullptr);
    if (!thread_) {
        delete handover;
        shared_->quit = true;
    }
}

CadThread::~CadThread() {
    if (thread_) {
        // Whatever is still queued is dropped; a job in progress ends on its own.
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            shared_->jobs.clear();
            shared_->quit = true;
        }
        SetEvent(shared_->wake);
        CloseHandle(thread_);
    }
}

DWORD WINAPI CadThread::threadMain(void* parameter) {
    std::shared_ptr<Shared> shared = std::move(*static_cast<std::shared_ptr<Shared>*>(parameter));
    delete static_cast<std::shared_ptr<Shared>*>(parameter);
    HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        // The CAD application refuses calls while it is busy; the filter has them retried.
        win::MessageFilterScope messageFilter;
        std::unique_ptr<CadSession> session = shared->factory();
        Job job;
        while (shared->next(job)) {
            try {
                job(*session);
            } catch (...) {
                shared->report(base::describe(std::current_exception(), "an unknown error"));
            }
            job = nullptr;
        }
        // The proxies go with the apartment that made them.
        session.reset();
    } catch (...) {
        shared->report(base::describe(std::current_exception(), "an unknown error"));
    }
    if (SUCCEEDED(initialized)) CoUninitialize();
    return 0;
}

void CadThread::post(Job job) {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->quit || shared_->abandoned.load()) return;
        shared_->jobs.push_back(std::move(job));
    }
    SetEvent(shared_->wake);
}

void CadThread::abandon() {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->abandoned = true;
        shared_->jobs.clear();
    }
    SetEvent(shared_->wake);
}

bool CadThread::finish(DWORD timeoutMs) {
    if (!thread_ || shared_->abandoned.load()) return !thread_;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->quit = true;
    }
    SetEvent(shared_->wake);
    return WaitForSingleObject(thread_, timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace quillon::autocad
