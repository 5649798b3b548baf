#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::discovery {

// Turns a plain decimal ("1536", "1.5": digits, optionally a point and
// fraction digits) into the user's number format, keeping exactly the
// fraction digits given. Windows uses the user's locale.
class NumberFormatter {
public:
    virtual ~NumberFormatter() = default;
    virtual std::string formatDecimal(std::string_view plain) const = 0;
};

// A wall-clock moment in the user's time zone.
struct LocalTime {
    int year = 1601;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const LocalTime&) const = default;
};

// The user's time zone and date and time formats.
class DateTimeFormatter {
public:
    virtual ~DateTimeFormatter() = default;
    // From 100-nanosecond ticks since 1601-01-01 UTC; nothing for a time
    // the platform cannot convert.
    virtual std::optional<LocalTime> toLocal(std::int64_t fileTimeUtc) const = 0;
    virtual std::string shortDate(const LocalTime& time) const = 0;
    virtual std::string longTime(const LocalTime& time) const = 0;
};

// The description the system records for a file name's extension
// ("AutoCAD Drawing"). Called from search threads: implementations must be
// safe to use from several threads at once.
class FileTypeNames {
public:
    virtual ~FileTypeNames() = default;
    virtual std::string describe(std::string_view fileName) const = 0;
};

// Fixed formats for tests, benchmarks and as a fallback: a point or the given
// separator for decimals, times in UTC shifted by a fixed offset, dates as
// day/month/year and times as hours:minutes:seconds on a 24-hour clock.
class FixedNumberFormatter : public NumberFormatter {
public:
    explicit FixedNumberFormatter(std::string decimalSeparator = ".") : separator_(std::move(decimalSeparator)) {}
    std::string formatDecimal(std::string_view plain) const override;

private:
    std::string separator_;
};

class FixedDateTimeFormatter : public DateTimeFormatter {
public:
    explicit FixedDateTimeFormatter(int offsetMinutes = 0) : offsetMinutes_(offsetMinutes) {}
    std::optional<LocalTime> toLocal(std::int64_t fileTimeUtc) const override;
    std::string shortDate(const LocalTime& time) const override;
    std::string longTime(const LocalTime& time) const override;

private:
    int offsetMinutes_;
};

// "<EXT> File" for any extension, "File" without one: the shape Windows
// uses for extensions no program has registered.
class FixedFileTypeNames : public FileTypeNames {
public:
    std::string describe(std::string_view fileName) const override;
};

// FILETIME ticks for a UTC calendar moment; for building test data.
std::int64_t fileTimeFromUtc(const LocalTime& utc);
// The calendar moment of FILETIME ticks, in UTC.
LocalTime utcFromFileTime(std::int64_t fileTime);

}  // namespace quillon::discovery
