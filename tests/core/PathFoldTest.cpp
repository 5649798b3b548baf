#include <gtest/gtest.h>

#include "base/Paths.h"
#include "base/UpperCase.h"
#include "plotting/files/PlotFileClaims.h"

namespace quillon::plotting {
namespace {

// Names compare as the file system compares them: one upper case per
// character, never a longer one, in every script the table covers.
TEST(PathFold, NamesCompareByEachCharactersSimpleUpperCase) {
    EXPECT_TRUE(base::samePath("C:\\Pläne\\Übersicht.dwg", "c:/PLÄNE/übersicht.DWG"));
    EXPECT_TRUE(base::samePath("Ärger.dwg", "ärger.dwg"));
    EXPECT_FALSE(base::samePath("Straße", "STRASSE")) << "no full folding: ß is not SS";
    EXPECT_TRUE(base::samePath("Straße", "STRAßE"));
    EXPECT_TRUE(base::samePath("ΣΧΈΔΙΟ", "σχέδιο"));
    EXPECT_TRUE(base::samePath("Чертёж", "ЧЕРТЁЖ"));
    EXPECT_TRUE(base::samePath("Łódź ŒUVRE Ǆ", "łóDŹ œuvre ǆ")) << "Latin Extended, alternating pairs";
    // Mappings that do not come back, and characters outside the BMP, Windows does not fold.
    EXPECT_FALSE(base::samePath("Σ", "ς"));
    EXPECT_FALSE(base::samePath("adminiſtrator", "ADMINISTRATOR"));
    EXPECT_FALSE(base::samePath("𐐨", "𐐀"));
    EXPECT_EQ(base::upperCaseOf(U'ÿ'), U'Ÿ');
    EXPECT_EQ(base::upperCaseOf(U'Ω'), U'Ω');

    // ASCII paths fold as they always have: shard parts of ASCII paths stay put.
    EXPECT_EQ(base::foldedPath("C:/Jobs\\Sub/A.DWG"), "c:\\jobs\\sub\\a.dwg");
    EXPECT_EQ(base::foldedPath("übersicht"), "Übersicht");

    // Bytes that are not UTF-8 (Latin-1, a cut sequence, an overlong '/') pass through.
    EXPECT_EQ(base::foldedPath("\xFC-\xC3-\xC0\xAF-\xED\xA0\x80.dwg"), "\xFC-\xC3-\xC0\xAF-\xED\xA0\x80.dwg");
    EXPECT_FALSE(base::samePath("\xFC.dwg", "\xDC.dwg"));
}

// Windows drops what these spellings add before it opens a file: they name the file they fold to.
TEST(PathFold, SpellingsWindowsReadsAsOneFileAreOnePath) {
    for (const char* same : {"C:\\Jobs\\j.qjob.", "C:\\Jobs\\j.qjob ", "C://Jobs//j.qjob", "C:\\Jobs\\Sub\\..\\.\\j.qjob",
                             "\\\\?\\C:\\Jobs\\j.qjob", "C:\\Jobs. \\j.qjob.. "})
        EXPECT_TRUE(base::samePath(same, "c:/jobs/J.QJOB")) << same;
    EXPECT_EQ(base::normalPath("C:/Jobs/H/"), "C:\\Jobs\\H");
    EXPECT_EQ(base::normalPath("C:\\..\\Jobs\\..\\"), "C:\\");
    EXPECT_EQ(base::normalPath("\\\\?\\UNC\\srv\\share\\..\\A.dwg"), "\\\\srv\\share\\A.dwg") << "never above the share";
    EXPECT_EQ(base::normalPath("//srv//share//"), "\\\\srv\\share");
    EXPECT_EQ(base::normalPath("..\\Jobs\\...\\A.dwg"), "..\\Jobs\\...\\A.dwg") << "relative, and a name of dots";
    EXPECT_FALSE(base::samePath("C:\\Jobs\\A.dwg", "C:\\Jobs\\A.dwg\\B"));
    // A layout is a name, not a path: its dots and separators stay.
    EXPECT_NE(base::foldedName("Plan."), base::foldedName("Plan"));
}

TEST(PathFold, LayoutsDifferingOnlyInTheCaseOfAnUmlautGetTwoPlotFiles) {
    PlotFileClaims names;
    EXPECT_EQ(names.claim("C:\\Out\\A-Übersicht.pdf"), "C:\\Out\\A-Übersicht.pdf");
    EXPECT_EQ(names.claim("C:\\Out\\A-übersicht.pdf"), "C:\\Out\\A-übersicht (2).pdf");
    EXPECT_EQ(names.claim("C:\\Out\\A-Straße.pdf"), "C:\\Out\\A-Straße.pdf");
    EXPECT_EQ(names.claim("C:\\Out\\A-STRASSE.pdf"), "C:\\Out\\A-STRASSE.pdf");
}

}  // namespace
}  // namespace quillon::plotting
