#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "discovery/Formatters.h"

namespace quillon::discovery {

// The user's local time of many file times, asking the formatter only a few
// times. A time zone's offset changes a couple of times a year, so when the
// offsets at both ends of a week (else of a day) agree, every time between
// has that offset; only a day with a change in it is converted file by file.
// For one thread: one search owns one.
class LocalTimeCache {
public:
    explicit LocalTimeCache(const DateTimeFormatter& dates) : dates_(dates) {}
    std::optional<LocalTime> toLocal(std::int64_t fileTimeUtc);

private:
    // Local minus UTC at a whole-second instant, in ticks; nothing when it cannot be converted.
    std::optional<std::int64_t> offsetAt(std::int64_t instant);
    std::optional<std::int64_t> uniformOffset(std::int64_t fileTimeUtc, std::int64_t span);

    const DateTimeFormatter& dates_;
    std::unordered_map<std::int64_t, std::optional<std::int64_t>> offsets_;
    // The weeks last met, each in the slot its number's low bits choose, with
    // the offset when it is the same all week, else nothing: one look into
    // a small table per file instead of a map's at each end of its week.
    // Twenty years of weeks fit without two wanting one slot.
    struct Week {
        std::int64_t week = -1;
        std::optional<std::int64_t> offset;
    };
    static constexpr std::size_t WeekSlots = 1024;
    std::vector<Week> weeks_ = std::vector<Week>(WeekSlots);
    // The last week found uniform: the files of one folder are often of one week.
    std::int64_t lastWeek_ = -1;
    std::int64_t lastWeekOffset_ = 0;
};

}  // namespace quillon::discovery
