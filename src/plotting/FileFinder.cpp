#include "plotting/FileFinder.h"

#include <set>
#include <vector>

#include "plotting/XrefPaths.h"

namespace quillon::plotting {

std::string FileFinder::findFile(const std::string& folder, const std::string& fileName) {
    if (xrefGet_) return {};
    std::set<base::FolderIdentity> visited;
    // Folders still to list, the next one last: the order of a depth-first
    // search that lists a folder completely before entering its sub-folders,
    // without recursion that a deep tree could overflow.
    std::vector<std::string> pending{withTrailingSeparator(folder)};
    while (!pending.empty() && !xrefGet_) {
        if (stopRequested_.load()) break;
        const std::string current = std::move(pending.back());
        pending.pop_back();
        if (const auto identity = files_.identity(current); identity && !visited.insert(*identity).second) continue;
        const auto entries = files_.list(current);
        if (!entries) continue;  // a folder that cannot be listed simply holds nothing found
        std::vector<std::string> subfolders;
        for (const auto& entry : *entries) {
            if (entry.isDirectory) {
                if (!entry.isReparsePoint) subfolders.push_back(current + entry.name + current.back());
            } else if (entry.name == fileName) {
                foundFile_ = current + entry.name;
                xrefGet_ = true;
                break;
            }
        }
        pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
    return xrefGet_ ? foundFile_ : NotFound;
}

}  // namespace quillon::plotting
