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

std::chrono::seconds timeUntil(int hour, int minute, int second, const TimeOfDay& until) {
    constexpr long long Day = 24 * 60 * 60;
    long long wait = (until.hour * 60LL + until.minute) * 60 - ((hour * 60LL + minute) * 60 + second);
    if (wait <= 0) wait += Day;
    return std::chrono::seconds(wait);
}

}  // namespace quillon::plotting
