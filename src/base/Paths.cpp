#include "base/Paths.h"

#include <vector>

#include "base/UpperCase.h"
#include "base/Utf8.h"

namespace quillon::base {

namespace {

char foldedAscii(char32_t c) {
    if (c == '/') return '\\';
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

}  // namespace

std::string addBackslash(std::string_view path) {
    std::string result(path);
    if (result.empty() || result.back() != '\\') result += '\\';
    return result;
}

namespace {

bool separator(char c) { return c == '\\' || c == '/'; }

// The lead a path's parts go after: "C:\\", "C:", "\\\\srv\\share\\", "\\", or nothing; `at` is set past it.
std::string rootOf(std::string_view path, std::size_t& at) {
    at = 0;
    if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
        // "\\server\share": the server and share are the root; ".." never climbs above them.
        std::string root = "\\\\";
        at = 2;
        for (int part = 0; part < 2; ++part) {
            while (at < path.size() && separator(path[at])) ++at;
            const std::size_t start = at;
            while (at < path.size() && !separator(path[at])) ++at;
            if (start == at) break;
            root += std::string(path.substr(start, at - start)) + '\\';
        }
        return root;
    }
    if (path.size() >= 2 && path[1] == ':') {
        at = 2;
        if (path.size() > 2 && separator(path[2])) {
            while (at < path.size() && separator(path[at])) ++at;
            return std::string(path.substr(0, 2)) + '\\';
        }
        return std::string(path.substr(0, 2));
    }
    if (!path.empty() && separator(path[0])) {
        while (at < path.size() && separator(path[at])) ++at;
        return "\\";
    }
    return {};
}

bool onlyDots(std::string_view part) { return part.find_first_not_of('.') == std::string_view::npos; }

}  // namespace

std::string normalPath(std::string_view path) {
    // The extended form names the same file as the plain one it wraps.
    if (path.size() >= 4 && separator(path[0]) && separator(path[1]) && path[2] == '?' && separator(path[3])) {
        path.remove_prefix(4);
        auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (path.size() >= 4 && upper(path[0]) == 'U' && upper(path[1]) == 'N' && upper(path[2]) == 'C' &&
            separator(path[3]))
            return normalPath("\\\\" + std::string(path.substr(4)));
    }
    std::size_t at = 0;
    std::string root = rootOf(path, at);
    std::vector<std::string_view> parts;
    while (at < path.size()) {
        const std::size_t start = at;
        while (at < path.size() && !separator(path[at])) ++at;
        std::string_view part = path.substr(start, at - start);
        while (at < path.size() && separator(path[at])) ++at;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") parts.pop_back();
            else if (root.empty()) parts.push_back(part);
            continue;
        }
        if (!onlyDots(part))
            while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.remove_suffix(1);
        parts.push_back(part);
    }
    std::string out = root;
    for (std::size_t i = 0; i < parts.size(); ++i) out += (i == 0 ? "" : "\\") + std::string(parts[i]);
    // "\\\\srv\\share\\" with nothing after it is the share itself.
    if (parts.empty() && root.size() > 3 && root.back() == '\\' && root[1] == '\\') out.pop_back();
    return out;
}

std::string foldedPath(std::string_view path) { return foldedName(normalPath(path)); }

std::string foldedName(std::string_view path) {
    std::string folded;
    folded.reserve(path.size());
    for (std::size_t i = 0; i < path.size();) {
        char32_t code = 0;
        const std::size_t length = utf8CharAt(path, i, code);
        if (length == 0) {
            folded += path[i++];
            continue;
        }
        // No other character has an ASCII letter as its upper case, so the
        // ASCII letters' lower case here keeps the fold one-to-one.
        if (code < 0x80)
            folded += foldedAscii(code);
        else
            appendUtf8(folded, upperCaseOf(code));
        i += length;
    }
    return folded;
}

bool samePath(std::string_view a, std::string_view b) { return a == b || foldedPath(a) == foldedPath(b); }

std::size_t extensionStart(std::string_view path) {
    const auto dot = path.find_last_of('.');
    const auto separator = path.find_last_of("\\/");
    if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) return path.size();
    return dot;
}

std::string withExtensionOf(std::string_view path, std::string_view other) {
    return std::string(path.substr(0, extensionStart(path))) + std::string(other.substr(extensionStart(other)));
}

std::string folderOf(std::string_view path) {
    auto cut = path.find_last_of('\\');
    if (cut == std::string_view::npos) return {};
    std::string_view folder = path.substr(0, cut);
    // "C:" alone would mean the drive's current folder, not its root.
    if (folder.size() == 2 && folder[1] == ':') return std::string(folder) + '\\';
    return std::string(folder);
}

std::string utf8Of(const std::filesystem::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path pathOfUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace quillon::base
