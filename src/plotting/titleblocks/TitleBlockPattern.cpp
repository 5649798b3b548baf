#include "plotting/titleblocks/TitleBlockPattern.h"

#include "plotting/PlotRules.h"

namespace quillon::plotting {

namespace {

// Only ASCII letters fold: block names with other letters are compared as written, as '*' and '?' are.
char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool wildcardMatch(std::string_view pattern, std::string_view text) {
    std::size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || folded(pattern[p]) == folded(text[t]))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

TitleBlockPattern::TitleBlockPattern(std::string_view text) {
    while (!text.empty()) {
        const auto cut = text.find(';');
        std::string one = trimmed(text.substr(0, cut));
        if (!one.empty()) patterns_.push_back(std::move(one));
        if (cut == std::string_view::npos) break;
        text.remove_prefix(cut + 1);
    }
}

bool TitleBlockPattern::matches(std::string_view blockName) const {
    for (const auto& pattern : patterns_)
        if (wildcardMatch(pattern, blockName)) return true;
    return false;
}

std::string TitleBlockPattern::literal(std::string_view name) {
    std::string out;
    for (char c : name) {
        // The application's wildcards and its separator, each taken as itself after a back quote.
        if (std::string_view("#@.*?~[]-,`").find(c) != std::string_view::npos) out += '`';
        out += c;
    }
    return out;
}

std::string TitleBlockPattern::selectionFilter() const {
    std::string filter;
    for (const auto& pattern : patterns_) {
        std::string one;
        for (char c : pattern) one += c == '*' || c == '?' ? std::string(1, c) : literal(std::string(1, c));
        filter += one + ",";
    }
    return filter + "`*U*";
}

}  // namespace quillon::plotting
