#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "plotting/pdf/PdfFileAccess.h"

namespace quillon::plotting {

// The register of a set, as pages of their own: a table with its headings and one line per sheet. Text is UTF-8.
struct RegisterTable {
    std::string title;  // after "Drawing register" at the top of every page: the set's name
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows;  // cells in the headings' order; a short row leaves the rest empty
};

// TrueType fonts that may stand in for the standard one, in order of preference: the standard font shows only
// Western European characters (Windows-1252). Paths are UTF-8; a missing or unreadable one is passed over.
struct RegisterFonts {
    std::vector<std::string> trueType;
};

// The system's own TrueType fonts, Latin first, then those with Cyrillic, Greek and East Asian characters, as
// Windows keeps them in its Fonts folder (the WINDIR environment variable); none where there is no such folder.
RegisterFonts systemRegisterFonts();

struct RegisterPagesResult {
    bool ok = false;
    std::size_t pages = 0;  // counted in the written file, reopened
    std::string error;      // why it is not ok; the file at path is then not to be used
    std::string note;       // text the pages could not show as written, for the report; empty when all shows
};

// Writes the register to path as A4 landscape pages: a title line with "page n of m" on each, the headings
// repeated under it, then as many lines as fit, each cell shortened with "..." to its column. The standard
// font serves while every character is in its encoding; else the first font of fonts that has them all (or
// the most) is embedded and used for the whole table. A character no font at hand has shows as '?', and the
// note says so. The file is reopened through files to count its pages.
RegisterPagesResult writeRegisterPages(const RegisterTable& table, const std::string& path, const RegisterFonts& fonts,
                                       PdfFileAccess& files);

}  // namespace quillon::plotting
