#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "discovery/CopiesBox.h"
#include "discovery/DrawingTexts.h"
#include "discovery/NamePattern.h"

namespace quillon::discovery {
namespace {

TEST(SizeText, KilobytesToOneDecimalWithHalvesToEven) {
    const FixedNumberFormatter numbers;
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 KB"},      {50, "0 KB"},     {256, "0.2 KB"},      {768, "0.8 KB"},      {1023, "1 KB"},
        {1280, "1.2 KB"}, {1536, "1.5 KB"}, {1792, "1.8 KB"},     {2048, "2 KB"},       {2303, "2.2 KB"},
        {2305, "2.3 KB"}, {10240, "10 KB"}, {1048576, "1024 KB"}, {1048575, "1024 KB"}, {1048524, "1023.9 KB"},
    };
    for (auto [bytes, text] : cases) EXPECT_EQ(sizeText(bytes, numbers), text) << bytes;
}

TEST(SizeText, TheLargestSizeDoesNotOverflow) {
    EXPECT_EQ(sizeText(std::numeric_limits<std::uint64_t>::max(), FixedNumberFormatter()), "18014398509481984 KB");
}

TEST(SizeText, UsesTheUsersDecimalSeparator) {
    const FixedNumberFormatter comma(",");
    EXPECT_EQ(sizeText(1536, comma), "1,5 KB");
    EXPECT_EQ(sizeText(2048, comma), "2 KB");
}

TEST(DateText, ShortDateAndLongTimeInLocalTime) {
    const FixedDateTimeFormatter utc;
    EXPECT_EQ(dateText(fileTimeFromUtc({2023, 12, 31, 23, 59, 59}), utc), "31/12/2023 23:59:59");
    EXPECT_EQ(dateText(fileTimeFromUtc({2024, 2, 29, 0, 0, 1}), utc), "29/02/2024 00:00:01");
}

TEST(DateText, ExactlyMidnightShowsTheDateAlone) {
    EXPECT_EQ(dateText(fileTimeFromUtc({2024, 3, 1, 0, 0, 0}), FixedDateTimeFormatter()), "01/03/2024");
    // Midnight is the user's, not UTC's.
    const FixedDateTimeFormatter halfHourAhead(30);
    EXPECT_EQ(dateText(fileTimeFromUtc({2024, 2, 29, 23, 30, 0}), halfHourAhead), "01/03/2024");
    EXPECT_EQ(dateText(fileTimeFromUtc({2024, 3, 1, 0, 0, 0}), halfHourAhead), "01/03/2024 00:30:00");
}

TEST(NamePattern, MatchesTheLongNameOnlyIgnoringAsciiCase) {
    EXPECT_TRUE(matchesPattern("plan.dwg", "*.DWG"));
    EXPECT_TRUE(matchesPattern("A.B.dWg", "*.DWG"));
    EXPECT_TRUE(matchesPattern("Straße.DWG", "*.DWG"));
    EXPECT_FALSE(matchesPattern("plan.dwgbak", "*.DWG"));
    EXPECT_FALSE(matchesPattern("plan.dw", "*.DWG"));
    EXPECT_FALSE(matchesPattern("plandwg", "*.DWG"));
    EXPECT_TRUE(matchesPattern("図.dwg", "?.dwg"));
    EXPECT_FALSE(matchesPattern("図面.dwg", "?.dwg"));
    EXPECT_TRUE(matchesPattern("a-b-c.dwg", "*-*-*.DWG"));
}

TEST(CopiesBox, OnlyDigitsAndBackspaceAreTyped) {
    for (char32_t c = U'0'; c <= U'9'; ++c) EXPECT_TRUE(copies_box::acceptsCharacter(c));
    EXPECT_TRUE(copies_box::acceptsCharacter(8));
    for (char32_t c : {U'a', U'-', U'.', U' ', U'+', char32_t{13}, char32_t{127}, U'٣'})
        EXPECT_FALSE(copies_box::acceptsCharacter(c));
}

TEST(CopiesBox, NumbersAboveZeroUpTo32767BecomeTheCount) {
    using copies_box::countFromText;
    EXPECT_EQ(countFromText("3"), 3);
    EXPECT_EQ(countFromText("007"), 7);
    EXPECT_EQ(countFromText(" 12 "), 12);
    EXPECT_EQ(countFromText("32767"), 32767);
    EXPECT_EQ(countFromText("2.5"), 2);
    EXPECT_EQ(countFromText("3.5"), 4);
    EXPECT_EQ(countFromText("2.51"), 3);
    EXPECT_EQ(countFromText("32766.5"), 32766);
    EXPECT_EQ(countFromText("0.6"), 1);
}

TEST(CopiesBox, OtherTextsLeaveTheCountAlone) {
    using copies_box::countFromText;
    for (const char* text : {"", " ", "0", "000", "0.0", "32768", "32767.2", "99999999999999999999", "abc", "3a", "-3",
                             "1e3", ".", "1.2.3"})
        EXPECT_FALSE(countFromText(text)) << text;
}

}  // namespace
}  // namespace quillon::discovery
