#include "plotting/job/JobPart.h"

#include "base/Paths.h"

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

std::uint64_t fnv1a64(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

int partOf(const std::string& path, const std::string& base, int parts) {
    std::string folded = base::foldedPath(path);
    std::string folder = base::foldedPath(base);
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    if (!base.empty() && folded.size() > folder.size() && folded.compare(0, folder.size(), folder) == 0)
        folded.erase(0, folder.size());
    return static_cast<int>(fnv1a64(folded) % static_cast<std::uint64_t>(parts)) + 1;
}

std::vector<std::string> drawingsOfPart(std::vector<std::string> paths, const JobPart& part, const std::string& base) {
    std::vector<std::string> mine;
    for (auto& path : paths)
        if (partOf(path, base, part.parts) == part.part) mine.push_back(std::move(path));
    return mine;
}

}  // namespace quillon::plotting
