#include "plotting/PathFold.h"

#include "base/UpperCase.h"
#include "base/Utf8.h"

namespace quillon::plotting {

namespace {

char foldedAscii(char32_t c) {
    if (c == '/') return '\\';
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

}  // namespace

std::string foldedPath(std::string_view path) {
    std::string folded;
    folded.reserve(path.size());
    for (std::size_t i = 0; i < path.size();) {
        char32_t code = 0;
        const std::size_t length = base::utf8CharAt(path, i, code);
        if (length == 0) {
            folded += path[i++];
            continue;
        }
        // No other character has an ASCII letter as its upper case, so the
        // ASCII letters' lower case here keeps the fold one-to-one.
        if (code < 0x80)
            folded += foldedAscii(code);
        else
            base::appendUtf8(folded, base::upperCaseOf(code));
        i += length;
    }
    return folded;
}

bool samePath(std::string_view a, std::string_view b) { return a == b || foldedPath(a) == foldedPath(b); }

}  // namespace quillon::plotting
