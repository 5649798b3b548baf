#include "base/Paths.h"

namespace quillon::base {

std::string addBackslash(std::string_view path) {
    std::string result(path);
    if (result.empty() || result.back() != '\\') result += '\\';
    return result;
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
