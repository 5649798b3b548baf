#include "discovery/FolderTreePath.h"

namespace quillon::discovery {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool hasDriveLetter(std::string_view text) {
    if (text.size() < 2 || text[1] != ':') return false;
    char letter = text[0];
    return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string normalizeFolder(std::string_view folder) {
    std::string result;
    std::size_t start = 0;
    if (folder.size() >= 2 && isSeparator(folder[0]) && isSeparator(folder[1])) {
        result = "\\\\";
        start = 2;
    }
    for (std::size_t i = start; i < folder.size(); ++i) {
        char c = folder[i];
        if (isSeparator(c)) {
            if (!result.empty() && result.back() != '\\') result += '\\';
            continue;
        }
        result += c;
    }
    if (hasDriveLetter(result)) {
        result[0] = upper(result[0]);
        if (result.size() == 2) result += '\\';
    }
    bool keepsTrailing = result == "\\\\" || (result.size() == 3 && hasDriveLetter(result));
    if (!keepsTrailing && result.size() > 1 && result.back() == '\\') result.pop_back();
    return result;
}

bool isDriveRoot(std::string_view folder) {
    std::string normalized = normalizeFolder(folder);
    return normalized.size() == 3 && hasDriveLetter(normalized) && normalized[2] == '\\';
}

std::string childPath(std::string_view parent, std::string_view name) {
    std::string result(parent);
    if (result.empty() || result.back() != '\\') result += '\\';
    result += name;
    return result;
}

std::vector<std::string> pathSteps(std::string_view folder) {
    std::string path = normalizeFolder(folder);
    std::vector<std::string> steps;
    std::size_t next = 0;
    if (hasDriveLetter(path) && path.size() >= 3 && path[2] == '\\') {
        steps.push_back(path.substr(0, 3));
        next = 3;
    } else if (path.starts_with("\\\\")) {
        // A share is only reachable as a whole: its root is server and share name together.
        std::size_t serverEnd = path.find('\\', 2);
        if (serverEnd == std::string::npos || serverEnd + 1 >= path.size()) return {};
        std::size_t shareEnd = path.find('\\', serverEnd + 1);
        steps.push_back(path.substr(0, shareEnd));
        if (shareEnd == std::string::npos) return steps;
        next = shareEnd + 1;
    } else {
        return {};
    }
    while (next < path.size()) {
        std::size_t end = path.find('\\', next);
        if (end == std::string::npos) end = path.size();
        steps.push_back(path.substr(0, end));
        next = end + 1;
    }
    return steps;
}

std::optional<std::string> folderFromShellPath(std::string_view shellPath) {
    // The shell fills a fixed buffer; its text ends at the first NUL.
    std::string_view text = shellPath.substr(0, shellPath.find('\0'));
    if (text.empty()) return std::nullopt;
    return std::string(text);
}

std::string driveItemText(std::string_view root, std::string_view volumeLabel) {
    if (volumeLabel.empty()) return std::string(root);
    return std::string(volumeLabel) + " (" + std::string(root.substr(0, 2)) + ")";
}

bool showsInTree(std::string_view name, bool hidden, bool system) {
    if (name.empty() || name == "." || name == "..") return false;
    return !hidden && !system;
}

}  // namespace quillon::discovery
