#include "plotting/xref/XrefPaths.h"

namespace quillon::plotting {

namespace {

std::vector<std::string> splitAtSeparators(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || isSeparator(path[i])) {
            parts.emplace_back(path.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    return parts;
}

// Where a component may cut the drawing folder: its first occurrence, when
// that is not at the very start.
std::optional<std::size_t> cutPosition(std::string_view drawingFolder, std::string_view component) {
    if (characterCount(component) <= 2) return std::nullopt;
    const auto at = drawingFolder.find(component);
    if (at == std::string_view::npos || at == 0) return std::nullopt;
    return at;
}

std::size_t firstDoubleSeparator(std::string_view path) {
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        if (isSeparator(path[i]) && isSeparator(path[i + 1])) return i;
    return std::string_view::npos;
}

}  // namespace

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

std::string referenceFileName(std::string_view storedPath) {
    for (std::size_t i = storedPath.size(); i > 0; --i)
        if (isSeparator(storedPath[i - 1])) return std::string(storedPath.substr(i));
    return std::string(storedPath);
}

std::string withTrailingSeparator(std::string_view folder) {
    std::string out(folder);
    if (!out.empty() && isSeparator(out.back())) return out;
    const bool posix = out.find('/') != std::string::npos && out.find('\\') == std::string::npos;
    out += posix ? '/' : '\\';
    return out;
}

std::vector<std::string> reRootingCandidates(std::string_view drawingFolder, std::string_view storedPath) {
    std::vector<std::string> candidates;
    const auto components = splitAtSeparators(storedPath);
    for (std::size_t i = 1; i < components.size(); ++i) {
        const auto cut = cutPosition(drawingFolder, components[i]);
        if (!cut) continue;
        const auto from = storedPath.find(components[i]);
        candidates.push_back(std::string(drawingFolder.substr(0, *cut)) + std::string(storedPath.substr(from)));
    }
    return candidates;
}

std::vector<std::string> upwardComponents(std::string_view drawingFolder) {
    std::string_view belowRoot;
    if (const auto network = firstDoubleSeparator(drawingFolder); network != std::string_view::npos) {
        belowRoot = drawingFolder.substr(network + 1);
    } else if (const auto colon = drawingFolder.find(':'); colon != std::string_view::npos) {
        belowRoot = drawingFolder.substr(colon + 1);
    } else if (!drawingFolder.empty() && drawingFolder.front() == '/') {
        belowRoot = drawingFolder;
    } else {
        return {};
    }
    return splitAtSeparators(belowRoot);
}

std::vector<std::string> folderNamesOf(std::string_view path) {
    std::vector<std::string> parts = splitAtSeparators(path);
    parts.pop_back();  // the file name, or nothing after a last separator
    std::erase_if(parts, [](const std::string& part) { return part.empty(); });
    return parts;
}

std::optional<std::string> upwardSearchRoot(std::string_view drawingFolder, std::string_view component) {
    if (component.find('.') != std::string_view::npos) return std::nullopt;
    const auto cut = cutPosition(drawingFolder, component);
    if (!cut) return std::nullopt;
    return std::string(drawingFolder.substr(0, *cut));
}

}  // namespace quillon::plotting
