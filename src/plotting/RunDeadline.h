#pragma once

#include <chrono>
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

// How long from the local time now until the next `until`: later today, else
// tomorrow (a time already past, or now, at start means the next day's).
std::chrono::seconds timeUntil(int hour, int minute, int second, const TimeOfDay& until);

}  // namespace quillon::plotting
