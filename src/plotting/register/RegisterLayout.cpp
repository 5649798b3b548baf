#include "plotting/register/RegisterLayout.h"

#include <cstddef>
#include <numeric>

namespace quillon::plotting {

namespace {

// The library measures the standard font's text through a buffer of about a thousand characters; no column
// of a page is wide enough to show more than that.
constexpr std::size_t kLongestMeasured = 1000;

// A column's width is its text's plus padding, less the padding again: the sums may miss the text's own width
// by a rounding, which must not cut a text that was measured to fit.
constexpr double kSlack = 0.01;

// Where each character of well-formed UTF-8 begins, and the end.
std::vector<std::size_t> characterStarts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size(); ++at)
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) starts.push_back(at);
    starts.push_back(text.size());
    return starts;
}

std::string withEllipsis(const std::string& text, std::size_t bytes) {
    // A space before the dots reads as a gap in the name, not as where it was cut.
    while (bytes > 0 && text[bytes - 1] == ' ') --bytes;
    return text.substr(0, bytes) + "...";
}

}  // namespace

std::vector<double> columnWidths(const std::vector<double>& wanted, double width) {
    const std::size_t count = wanted.size();
    std::vector<double> widths(count, 0);
    if (count == 0) return widths;
    const double total = std::accumulate(wanted.begin(), wanted.end(), 0.0);
    if (total <= width) {
        widths = wanted;
        widths.back() += width - total;
        return widths;
    }
    std::vector<bool> settled(count, false);
    double remaining = width;
    std::size_t open = count;
    for (bool changed = true; changed && open > 0;) {
        changed = false;
        const double share = remaining / static_cast<double>(open);
        for (std::size_t i = 0; i < count; ++i) {
            if (settled[i] || wanted[i] > share) continue;
            widths[i] = wanted[i];
            settled[i] = true;
            remaining -= wanted[i];
            --open;
            changed = true;
        }
    }
    for (std::size_t i = 0; i < count; ++i)
        if (!settled[i]) widths[i] = remaining / static_cast<double>(open);
    return widths;
}

std::string fittedText(const std::string& text, double width, const TextWidth& measure) {
    const double limit = width + kSlack;
    const std::vector<std::size_t> starts = characterStarts(text);
    const std::size_t characters = starts.size() - 1;
    const bool cut = characters > kLongestMeasured;
    if (!cut && measure(text) <= limit) return text;
    if (measure("...") > limit) return "";
    // The longest beginning that fits with the dots: widths only grow as characters are added.
    std::size_t fits = 0;
    std::size_t tooLong = cut ? kLongestMeasured + 1 : characters;
    while (tooLong - fits > 1) {
        const std::size_t middle = fits + (tooLong - fits) / 2;
        if (measure(withEllipsis(text, starts[middle])) <= limit)
            fits = middle;
        else
            tooLong = middle;
    }
    return withEllipsis(text, starts[fits]);
}

}  // namespace quillon::plotting
