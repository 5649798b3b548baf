#include "discovery/SearchRunner.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace quillon::discovery {

struct SearchRunner::Job : SearchSink {
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::mutex mutex;
    SearchUpdates pending;  // guarded by mutex
    bool dropped = false;   // guarded by mutex
    std::function<void()> wake;
    std::thread thread;

    // Runs fill under the lock and wakes the window when the mailbox was empty before.
    template <class Fill>
    void post(Fill&& fill) {
        bool wasEmpty = false;
        {
            std::lock_guard lock(mutex);
            if (dropped) return;
            wasEmpty = pending.empty();
            fill(pending);
        }
        if (wasEmpty && wake) wake();
    }

    void addRow(DrawingRow row) override {
        post([&](SearchUpdates& u) { u.rows.push_back(std::move(row)); });
    }
    void setStatus(const std::string& text) override {
        post([&](SearchUpdates& u) { u.status = text; });
    }
    void setLabel(const std::string& text) override {
        post([&](SearchUpdates& u) { u.label = text; });
    }

    void run(const SearchServices& services, const SearchRequest& request) {
        SearchSummary summary;
        try {
            summary = DrawingSearch(services, *this, stop).run(request);
        } catch (const std::exception& error) {
            // The thread must end with its summary whatever broke, or the window would wait for ever.
            summary.failure = error.what();
        } catch (...) {
            summary.failure = "unknown failure";
        }
        post([&](SearchUpdates& u) { u.finished = summary; });
        done = true;
    }
};

SearchRunner::SearchRunner(SearchServices services, std::function<void()> wake)
    : services_(services), wake_(std::move(wake)) {}

SearchRunner::~SearchRunner() {
    if (current_) retired_.push_back(std::move(current_));
    for (auto& job : retired_) job->stop = true;
    for (auto& job : retired_)
        if (job->thread.joinable()) job->thread.join();
}

void SearchRunner::start(SearchRequest request) {
    if (current_) {
        current_->stop = true;
        {
            std::lock_guard lock(current_->mutex);
            current_->dropped = true;
            current_->pending = {};
        }
        retired_.push_back(std::move(current_));
    }
    reapFinished();

    current_ = std::make_unique<Job>();
    current_->wake = wake_;
    Job* job = current_.get();
    // The job outlives its thread: it is joined before it is destroyed.
    job->thread =
        std::thread([job, services = services_, request = std::move(request)] { job->run(services, request); });
    running_ = true;
}

void SearchRunner::requestStop() {
    if (current_) current_->stop = true;
}

SearchUpdates SearchRunner::takeUpdates() {
    SearchUpdates updates;
    if (current_) {
        std::lock_guard lock(current_->mutex);
        updates = std::move(current_->pending);
        current_->pending = {};
    }
    if (updates.finished) running_ = false;
    reapFinished();
    return updates;
}

void SearchRunner::reapFinished() {
    for (auto& job : retired_)
        if (job->done && job->thread.joinable()) job->thread.join();
    // Only joined threads go: one that ends meanwhile waits for the next look.
    std::erase_if(retired_, [](const std::unique_ptr<Job>& job) { return !job->thread.joinable(); });
}

}  // namespace quillon::discovery
