#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::plotting {

// The local time of day a run must end by (the command line's /until, a job's "until").
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    bool operator==(const TimeOfDay&) const = default;
    // "06:30"
    std::string text() const;
};

// "HH:MM", 00:00 to 23:59 (one-digit hours taken too); nothing for anything else.
std::optional<TimeOfDay> parseTimeOfDay(std::string_view text);

// A date and time as the local clock shows it.
struct LocalTime {
    int year = 0;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    auto operator<=>(const LocalTime&) const = default;
};

// The local time a run must end by: `until` on the day the run starts, or the next day's when that is
// already past (or now). It is compared with the local clock while the run goes, never turned into a
// length of time once: a clock put forward or back during the night (daylight saving) moves the stop
// with it, and the run stops when the clock on the wall says so.
class RunDeadline {
public:
    RunDeadline(const LocalTime& start, const TimeOfDay& until);
    bool reached(const LocalTime& now) const { return now >= end_; }
    const LocalTime& end() const { return end_; }

private:
    LocalTime end_;
};

}  // namespace quillon::plotting
