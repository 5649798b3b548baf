#include "base/Paths.h"

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

std::string foldedPath(std::string_view path) {
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

std::string folderOf(std::string_view path) {
    auto cut = path.find_last_of('\\');
    if (cut == std::string_view::npos) return {};
    std::string_view folder = path.substr(0, cut);
    // "C:" alone would mean the drive's current folder, not its root.
    if (folder.size() == 2 && folder[1] == ':') return std::string(folder) + '\\';
    return std::string(folder);
}

}  // namespace quillon::base
