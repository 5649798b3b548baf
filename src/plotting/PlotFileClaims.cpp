#include "plotting/PlotFileClaims.h"

#include "base/Paths.h"

namespace quillon::plotting {

namespace {

// Where " (n)" goes: before the extension of the file name, else at the end.
std::size_t suffixPlace(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto separator = path.find_last_of("\\/");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return path.size();
    return dot;
}

}  // namespace

std::string PlotFileClaims::claim(const std::string& wanted) {
    return claim(wanted, [](const std::string&) { return true; });
}

std::string PlotFileClaims::claim(const std::string& wanted, const std::function<bool(const std::string&)>& isFree) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string path = wanted;
    const std::size_t place = suffixPlace(wanted);
    for (int n = 2; taken_.count(base::foldedPath(path)) > 0 || !isFree(path); ++n)
        path = wanted.substr(0, place) + " (" + std::to_string(n) + ")" + wanted.substr(place);
    taken_.insert(base::foldedPath(path));
    return path;
}

void PlotFileClaims::release(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    taken_.erase(base::foldedPath(path));
}

}  // namespace quillon::plotting
