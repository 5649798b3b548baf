#include <cstdio>
#include <filesystem>

#include <pdfio.h>

#include "StandinTestSupport.h"
#include "plotting/register/RegisterLayout.h"
#include "plotting/register/RegisterPages.h"

namespace quillon::plotting {
namespace {

using standin::testing::TempFolder;

// Every page's drawing instructions, decoded, as the library reads them back.
std::vector<std::string> pageContents(const std::string& path) {
    std::vector<std::string> pages;
    pdfio_file_t* pdf = pdfioFileOpen(path.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (!pdf) return pages;
    for (std::size_t i = 0; i < pdfioFileGetNumPages(pdf); ++i) {
        pdfio_obj_t* page = pdfioFileGetPage(pdf, i);
        std::string text;
        for (std::size_t s = 0; s < pdfioPageGetNumStreams(page); ++s) {
            pdfio_stream_t* st = pdfioPageOpenStream(page, s, true);
            char buffer[4096];
            for (ssize_t n; st && (n = pdfioStreamRead(st, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
            if (st) pdfioStreamClose(st);
        }
        pages.push_back(text);
    }
    pdfioFileClose(pdf);
    return pages;
}

std::size_t occurrences(const std::vector<std::string>& pages, const std::string& what) {
    std::size_t count = 0;
    for (const std::string& page : pages)
        for (std::size_t at = page.find(what); at != std::string::npos; at = page.find(what, at + 1)) ++count;
    return count;
}

class RegisterPages : public ::testing::Test {
protected:
    TempFolder dir;
    StdPdfFileAccess files;
    std::string path = dir.at("Register.pdf");
    RegisterTable table{"Tower B", {"No.", "Drawing", "Title"}, {}};
};

TEST_F(RegisterPages, ALongRegisterRunsOverPagesWithEveryRowOnceAndTheHeadingsOnEachPage) {
    for (int i = 1; i <= 120; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "A-%03d", i);
        table.rows.push_back({number, "Level " + std::to_string(i), "General arrangement"});
    }
    table.rows[5][2] = std::string(400, 'W') + " (revised)";
    table.rows[6].resize(1);  // a short row leaves its other cells empty

    const RegisterPagesResult result = writeRegisterPages(table, path, {}, files);

    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.note.empty());
    const std::vector<std::string> pages = pageContents(path);
    ASSERT_EQ(pages.size(), result.pages);
    ASSERT_GE(pages.size(), 3u);
    for (int i = 1; i <= 120; ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "(A-%03d)Tj", i);
        EXPECT_EQ(occurrences(pages, number), 1u) << number;
    }
    EXPECT_NE(pages.front().find("(A-001)Tj"), std::string::npos);
    EXPECT_NE(pages.back().find("(A-120)Tj"), std::string::npos);
    const std::string lastLabel =
        "(page " + std::to_string(pages.size()) + " of " + std::to_string(pages.size()) + ")Tj";
    EXPECT_NE(pages.back().find(lastLabel), std::string::npos);
    EXPECT_EQ(occurrences(pages, "(Drawing register: Tower B)Tj"), pages.size());
    EXPECT_EQ(occurrences(pages, "(Title)Tj"), pages.size());
    EXPECT_EQ(occurrences(pages, "(revised)"), 0u) << "the long title is shortened to its column";
    EXPECT_EQ(occurrences(pages, "WWW...)Tj"), 1u);
}

// UTF-16 code units in hex, as the library writes text in an embedded Unicode font.
std::string unicodeHex(const std::u16string& text) {
    std::string hex = "<";
    char unit[8];
    for (char16_t c : text) {
        std::snprintf(unit, sizeof unit, "%04X", static_cast<unsigned>(c));
        hex += unit;
    }
    return hex + ">Tj";
}

TEST_F(RegisterPages, NamesOutsideTheStandardEncodingComeInTheFirstTrueTypeFontAtHandThatHasThem) {
    const std::string dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(dejaVu)) GTEST_SKIP() << "no TrueType font on this machine";
    table.rows = {{"1", "Фасад", "Façade"}};

    const RegisterPagesResult result = writeRegisterPages(table, path, {{dir.at("missing.ttf"), dejaVu}}, files);

    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.note.empty()) << result.note;
    const std::vector<std::string> pages = pageContents(path);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find(unicodeHex(u"Фасад")), std::string::npos);
    EXPECT_NE(pages[0].find(unicodeHex(u"Façade")), std::string::npos) << "one font for the whole table";
}

TEST_F(RegisterPages, WithoutAFontTheyShowAsQuestionMarksAndTheNoteSaysSoAndBrokenTextStaysOnItsLine) {
    table.rows = {{"1", "Фасад", "Façade"}, {"2", "Bad\xFF", "Line\nbreak"}};

    const RegisterPagesResult result = writeRegisterPages(table, path, {{dir.at("missing.ttf")}}, files);

    ASSERT_TRUE(result.ok) << result.error;
    const std::vector<std::string> pages = pageContents(path);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("(" + std::string(5, '?') + ")Tj"), std::string::npos);
    const std::string facade = std::string("(Fa") + '\xE7' + "ade)Tj";
    EXPECT_NE(pages[0].find(facade), std::string::npos) << "Western European text stays as it is";
    EXPECT_NE(pages[0].find("(Bad?)Tj"), std::string::npos);
    EXPECT_NE(pages[0].find("(Line break)Tj"), std::string::npos);
    EXPECT_NE(result.note.find("6 characters"), std::string::npos) << result.note;
}

TEST(RegisterLayout, ShortColumnsKeepTheirWidthAndLongTextIsCutToFitWithDots) {
    EXPECT_EQ(columnWidths({10, 30}, 80), (std::vector<double>{10, 70}));
    EXPECT_EQ(columnWidths({20, 300, 500}, 200), (std::vector<double>{20, 90, 90}));
    const TextWidth width = [](const std::string& text) { return static_cast<double>(text.size()); };
    EXPECT_EQ(fittedText("Elevation", 9, width), "Elevation");
    EXPECT_EQ(fittedText("North elevation", 9, width), "North...");
    EXPECT_EQ(fittedText("Elevation", 2, width), "");
    EXPECT_EQ(fittedText("Фxxxxx", 5, width), "Ф...");
    EXPECT_EQ(fittedText("Фxxxxx", 4, width), "...") << "a character is never cut through";
}

}  // namespace
}  // namespace quillon::plotting
