#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "plotting/pdf/PdfFileAccess.h"

namespace quillon::plotting {

// One sheet to go into a combined file, in the order it goes in.
struct CombinedSheet {
    std::string drawing;  // the drawing's bookmark: its name
    std::string layout;   // the sheet's bookmark under it: "Model" or the layout's name
    std::string file;     // the sheet's PDF (UTF-8)
    // The file is an earlier combined file that holds the sheet (its own file went once it was in): the
    // sheet's pages are those the record names (pageCount from firstPage, counted from 0), else those under
    // its bookmark, the occurrence-th one of this drawing and layout.
    bool inCombinedFile = false;
    std::size_t occurrence = 0;
    std::size_t firstPage = 0;
    std::size_t pageCount = 0;
    // The drawing's path: which record the sheet belongs to.
    std::string path{};
    // Its bookmark under the drawing's, when the run names bookmarks by a pattern (empty: the layout's name).
    std::string bookmark{};
    const std::string& bookmarkText() const { return bookmark.empty() ? layout : bookmark; }
    // The file an earlier run made, still up to date: taken into the set, never this run's to remove.
    bool earlier = false;
};

// A sheet that is not in the combined file, and why.
struct LeftOutSheet {
    CombinedSheet sheet;
    std::string why;
};

// Where a sheet went in the combined file: the index of the sheet as given, its first page (from 0), its pages.
// The first page is the page's index in the file as it is, front pages included: the record names pages a
// later run takes from the file by that index.
struct PlacedSheet {
    std::size_t sheet = 0;
    std::size_t firstPage = 0;
    std::size_t pages = 0;
};

struct CombineResult {
    // Combined: every sheet is in; WithWarnings: some were left out; Failed: no file was put in place
    // (the one there before, if any, is untouched); Stopped: stopped before the file was whole.
    enum class Kind { Combined, CombinedWithWarnings, Failed, Stopped };
    Kind kind = Kind::Failed;
    std::string file;        // where the combined file is: the target, or the next free " (N)" name
    std::size_t pages = 0;   // counted in the written file, reopened
    std::vector<LeftOutSheet> leftOut;
    std::vector<PlacedSheet> placed;  // every sheet that went in, in order
    std::string frontLeftOut;  // why the front pages are not in (the file is then combined with warnings)
    std::string error;       // why it failed
};

// Pages that go before every sheet, under a bookmark of their own: the set's register.
struct CombineFront {
    std::string file;      // a PDF whose pages go first (UTF-8); nothing goes in front when empty
    std::string bookmark;  // a top-level bookmark to the first of them, before the drawings'
};

struct CombineProgress {
    // Called before each sheet (done of total); stop is asked between sheets.
    std::function<void(std::size_t done, std::size_t total)> progress;
    std::function<bool()> stop;
};

// Combines sheet PDFs into one file at target: pages in the order given, a
// bookmark per drawing (consecutive sheets of the same drawing share it) with
// one per sheet under it, every page's boxes as its sheet had them. A sheet
// file that cannot be read is left out and named. The file is written under a
// temporary name beside the target, reopened and its pages counted, and moved
// over the target only when the count is right: a failing or stopped combine
// leaves the target as it was. A target that cannot be replaced (open in a
// viewer) is left, and the file goes to the next free " (N)" name. Front pages
// that cannot be read leave the sheets combined without them, with a warning;
// with no sheet to follow them there is no file.
CombineResult combinePdfSheets(const std::vector<CombinedSheet>& sheets, const std::string& target,
                               PdfFileAccess& files, const CombineProgress& control = {},
                               const CombineFront& front = {});

// The number of pages of a PDF file the library can read; -1 when it cannot (why says why).
long countPdfPages(const std::string& file, PdfFileAccess& files, std::string& why);

}  // namespace quillon::plotting
