#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/FileSystem.h"
#include "discovery/DrawingTexts.h"
#include "discovery/RowTexts.h"

namespace quillon::discovery {
namespace {

// Central European time: an hour ahead of UTC, two in summer, the change at
// 01:00 UTC on the days given; times outside 1601..9999 cannot be converted.
class SummerTimeFormatter : public DateTimeFormatter {
public:
    SummerTimeFormatter(std::int64_t summerStarts, std::int64_t summerEnds) : starts_(summerStarts), ends_(summerEnds) {}
    std::optional<LocalTime> toLocal(std::int64_t fileTimeUtc) const override {
        if (fileTimeUtc < 0 || fileTimeUtc >= fileTimeFromUtc({10000, 1, 1, 0, 0, 0})) return std::nullopt;
        const bool summer = fileTimeUtc >= starts_ && fileTimeUtc < ends_;
        return utcFromFileTime(fileTimeUtc + (summer ? 2 : 1) * 36'000'000'000LL);
    }
    std::string shortDate(const LocalTime& time) const override { return plain_.shortDate(time); }
    std::string longTime(const LocalTime& time) const override { return plain_.longTime(time); }

private:
    std::int64_t starts_;
    std::int64_t ends_;
    FixedDateTimeFormatter plain_;
};

class NoFiles : public base::FileSystem {
public:
    std::optional<std::vector<base::DirEntry>> list(const std::string&) override { return std::nullopt; }
    std::optional<base::FolderIdentity> identity(const std::string&) override { return std::nullopt; }
    bool fileExists(const std::string&) override { return false; }
};

// The texts of one search are remembered by extension, day, second and week:
// they must still be exactly what each file's own conversion gives, above
// all around a change of the clocks.
TEST(RowTexts, DatesAroundAChangeOfTheClocksAreThoseOfEachFilesOwnConversion) {
    const std::int64_t starts = fileTimeFromUtc({2024, 3, 31, 1, 0, 0});
    const std::int64_t ends = fileTimeFromUtc({2024, 10, 27, 1, 0, 0});
    const SummerTimeFormatter dates(starts, ends);
    NoFiles files;
    FixedNumberFormatter numbers;
    FixedFileTypeNames types;
    const SearchServices services{files, numbers, dates, types};
    RowTexts texts(services);
    constexpr std::int64_t Step = (7 * 60 + 13) * 10'000'000LL;  // 7 min 13 s
    for (const std::int64_t change : {starts, ends}) {
        for (std::int64_t t = change - 3 * 864'000'000'000LL; t < change + 3 * 864'000'000'000LL; t += Step) {
            ASSERT_EQ(texts.date(t), dateText(t, dates)) << t;
        }
        for (std::int64_t t = change - 20'000'000; t <= change + 20'000'000; t += 10'000'000)
            ASSERT_EQ(texts.date(t), dateText(t, dates)) << t;
    }
    // Back and forth across the year, and the ends of what can be converted.
    for (const std::int64_t t : {ends + 5, starts - 5, fileTimeFromUtc({2024, 7, 1, 0, 0, 0}) - std::int64_t{72'000'000'000},
                                 std::int64_t{0}, std::int64_t{-1}, fileTimeFromUtc({9999, 12, 31, 23, 59, 59})})
        EXPECT_EQ(texts.date(t), dateText(t, dates)) << t;
}

// Days and weeks are kept in slots chosen by their low bits: ones far
// enough apart to meet in a slot must each still read as their own.
TEST(RowTexts, DaysAndWeeksThatShareASlotKeepTheirOwnTexts) {
    // Summer time in 2024 only, so weeks of 2024 and 2043 differ in offset.
    const SummerTimeFormatter dates(fileTimeFromUtc({2024, 3, 31, 1, 0, 0}), fileTimeFromUtc({2024, 10, 27, 1, 0, 0}));
    NoFiles files;
    FixedNumberFormatter numbers;
    FixedFileTypeNames types;
    RowTexts texts(SearchServices{files, numbers, dates, types});
    constexpr std::int64_t Week = 7 * 864'000'000'000LL;
    const std::int64_t summer = fileTimeFromUtc({2024, 7, 10, 9, 30, 15});
    const std::int64_t sixteenYearsOn = fileTimeFromUtc({2040, 7, 10, 9, 30, 15});
    for (int round = 0; round < 3; ++round) {
        for (const std::int64_t t : {summer, sixteenYearsOn, summer + 1024 * Week, summer, summer - 1024 * Week,
                                     sixteenYearsOn + 5 * 10'000'000, summer + 3'000 * Week})
            EXPECT_EQ(texts.date(t), dateText(t, dates)) << t;
    }
}

// Time texts written after a picture, as the user's long-time format has
// them: H hour of 24, h hour of 12, m minute with two digits, s seconds
// without a leading zero, S with one, # seconds in Arabic-Indic digits, t
// AM or PM; anything else as it stands.
class PictureTimes : public DateTimeFormatter {
public:
    explicit PictureTimes(std::string picture) : picture_(std::move(picture)) {}
    std::optional<LocalTime> toLocal(std::int64_t fileTimeUtc) const override { return plain_.toLocal(fileTimeUtc); }
    std::string shortDate(const LocalTime& time) const override { return plain_.shortDate(time); }
    std::string longTime(const LocalTime& time) const override {
        std::string text;
        for (const char c : picture_) {
            switch (c) {
                case 'H':
                    text += std::to_string(time.hour);
                    break;
                case 'h':
                    text += std::to_string(time.hour % 12 == 0 ? 12 : time.hour % 12);
                    break;
                case 'm':
                    text += twoDigits(time.minute);
                    break;
                case 's':
                    text += std::to_string(time.second);
                    break;
                case 'S':
                    text += twoDigits(time.second);
                    break;
                case '#':
                    for (const char digit : twoDigits(time.second)) {
                        text += "\xD9";  // U+0660 and on: D9 A0 to D9 A9
                        text += static_cast<char>(0xA0 + (digit - '0'));
                    }
                    break;
                case 't':
                    text += time.hour < 12 ? "AM" : "PM";
                    break;
                default:
                    text += c;
            }
        }
        return text;
    }

private:
    static std::string twoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }
    std::string picture_;
    FixedDateTimeFormatter plain_;
};

// Few files share a second, so the time text is assembled around the
// seconds of each minute: every second of a day must still read exactly as
// the formatter writes it, whatever the user's format does with seconds.
TEST(RowTexts, EverySecondOfADayReadsAsTheFormatterWritesIt) {
    NoFiles files;
    FixedNumberFormatter numbers;
    FixedFileTypeNames types;
    const std::int64_t day = fileTimeFromUtc({2024, 5, 3, 0, 0, 0});
    for (const char* picture : {"H:m:S", "h:m:s t", "t h:m:S", "H:m", "S s", "H.m.#", "S", "s\xE6\x99\x82", ""}) {
        const PictureTimes dates(picture);
        RowTexts texts(SearchServices{files, numbers, dates, types});
        for (std::int64_t second = 0; second < 86'400; ++second) {
            const std::int64_t t = day + second * 10'000'000;
            ASSERT_EQ(texts.date(t), dateText(t, dates)) << "picture \"" << picture << "\", second " << second;
        }
    }
}

TEST(RowTexts, TheTypeOfEachExtensionAsTheSystemNamesIt) {
    NoFiles files;
    FixedNumberFormatter numbers;
    FixedDateTimeFormatter dates;
    FixedFileTypeNames types;
    RowTexts texts(SearchServices{files, numbers, dates, types});
    EXPECT_EQ(texts.type("a.dwg"), "DWG File");
    EXPECT_EQ(texts.type("b.bak"), "BAK File");
    EXPECT_EQ(texts.type("c.DWG"), "DWG File");
    EXPECT_EQ(texts.type("plain"), "File");
    EXPECT_EQ(texts.type("d.dwg"), "DWG File");
}

}  // namespace
}  // namespace quillon::discovery
