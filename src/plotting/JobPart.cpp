#include "plotting/JobPart.h"

#include <algorithm>

namespace quillon::plotting {

namespace {

std::optional<int> wholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string foldedPath(const std::string& path) {
    std::string folded = path;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '/')
            c = '\\';
    }
    return folded;
}

}  // namespace

std::string JobPart::text() const { return "part " + std::to_string(part) + " of " + std::to_string(parts); }

std::optional<JobPart> parseJobPart(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const auto k = wholeNumber(text.substr(0, slash));
    const auto n = wholeNumber(text.substr(slash + 1));
    if (!k || !n || *k < 1 || *k > *n || *n > JobPart::MaxParts) return std::nullopt;
    return JobPart{*k, *n};
}

std::vector<std::string> drawingsOfPart(std::vector<std::string> paths, const JobPart& part) {
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(paths.size());
    for (auto& path : paths) keyed.emplace_back(foldedPath(path), std::move(path));
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> mine;
    for (std::size_t i = 0; i < keyed.size(); ++i)
        if (static_cast<int>(i % static_cast<std::size_t>(part.parts)) + 1 == part.part)
            mine.push_back(std::move(keyed[i].second));
    return mine;
}

}  // namespace quillon::plotting
