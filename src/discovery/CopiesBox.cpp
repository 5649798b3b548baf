#include "discovery/CopiesBox.h"

namespace quillon::discovery::copies_box {

namespace {

constexpr char32_t Backspace = 8;
constexpr std::int32_t Largest = 32767;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

bool acceptsCharacter(char32_t code) { return (code >= U'0' && code <= U'9') || code == Backspace; }

std::optional<std::int16_t> countFromText(std::string_view text) {
    text = trimBlanks(text);
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    for (char c : whole)
        if (!isDigit(c)) return std::nullopt;
    for (char c : fraction)
        if (!isDigit(c)) return std::nullopt;

    // Leading zeros aside, more than five digits is past the limit whatever they are.
    std::int32_t value = 0;
    for (char c : whole) {
        value = value * 10 + (c - '0');
        if (value > Largest) return std::nullopt;
    }
    const bool fractionNonZero = fraction.find_first_not_of('0') != std::string_view::npos;
    if (value == 0 && !fractionNonZero) return std::nullopt;
    if (value == Largest && fractionNonZero) return std::nullopt;

    if (!fraction.empty()) {
        const char first = fraction.front();
        const bool restNonZero = fraction.substr(1).find_first_not_of('0') != std::string_view::npos;
        if (first > '5' || (first == '5' && (restNonZero || value % 2 == 1))) ++value;
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace quillon::discovery::copies_box
