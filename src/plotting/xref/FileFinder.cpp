#include "plotting/xref/FileFinder.h"

#include <set>
#include <vector>

#include "base/Paths.h"
#include "plotting/xref/XrefPaths.h"

namespace quillon::plotting {

namespace {

// How many of the candidate's last folders are the stored path's last folders, in order.
std::size_t trailingMatch(const std::vector<std::string>& candidate, const std::vector<std::string>& stored) {
    std::size_t same = 0;
    while (same < candidate.size() && same < stored.size() &&
           base::samePath(candidate[candidate.size() - 1 - same], stored[stored.size() - 1 - same]))
        ++same;
    return same;
}

}  // namespace

std::string FileFinder::findFile(const std::string& folder, const std::string& fileName) {
    if (xrefGet_) return {};
    std::set<base::FolderIdentity> visited;
    const std::vector<std::string> stored = folderNamesOf(storedPath_);
    std::size_t bestMatch = 0;
    std::size_t listed = 0;
    // Folders still to list, the next one last: the order of a depth-first
    // search that lists a folder completely before entering its sub-folders,
    // without recursion that a deep tree could overflow.
    std::vector<std::string> pending{withTrailingSeparator(folder)};
    while (!pending.empty() && listed < ListingLimit) {
        if (stopRequested_.load()) break;
        const std::string current = std::move(pending.back());
        pending.pop_back();
        if (const auto identity = files_.identity(current); identity && !visited.insert(*identity).second) continue;
        const auto entries = files_.list(current);
        if (!entries) continue;  // a folder that cannot be listed simply holds nothing found
        listed += entries->size();
        std::vector<std::string> subfolders;
        for (const auto& entry : *entries) {
            if (entry.isDirectory) {
                if (!entry.isReparsePoint) subfolders.push_back(current + entry.name + current.back());
            } else if (base::samePath(entry.name, fileName)) {
                const std::size_t match = trailingMatch(folderNamesOf(current), stored);
                if (!xrefGet_ || match > bestMatch) {
                    foundFile_ = current + entry.name;
                    bestMatch = match;
                }
                xrefGet_ = true;
            }
        }
        // Nothing can match better than every stored folder: the search is over.
        if (xrefGet_ && (stored.empty() || bestMatch == stored.size())) break;
        pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
    return xrefGet_ ? foundFile_ : NotFound;
}

}  // namespace quillon::plotting
