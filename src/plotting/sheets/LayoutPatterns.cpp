#include "plotting/sheets/LayoutPatterns.h"

#include "base/Paths.h"

namespace quillon::plotting {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool continuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// One UTF-8 character from the front of text: '?' stands for a character, not a byte.
std::size_t characterLength(std::string_view text) {
    std::size_t n = 1;
    while (n < text.size() && continuationByte(text[n])) ++n;
    return n;
}

// Glob match of folded texts; the star backtracks to its last position only,
// which is enough for '*' and '?' alone and never takes longer than n * m.
bool globMatch(std::string_view name, std::string_view pattern) {
    std::size_t n = 0, p = 0;
    std::size_t starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += characterLength(name.substr(n));
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            resumeAt += characterLength(name.substr(resumeAt));
            n = resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool matchesAnyPattern(std::string_view name, std::string_view patterns) {
    const std::string folded = base::foldedName(name);
    while (!patterns.empty()) {
        const auto end = patterns.find(';');
        const std::string_view one = trimmed(patterns.substr(0, end));
        if (!one.empty() && globMatch(folded, base::foldedName(one))) return true;
        if (end == std::string_view::npos) break;
        patterns.remove_prefix(end + 1);
    }
    return false;
}

bool LayoutPatterns::selects(std::string_view layoutName) const {
    const bool included = trimmed(include).empty() || matchesAnyPattern(layoutName, include);
    return included && !matchesAnyPattern(layoutName, exclude);
}

std::string LayoutPatterns::shown() const {
    std::string out = trimmed(include).empty() ? std::string("*") : std::string(trimmed(include));
    if (!trimmed(exclude).empty()) out += " less " + std::string(trimmed(exclude));
    return out;
}

}  // namespace quillon::plotting
