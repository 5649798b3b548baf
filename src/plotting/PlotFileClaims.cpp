#include "plotting/PlotFileClaims.h"

#include "base/Paths.h"

namespace quillon::plotting {

std::string PlotFileClaims::claim(const std::string& wanted) {
    return claim(wanted, [](const std::string&) { return true; });
}

std::string PlotFileClaims::claim(const std::string& wanted, const std::function<bool(const std::string&)>& isFree) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string path = wanted;
    // " (n)" goes before the extension of the file name, else at the end.
    const std::size_t place = base::extensionStart(wanted);
    for (int n = 2; taken_.count(base::foldedPath(path)) > 0 || !isFree(path); ++n)
        path = wanted.substr(0, place) + " (" + std::to_string(n) + ")" + wanted.substr(place);
    taken_.insert(base::foldedPath(path));
    return path;
}

void PlotFileClaims::release(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    taken_.erase(base::foldedPath(path));
}

bool PlotFileClaims::firstUseOf(const std::string& folder) {
    std::lock_guard<std::mutex> lock(mutex_);
    return usedFolders_.insert(base::foldedPath(folder)).second;
}

}  // namespace quillon::plotting
