#include "discovery/DrawingSearch.h"

#include <optional>
#include <set>
#include <vector>

#include "base/Paths.h"
#include "discovery/NamePattern.h"
#include "discovery/RowTexts.h"

namespace quillon::discovery {

namespace {

bool isCandidateFolder(const base::DirEntry& entry) {
    if (!entry.isDirectory || entry.hidden || entry.system) return false;
    // A link may lead back to an ancestor; its target is searched where it really lives.
    if (entry.isReparsePoint) return false;
    if (entry.name.empty() || entry.name.front() == '.') return false;
    return hasNoExtension(entry.name);
}

bool isListedFile(const base::DirEntry& entry, const std::string& pattern) {
    return !entry.isDirectory && !entry.hidden && !entry.system && matchesPattern(entry.name, pattern);
}

}  // namespace

namespace {

// The listing is not needed afterwards: the row takes the entry's name.
DrawingRow rowFor(const SharedText& folder, base::DirEntry& entry, RowTexts& texts) {
    SharedText type = texts.type(entry.name);
    return DrawingRow{std::move(entry.name), folder, std::move(type), entry.size, entry.lastWriteTime};
}

}  // namespace

SearchSummary DrawingSearch::run(const SearchRequest& request) {
    SearchSummary summary;
    std::set<base::FolderIdentity> visited;
    struct Pending {
        std::string folder;
        // Known from the listing of the folder above, when it gives file indexes.
        std::optional<base::FolderIdentity> identity;
    };
    // Folders still to search, the next one last; an explicit stack because
    // extended-length paths allow trees far deeper than the call stack would like.
    std::vector<Pending> pending{{base::addBackslash(request.folder), std::nullopt}};
    std::vector<const base::DirEntry*> candidates;
    // A type's description is asked once per extension, not once per file.
    RowTexts texts(services_);

    while (!pending.empty() && !summary.stopped) {
        const Pending next = std::move(pending.back());
        const std::string& folder = next.folder;
        pending.pop_back();
        if (stopRequested()) {
            summary.stopped = true;
            break;
        }
        const auto identity = next.identity ? next.identity : services_.fileSystem.identity(folder);
        if (identity && !visited.insert(*identity).second) continue;
        ++summary.folders;
        // Before the listing, so a slow folder shows its name while it is read.
        sink_.setStatus(search_text::searching(folder));

        // The listing already says what each entry is and carries its size and
        // time, so no second look at each file is needed. A folder that cannot
        // be listed has no files and no sub-folders.
        auto entries = services_.fileSystem.list(folder);
        candidates.clear();
        if (entries) takeListing(folder, *entries, request, texts, summary, candidates);
        for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
            // A sub-folder reached without a link is on its folder's volume.
            std::optional<base::FolderIdentity> known;
            if (identity && (*it)->fileId != 0) known = base::FolderIdentity{identity->volume, (*it)->fileId};
            pending.push_back({folder + (*it)->name + '\\', known});
        }
    }

    showFound(request, summary);
    return summary;
}

void DrawingSearch::takeListing(const std::string& folder, std::vector<base::DirEntry>& entries,
                                const SearchRequest& request, RowTexts& texts, SearchSummary& summary,
                                std::vector<const base::DirEntry*>& subfolders) {
    // Made at the folder's first drawing, then held by all of its rows.
    SharedText folderText;
    bool folderTextMade = false;
    for (auto& entry : entries) {
        if (entry.isDirectory) {
            if (request.includeSubfolders && isCandidateFolder(entry)) subfolders.push_back(&entry);
        } else if (isListedFile(entry, request.pattern)) {
            if (!folderTextMade) {
                folderText = SharedText(folder);
                folderTextMade = true;
            }
            sink_.addRow(rowFor(folderText, entry, texts));
            ++summary.rows;
        }
        if (stopRequested()) {
            summary.stopped = true;
            return;
        }
    }
}

void DrawingSearch::showFound(const SearchRequest& request, const SearchSummary& summary) {
    // Each finished folder level would set these texts in turn; the outermost
    // folder's, which name the whole list, are the ones that last.
    sink_.setStatus("");
    if (summary.rows > 0) {
        sink_.setLabel(search_text::foundLabel(request.folder));
        sink_.setStatus(search_text::foundStatus(summary.rows));
    } else {
        sink_.setLabel(search_text::NoFiles);
        sink_.setStatus(search_text::NoFiles);
    }
}

}  // namespace quillon::discovery
