#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "discovery/DrawingRow.h"
#include "discovery/DrawingTexts.h"
#include "discovery/Formatters.h"

namespace quillon::discovery {

class RowTexts;

struct SearchRequest {
    std::string folder;  // the searched folder as the user chose it, with or without trailing backslash
    std::string pattern = search_text::Pattern;
    bool includeSubfolders = false;
};

// What a search consults. The search may run on a worker thread, and a
// stopped search may still be ending while the next one starts: every
// service must be safe to use from several threads at once.
struct SearchServices {
    base::FileSystem& fileSystem;
    const NumberFormatter& numbers;
    const DateTimeFormatter& dates;
    const FileTypeNames& types;
};

// Where a search puts its results, called on the thread that runs it.
class SearchSink {
public:
    virtual ~SearchSink() = default;
    virtual void addRow(DrawingRow row) = 0;
    virtual void setStatus(const std::string& text) = 0;  // the Status label
    virtual void setLabel(const std::string& text) = 0;   // the label above the list
};

struct SearchSummary {
    std::size_t rows = 0;
    std::size_t folders = 0;
    bool stopped = false;
    std::string failure;  // what ended the search early, if anything did
};

// One search of a folder tree. Rows of a folder come in the listing's order
// before those of its sub-folders, which are searched depth first in the
// listing's order. Only files whose own name matches the pattern are listed;
// hidden and system entries are passed over; a sub-folder is searched only
// when asked for, when its name has no dot, when it is no junction or
// symbolic link, and when this search has not been in it yet by another path.
// The stop flag is read after every entry: once it is set, the whole search
// ends, not just the folder in hand.
class DrawingSearch {
public:
    DrawingSearch(const SearchServices& services, SearchSink& sink, const std::atomic<bool>& stopRequested)
        : services_(services), sink_(sink), stop_(stopRequested) {}

    // Ends with the result texts: the label and status naming what was found,
    // or "No Files Found. Try Again" in both; a stopped search reports what it
    // had found so far the same way.
    SearchSummary run(const SearchRequest& request);

private:
    bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }
    // Shows the folder's drawings in its listing's order and collects the sub-folders to search.
    void takeListing(const std::string& folder, std::vector<base::DirEntry>& entries, const SearchRequest& request,
                     RowTexts& texts, SearchSummary& summary, std::vector<const base::DirEntry*>& subfolders);
    // The label and status that name what the search found.
    void showFound(const SearchRequest& request, const SearchSummary& summary);

    SearchServices services_;
    SearchSink& sink_;
    const std::atomic<bool>& stop_;
};

}  // namespace quillon::discovery
