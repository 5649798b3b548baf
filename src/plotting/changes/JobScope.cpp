#include "plotting/changes/JobScope.h"

#include <utility>

#include "base/Paths.h"

namespace quillon::plotting {

namespace {

// The folder a path lies in, without its separator.
std::string folderPart(const std::string& path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace

JobScope::JobScope(const std::vector<std::string>& listing, const std::string& listedFolder,
                   std::function<bool(const std::string&)> part)
    : inPart(std::move(part)) {
    for (const std::string& drawing : listing) {
        const std::string folded = base::foldedPath(drawing);
        listed.insert(folded);
        folders.emplace(folderPart(folded), folderPart(drawing));
    }
    if (!listedFolder.empty()) {
        std::string folder = listedFolder;
        while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        folders.emplace(base::foldedPath(folder), folder);
    }
}

bool JobScope::wasOfJob(const std::string& drawing) const {
    const std::string folded = base::foldedPath(drawing);
    return !listed.count(folded) && folders.count(folderPart(folded)) && (!inPart || inPart(drawing));
}

}  // namespace quillon::plotting
