#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "discovery/DrawingSearch.h"

namespace quillon::discovery {

// What a search produced since the last look: rows in order, the latest
// texts, and its end once it has ended.
struct SearchUpdates {
    std::vector<DrawingRow> rows;
    std::optional<std::string> status;
    std::optional<std::string> label;
    std::optional<SearchSummary> finished;
    bool empty() const { return rows.empty() && !status && !label && !finished; }
};

// Runs searches on a worker thread so the window keeps painting and the stop
// button is delivered. The worker collects its results in a mailbox and calls
// wake (from the worker thread) whenever the mailbox turns non-empty; the
// window then calls takeUpdates on its own thread, typically in answer to a
// message that wake posted. Starting a new search stops the running one and
// drops whatever it still produces.
class SearchRunner {
public:
    SearchRunner(SearchServices services, std::function<void()> wake);
    // Stops every search and waits for its thread, which is at most one
    // file-system call away from noticing.
    ~SearchRunner();
    SearchRunner(const SearchRunner&) = delete;
    SearchRunner& operator=(const SearchRunner&) = delete;

    void start(SearchRequest request);
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
