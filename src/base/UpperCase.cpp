#include "base/UpperCase.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace quillon::base {

namespace {

// Code points first..last, every stride-th of them, map to themselves plus offset.
struct UpperCaseRun {
    std::uint16_t first;
    std::uint16_t last;
    std::uint8_t stride;
    std::int32_t offset;
};

constexpr UpperCaseRun kRuns[] = {
#include "base/UpperCaseTable.inc"
};

}  // namespace

char32_t upperCaseOf(char32_t c) {
    if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    if (c > 0xFFFF) return c;
    // The last run starting at or before c; runs never interleave.
    const auto* after = std::upper_bound(std::begin(kRuns), std::end(kRuns), c,
                                         [](char32_t code, const UpperCaseRun& run) { return code < run.first; });
    if (after == std::begin(kRuns)) return c;
    const UpperCaseRun& run = *(after - 1);
    if (c > run.last || (c - run.first) % run.stride != 0) return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + run.offset);
}

}  // namespace quillon::base
