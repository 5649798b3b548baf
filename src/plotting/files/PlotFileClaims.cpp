#include "plotting/files/PlotFileClaims.h"

#include "base/Paths.h"

namespace quillon::plotting {

std::string PlotFileClaims::claim(const std::string& wanted) {
    return claim(wanted, [](const std::string&) { return true; });
}

// " (n)" goes before the extension of the file name, else at the end.
std::string numberedPlotName(const std::string& wanted, int n) {
    const std::size_t place = base::extensionStart(wanted);
    return wanted.substr(0, place) + " (" + std::to_string(n) + ")" + wanted.substr(place);
}

std::string PlotFileClaims::claim(const std::string& wanted, const std::function<bool(const std::string&)>& isFree) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string path = wanted;
    for (int n = 2; taken_.count(base::foldedPath(path)) > 0 || !isFree(path); ++n) path = numberedPlotName(wanted, n);
    const std::string folded = base::foldedPath(path);
    taken_.insert(folded);
    if (combinedAt_.count(folded)) moveCombinedFrom(folded);
    return path;
}

void PlotFileClaims::moveCombinedFrom(const std::string& folded) {
    const std::size_t at = combinedAt_.at(folded);
    combinedAt_.erase(folded);
    const std::string wanted = combined_[at].second;
    std::string path = numberedPlotName(wanted, 2);
    for (int n = 3; takenByAny(base::foldedPath(path)); ++n) path = numberedPlotName(wanted, n);
    combined_[at].second = path;
    combinedAt_[base::foldedPath(path)] = at;
    ++combinedMoves_;
}

void PlotFileClaims::takeRecorded(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string folded = base::foldedPath(path);
    taken_.insert(folded);
    if (combinedAt_.count(folded)) moveCombinedFrom(folded);
}

void PlotFileClaims::reserveCombined(const std::string& subject, const std::string& path, CombinedNamer namer) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Two subjects whose names meet, or a name a sheet of the record already has: this one moves on at once.
    std::string name = path;
    for (int n = 2; takenByAny(base::foldedPath(name)); ++n) name = numberedPlotName(path, n);
    combined_.emplace_back(subject, name);
    combinedAt_[base::foldedPath(name)] = combined_.size() - 1;
    if (namer) waiting_[base::foldedPath(subject)] = {combined_.size() - 1, std::move(namer)};
}

void PlotFileClaims::renameCombined(std::size_t at, const std::string& wanted) {
    combinedAt_.erase(base::foldedPath(combined_[at].second));
    std::string path = wanted;
    for (int n = 2; takenByAny(base::foldedPath(path)); ++n) path = numberedPlotName(wanted, n);
    if (path != combined_[at].second) ++combinedMoves_;
    combined_[at].second = path;
    combinedAt_[base::foldedPath(path)] = at;
}

bool PlotFileClaims::nameCombined(const std::string& subject, const NameValues& values) {
    CombinedNamer namer;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = waiting_.find(base::foldedPath(subject));
        if (found == waiting_.end()) return false;
        namer = found->second.second;
    }
    // Asked outside the lock: the values may be read from the application, which no other session waits on.
    const std::optional<std::string> wanted = namer(values);
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = waiting_.find(base::foldedPath(subject));
    if (found == waiting_.end()) return false;
    const std::size_t at = found->second.first;
    waiting_.erase(found);
    if (!wanted) return false;
    renameCombined(at, *wanted);
    return true;
}

void PlotFileClaims::nameCombinedAs(const std::string& subject, const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = waiting_.find(base::foldedPath(subject));
    if (found == waiting_.end()) return;
    const std::size_t at = found->second.first;
    waiting_.erase(found);
    renameCombined(at, path);
}

bool PlotFileClaims::combinedWaits(const std::string& subject) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return waiting_.count(base::foldedPath(subject)) > 0;
}

std::vector<std::pair<std::string, std::string>> PlotFileClaims::combinedFiles() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return combined_;
}

std::size_t PlotFileClaims::combinedMoves() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return combinedMoves_;
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
