#include "standin/Wildcard.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace quillon::standin {

namespace {

using Text = std::vector<char32_t>;

// Decodes UTF-8; a byte that starts no valid sequence stands for itself.
Text decode(std::string_view text) {
    Text out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        bool valid = length > 0 && i + length <= text.size();
        char32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        out.push_back(valid ? code : lead);
        i += valid ? length : 1;
    }
    return out;
}

char32_t fold(char32_t c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }
bool isDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool isLetter(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80; }

// One step of a pattern: "*" or something that matches exactly one character.
struct Token {
    enum class Kind { Literal, AnyRun, AnyOne, Digit, Letter, Other, Set };
    Kind kind = Kind::Literal;
    char32_t literal = 0;
    bool negated = false;                             // a set written "[~...]"
    std::vector<std::pair<char32_t, char32_t>> ranges;  // a set's characters, folded

    static Token literalOf(char32_t c) {
        Token token;
        token.literal = fold(c);
        return token;
    }

    bool matches(char32_t c) const {
        switch (kind) {
            case Kind::Literal: return fold(c) == literal;
            case Kind::AnyOne: return true;
            case Kind::Digit: return isDigit(c);
            case Kind::Letter: return isLetter(c);
            case Kind::Other: return !isDigit(c) && !isLetter(c);
            case Kind::Set: {
                bool in = false;
                for (const auto& [low, high] : ranges) in = in || (fold(c) >= low && fold(c) <= high);
                return in != negated;
            }
            case Kind::AnyRun: break;
        }
        return false;
    }
};

// Reads "[...]" from just after its "[": inside it every character is literal but a leading "~" and a
// "-" between two characters. An unclosed bracket is a literal "[".
std::size_t readSet(const Text& p, std::size_t i, Token& set) {
    std::size_t j = i;
    set.kind = Token::Kind::Set;
    if (j < p.size() && p[j] == '~') {
        set.negated = true;
        ++j;
    }
    const std::size_t first = j;
    while (j < p.size() && (p[j] != ']' || j == first)) {
        char32_t low = fold(p[j]);
        char32_t high = low;
        if (j + 2 < p.size() && p[j + 1] == '-' && p[j + 2] != ']') {
            high = fold(p[j + 2]);
            j += 2;
        }
        set.ranges.emplace_back(low, high);
        ++j;
    }
    if (j >= p.size()) {
        set = Token::literalOf('[');
        return i;
    }
    return j + 1;
}

// Splits a pattern into its alternatives, each a list of tokens and whether it is negated.
std::vector<std::pair<bool, std::vector<Token>>> compile(const Text& p) {
    std::vector<std::pair<bool, std::vector<Token>>> alternatives(1);
    for (std::size_t i = 0; i < p.size();) {
        auto& [negated, tokens] = alternatives.back();
        const char32_t c = p[i++];
        Token token = Token::literalOf(c);
        switch (c) {
            case ',': alternatives.emplace_back(); continue;
            case '~':
                if (tokens.empty() && !negated) {
                    negated = true;
                    continue;
                }
                break;
            case '`':
                if (i < p.size()) token.literal = fold(p[i++]);
                break;
            case '*': token.kind = Token::Kind::AnyRun; break;
            case '?': token.kind = Token::Kind::AnyOne; break;
            case '#': token.kind = Token::Kind::Digit; break;
            case '@': token.kind = Token::Kind::Letter; break;
            case '.': token.kind = Token::Kind::Other; break;
            case '[': i = readSet(p, i, token); break;
            default: break;
        }
        tokens.push_back(std::move(token));
    }
    return alternatives;
}

bool matchTokens(const Text& s, const std::vector<Token>& tokens) {
    // Greedy with a return to the last "*": every other token takes exactly one character.
    std::size_t t = 0, i = 0, star = tokens.size(), mark = 0;
    while (i < s.size()) {
        if (t < tokens.size() && tokens[t].kind == Token::Kind::AnyRun) {
            star = t++;
            mark = i;
        } else if (t < tokens.size() && tokens[t].matches(s[i])) {
            ++t;
            ++i;
        } else if (star < tokens.size()) {
            t = star + 1;
            i = ++mark;
        } else {
            return false;
        }
    }
    while (t < tokens.size() && tokens[t].kind == Token::Kind::AnyRun) ++t;
    return t == tokens.size();
}

}  // namespace

bool wildcardMatch(std::string_view text, std::string_view pattern) {
    const Text s = decode(text);
    for (const auto& [negated, tokens] : compile(decode(pattern))) {
        if (matchTokens(s, tokens) != negated) return true;
    }
    return false;
}

}  // namespace quillon::standin
