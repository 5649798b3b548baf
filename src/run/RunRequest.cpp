#include "run/RunRequest.h"

#include <algorithm>

namespace quillon::run {

std::vector<std::pair<int, std::string>> RunRequest::drawings() const {
    std::vector<std::pair<int, std::string>> taken;
    for (int entry = static_cast<int>(rows.size()); entry >= 1; --entry) {
        const auto& row = rows[static_cast<std::size_t>(entry - 1)];
        if (kind != plotting::RunKind::Selected || row.selected) taken.emplace_back(entry, row.folder + row.fileName);
    }
    return taken;
}

std::vector<std::string> RunRequest::listing() const {
    std::vector<std::string> paths;
    paths.reserve(rows.size());
    for (const auto& row : rows) paths.push_back(row.folder + row.fileName);
    return paths;
}

std::vector<plotting::RunListSnapshot::Row> rowsInRunOrder(const std::vector<std::string>& paths) {
    std::vector<plotting::RunListSnapshot::Row> rows;
    rows.reserve(paths.size());
    for (auto path = paths.rbegin(); path != paths.rend(); ++path) {
        const auto slash = path->find_last_of("\\/");
        const std::size_t split = slash == std::string::npos ? 0 : slash + 1;
        rows.push_back({path->substr(split), path->substr(0, split), false});
    }
    return rows;
}

}  // namespace quillon::run
