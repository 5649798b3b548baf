#include "discovery/SearchRunner.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "base/Swallowed.h"

namespace quillon::discovery {

namespace {
// A folder of many drawings still shows its rows as the search goes through it.
constexpr std::size_t MaxRowsHeldBack = 256;
// Room made for a folder's rows at its first: most folders hold fewer.
constexpr std::size_t FirstRoomHeldBack = 64;

}  // namespace

struct SearchRunner::Job : SearchSink {
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::mutex mutex;
    // Guarded by mutex. Its rows wait in the batches they were handed over in:
    // the worker never moves rows it has handed over.
    SearchUpdates pending;
    bool dropped = false;                          // guarded by mutex
    std::function<void()> wake;
    std::thread thread;
    // The worker's own: rows not yet in the mailbox, and whether any have gone there.
    std::vector<DrawingRow> heldBack;
    bool rowsHandedOver = false;

    // Runs fill under the lock, together with the rows held back. The window
    // is woken for the first rows, so they show at once, and for the end;
    // in between it looks at its own steady pace.
    template <class Fill>
    void post(Fill&& fill, bool wakeWindow) {
        const bool firstRows = !rowsHandedOver && !heldBack.empty();
        {
            std::lock_guard lock(mutex);
            if (dropped) {
                heldBack.clear();
                return;
            }
            if (!heldBack.empty()) pending.batches.push_back(std::move(heldBack));
            fill(pending);
        }
        heldBack.clear();  // what a move leaves is only known to be valid
        rowsHandedOver = rowsHandedOver || firstRows;
        if ((wakeWindow || firstRows) && wake) wake();
    }

    void addRow(DrawingRow row) override {
        // The vector handed over last is the window's now: this one starts
        // with room, as growing from nothing would move its rows again and again.
        if (heldBack.empty()) heldBack.reserve(FirstRoomHeldBack);
        heldBack.push_back(std::move(row));
        if (heldBack.size() >= MaxRowsHeldBack) post([](SearchUpdates&) {}, false);
    }
    // The status changes as each folder starts: the rows of the folder before go with it.
    void setStatus(const std::string& text) override {
        post([&](SearchUpdates& u) { u.status = text; }, false);
    }
    void setLabel(const std::string& text) override {
        post([&](SearchUpdates& u) { u.label = text; }, false);
    }

    void run(const SearchServices& services, const Work& work) {
        SearchSummary summary;
        try {
            summary = work(services, *this, stop);
        } catch (...) {
            // The thread must end with its summary whatever broke, or the window would wait for ever.
            summary.failure = base::describe(std::current_exception(), "unknown failure");
        }
        post(
            [&](SearchUpdates& u) {
                // Status would otherwise keep naming the folder the search was in.
                if (!summary.failure.empty()) u.status = search_text::failed(summary.failure);
                u.finished = summary;
            },
            true);
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
    start([request = std::move(request)](const SearchServices& services, SearchSink& sink,
                                         const std::atomic<bool>& stop) {
        return DrawingSearch(services, sink, stop).run(request);
    });
}

void SearchRunner::start(Work work) {
    abandon();

    current_ = std::make_unique<Job>();
    current_->wake = wake_;
    Job* job = current_.get();
    // The job outlives its thread: it is joined before it is destroyed.
    job->thread = std::thread([job, services = services_, work = std::move(work)] { job->run(services, work); });
    running_ = true;
}

void SearchRunner::abandon() {
    if (current_) {
        current_->stop = true;
        {
            std::lock_guard lock(current_->mutex);
            current_->dropped = true;
            current_->pending = {};
        }
        retired_.push_back(std::move(current_));
    }
    running_ = false;
    reapFinished();
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
