#include "plotting/PathFold.h"

#include <utility>

#include "base/UpperCase.h"

namespace quillon::plotting {

namespace {

unsigned char byteAt(std::string_view text, std::size_t i) { return static_cast<unsigned char>(text[i]); }

// The code point of the well-formed UTF-8 sequence at text[i] and its length
// in bytes, or a length of 0: overlong forms, surrogates and code points past
// U+10FFFF are not characters here.
std::pair<char32_t, std::size_t> decodeAt(std::string_view text, std::size_t i) {
    const unsigned char lead = byteAt(text, i);
    std::size_t length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return {0, 0};
    }
    if (i + length > text.size()) return {0, 0};
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = byteAt(text, i + k);
        if ((next & 0xC0) != 0x80) return {0, 0};
        code = (code << 6) | (next & 0x3F);
    }
    const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {0, 0};
    return {code, length};
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

char foldedAscii(char32_t c) {
    if (c == '/') return '\\';
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

}  // namespace

std::string foldedPath(std::string_view path) {
    std::string folded;
    folded.reserve(path.size());
    for (std::size_t i = 0; i < path.size();) {
        if (byteAt(path, i) < 0x80) {
            folded += foldedAscii(byteAt(path, i++));
            continue;
        }
        const auto [code, length] = decodeAt(path, i);
        if (length == 0) {
            folded += path[i++];
            continue;
        }
        // "ı" and "ſ" have "I" and "S" as their upper case: they fold with the ASCII letters.
        const char32_t upper = base::upperCaseOf(code);
        if (upper < 0x80)
            folded += foldedAscii(upper);
        else
            appendUtf8(folded, upper);
        i += length;
    }
    return folded;
}

bool samePath(std::string_view a, std::string_view b) { return a == b || foldedPath(a) == foldedPath(b); }

}  // namespace quillon::plotting
