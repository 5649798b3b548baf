#include "discovery/Formatters.h"


namespace quillon::discovery {

namespace {

constexpr std::int64_t TicksPerSecond = 10'000'000;
constexpr std::int64_t SecondsPerDay = 86'400;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t DaysFrom1601To1970 = 134'774;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

LocalTime civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    LocalTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (t.month <= 2));
    return t;
}

void appendTwoDigits(std::string& text, int value) {
    text += static_cast<char>('0' + value / 10 % 10);
    text += static_cast<char>('0' + value % 10);
}

}  // namespace

std::int64_t fileTimeFromUtc(const LocalTime& utc) {
    const std::int64_t days = daysFromCivil(utc.year, utc.month, utc.day) + DaysFrom1601To1970;
    const std::int64_t seconds = days * SecondsPerDay + utc.hour * 3600 + utc.minute * 60 + utc.second;
    return seconds * TicksPerSecond;
}

LocalTime utcFromFileTime(std::int64_t fileTime) {
    std::int64_t seconds = fileTime / TicksPerSecond;
    if (fileTime % TicksPerSecond < 0) --seconds;
    std::int64_t days = seconds / SecondsPerDay;
    std::int64_t rest = seconds % SecondsPerDay;
    if (rest < 0) {
        rest += SecondsPerDay;
        --days;
    }
    LocalTime t = civilFromDays(days - DaysFrom1601To1970);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::string FixedNumberFormatter::formatDecimal(std::string_view plain) const {
    std::string text(plain);
    const auto point = text.find('.');
    if (point != std::string::npos) text.replace(point, 1, separator_);
    return text;
}

std::optional<LocalTime> FixedDateTimeFormatter::toLocal(std::int64_t fileTimeUtc) const {
    return utcFromFileTime(fileTimeUtc + std::int64_t{offsetMinutes_} * 60 * TicksPerSecond);
}

std::string FixedDateTimeFormatter::shortDate(const LocalTime& time) const {
    std::string text;
    appendTwoDigits(text, time.day);
    text += '/';
    appendTwoDigits(text, time.month);
    text += '/';
    text += std::to_string(time.year);
    return text;
}

std::string FixedDateTimeFormatter::longTime(const LocalTime& time) const {
    std::string text;
    appendTwoDigits(text, time.hour);
    text += ':';
    appendTwoDigits(text, time.minute);
    text += ':';
    appendTwoDigits(text, time.second);
    return text;
}

std::string FixedFileTypeNames::describe(std::string_view fileName) const {
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == fileName.size()) return "File";
    std::string extension(fileName.substr(dot + 1));
    for (auto& c : extension)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return extension + " File";
}

}  // namespace quillon::discovery
