#include "standin/PathText.h"

#include <fstream>
#include <system_error>

#include "standin/TextCase.h"

namespace quillon::standin {

bool isPathSeparator(char c) { return c == '\\' || c == '/'; }

namespace {

std::size_t lastSeparator(std::string_view path) { return path.find_last_of("\\/"); }

bool isDriveRoot(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

char separatorStyleOf(std::string_view path) {
    if (path.find('\\') != std::string_view::npos || isDriveRoot(path)) return '\\';
    return '/';
}

}  // namespace

bool hasFolderPart(std::string_view path) { return lastSeparator(path) != std::string_view::npos; }

std::string fileNameOf(std::string_view path) {
    auto pos = lastSeparator(path);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string folderOf(std::string_view path) {
    auto pos = lastSeparator(path);
    if (pos == std::string_view::npos) return {};
    std::string_view folder = path.substr(0, pos);
    // A root keeps its separator: "C:\" and "/" are folders, "C:" and "" are not.
    if (folder.empty() || (folder.size() == 2 && isDriveRoot(folder))) return std::string(path.substr(0, pos + 1));
    return std::string(folder);
}

bool isAbsolutePath(std::string_view path) {
    if (!path.empty() && isPathSeparator(path[0])) return true;
    return path.size() >= 3 && isDriveRoot(path) && isPathSeparator(path[2]);
}

std::string joinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    while (!name.empty() && isPathSeparator(name.front())) name.remove_prefix(1);
    std::string out(folder);
    if (!isPathSeparator(out.back())) out += separatorStyleOf(folder);
    out += name;
    return out;
}

std::string resolveAgainst(std::string_view baseDir, std::string_view path) {
    if (path.empty() || isAbsolutePath(path) || baseDir.empty()) return std::string(path);
    while (path.size() >= 2 && path[0] == '.' && isPathSeparator(path[1])) path.remove_prefix(2);
    return joinPath(baseDir, path);
}

std::string pathKey(std::string_view path) {
    std::string key;
    key.reserve(path.size());
    for (char c : path) {
        char folded = isPathSeparator(c) ? '\\' : lowerAscii(c);
        // A doubled separator inside a path names the same file; a leading
        // pair is a network root and stays.
        if (folded == '\\' && key.size() > 1 && key.back() == '\\') continue;
        key += folded;
    }
    while (key.size() > 1 && key.back() == '\\') key.pop_back();
    return key;
}

std::filesystem::path toFsPath(std::string_view utf8) {
    std::u8string text(utf8.size(), u8'\0');
    for (std::size_t i = 0; i < utf8.size(); ++i) text[i] = static_cast<char8_t>(utf8[i]);
    return std::filesystem::path(text);
}

std::string fromFsPath(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) out[i] = static_cast<char>(text[i]);
    return out;
}

bool isReadableFile(std::string_view utf8Path) {
    if (utf8Path.empty()) return false;
    std::error_code ec;
    auto path = toFsPath(utf8Path);
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream probe(path, std::ios::binary);
    return probe.is_open();
}

bool isExistingFolder(std::string_view utf8Path) {
    if (utf8Path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_directory(toFsPath(utf8Path), ec);
}

bool isWriteProtected(std::string_view utf8Path) {
    std::error_code ec;
    auto status = std::filesystem::status(toFsPath(utf8Path), ec);
    if (ec) return false;
    return (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
}

bool isReservedDeviceName(std::string_view fileName) {
    std::string stem(fileName.substr(0, fileName.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (auto& c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '0' &&
           stem[3] <= '9';
}

}  // namespace quillon::standin
