#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "discovery/DrawingSearch.h"

namespace quillon::discovery {

// What a search produced since the last look: rows in order, in the batches
// the worker handed them over in (the list keeps them so), the latest texts,
// and its end once it has ended.
struct SearchUpdates {
    std::vector<std::vector<DrawingRow>> batches;
    std::optional<std::string> status;
    std::optional<std::string> label;
    std::optional<SearchSummary> finished;
    bool empty() const { return batches.empty() && !status && !label && !finished; }
};

// Runs searches on a worker thread so the window keeps painting and the stop
// button is delivered. The worker collects its results in a mailbox, a
// folder's rows at a time, and calls wake (from the worker thread) when the
// first rows are there and when the search has ended; the window calls
// takeUpdates on its own thread in answer to a message that wake posted, and
// at a steady pace of its own while the search runs. Starting a new search
// stops the running one and drops whatever it still produces.
class SearchRunner {
public:
    SearchRunner(SearchServices services, std::function<void()> wake);
    // Stops every search and waits for its thread, which is at most one
    // file-system call away from noticing.
    ~SearchRunner();
    SearchRunner(const SearchRunner&) = delete;
    SearchRunner& operator=(const SearchRunner&) = delete;

    // A listing of the worker's own: what it finds goes to the sink, and it reads the stop flag as a
    // search does. Stop, abandon and the next start reach it as they reach a search.
    using Work = std::function<SearchSummary(const SearchServices&, SearchSink&, const std::atomic<bool>& stop)>;

    void start(SearchRequest request);
    void start(Work work);
    // Stops the search and drops whatever it still produces: it ends now, for the window.
    void abandon();
    // The stop button: the whole search ends after the entry in hand.
    void requestStop();
    // From start until takeUpdates has handed over the search's end.
    bool running() const { return running_; }
    SearchUpdates takeUpdates();

private:
    struct Job;
    void reapFinished();

    SearchServices services_;
    std::function<void()> wake_;
    std::unique_ptr<Job> current_;
    // Stopped searches whose threads have not ended yet.
    std::vector<std::unique_ptr<Job>> retired_;
    bool running_ = false;
};

}  // namespace quillon::discovery
