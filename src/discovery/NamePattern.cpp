#include "discovery/NamePattern.h"

namespace quillon::discovery {

namespace {

char foldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Index just past the UTF-8 character starting at i.
std::size_t nextChar(std::string_view text, std::size_t i) {
    ++i;
    while (i < text.size() && isContinuation(text[i])) ++i;
    return i;
}

}  // namespace

bool matchesPattern(std::string_view name, std::string_view pattern) {
    std::size_t n = 0;
    std::size_t p = 0;
    // Where the last '*' was and how much of the name it has taken so far.
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n = nextChar(name, n);
        } else if (p < pattern.size() && foldAscii(pattern[p]) == foldAscii(name[n])) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            starName = nextChar(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool hasNoExtension(std::string_view name) { return name.find('.') == std::string_view::npos; }

}  // namespace quillon::discovery
