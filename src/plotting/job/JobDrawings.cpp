#include "plotting/job/JobDrawings.h"

#include <algorithm>
#include <map>
#include <optional>

#include "base/Paths.h"
#include "discovery/DrawingTexts.h"

namespace quillon::plotting {

std::vector<std::pair<std::string, base::DirEntry>> findJobDrawings(base::FileSystem& files,
                                                                    const std::vector<std::string>& paths,
                                                                    const std::atomic<bool>* stop) {
    std::map<std::string, std::optional<std::vector<base::DirEntry>>> listings;  // folded folder -> its entries
    std::vector<std::pair<std::string, base::DirEntry>> found;
    for (const std::string& given : paths) {
        const std::string path = base::normalPath(given);
        const std::string folder = base::folderOf(path);
        base::DirEntry entry;
        entry.name = path.substr(std::min(path.size(), base::addBackslash(folder).size()));
        const std::string key = base::foldedPath(folder);
        auto listing = listings.find(key);
        if (listing == listings.end() && !(stop && stop->load()))
            listing = listings.emplace(key, files.list(folder)).first;
        if (listing != listings.end() && listing->second)
            for (const auto& candidate : *listing->second)
                if (!candidate.isDirectory && base::samePath(candidate.name, entry.name)) entry = candidate;
        found.emplace_back(base::addBackslash(folder), std::move(entry));
    }
    return found;
}

discovery::SearchSummary listJobDrawings(const discovery::SearchServices& services, discovery::SearchSink& sink,
                                         const std::vector<std::string>& paths, const std::atomic<bool>& stop) {
    discovery::SearchSummary summary;
    for (auto& [folder, entry] : findJobDrawings(services.fileSystem, paths, &stop)) {
        // A drawing not there has no date: its row shows no size or date, and the run reports it not found.
        const bool there = entry.lastWriteTime != 0;
        discovery::DrawingRow row{entry.name, folder, services.types.describe(entry.name), std::nullopt, std::nullopt};
        if (there) {
            row.bytes = entry.size;
            row.modified = entry.lastWriteTime;
        }
        sink.addRow(std::move(row));
        ++summary.rows;
    }
    summary.stopped = stop.load();
    sink.setStatus(discovery::search_text::foundStatus(summary.rows));
    return summary;
}

}  // namespace quillon::plotting
