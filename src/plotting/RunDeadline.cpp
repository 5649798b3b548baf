#include "plotting/RunDeadline.h"

#include <cstdio>

namespace quillon::plotting {

std::string TimeOfDay::text() const {
    char out[8];
    std::snprintf(out, sizeof out, "%02d:%02d", hour, minute);
    return out;
}

std::optional<TimeOfDay> parseTimeOfDay(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3) return std::nullopt;
    auto number = [](std::string_view digits) -> std::optional<int> {
        int value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const auto hour = number(text.substr(0, colon)), minute = number(text.substr(colon + 1));
    if (!hour || !minute || *hour > 23 || *minute > 59) return std::nullopt;
    return TimeOfDay{*hour, *minute};
}

namespace {

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysIn(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : days[(month - 1) % 12];
}

}  // namespace

RunDeadline::RunDeadline(const LocalTime& start, const TimeOfDay& until)
    : end_{start.year, start.month, start.day, until.hour, until.minute, 0} {
    if (end_ > start) return;
    // Past already: tomorrow's.
    if (++end_.day > daysIn(end_.year, end_.month)) {
        end_.day = 1;
        if (++end_.month > 12) {
            end_.month = 1;
            ++end_.year;
        }
    }
}

}  // namespace quillon::plotting
