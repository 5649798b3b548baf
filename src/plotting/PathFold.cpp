#include "plotting/PathFold.h"

namespace quillon::plotting {

namespace {

char foldForPath(char c) {
    if (c == '/') return '\\';
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string foldedPath(std::string_view path) {
    std::string folded(path);
    for (char& c : folded) c = foldForPath(c);
    return folded;
}

bool samePath(std::string_view a, std::string_view b) { return a.size() == b.size() && foldedPath(a) == foldedPath(b); }

}  // namespace quillon::plotting
