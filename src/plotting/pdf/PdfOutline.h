#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <pdfio.h>

namespace quillon::plotting {

// One sheet's bookmark: its drawing, its layout and its first page in the file being written.
struct OutlineSheet {
    std::string drawing;
    std::string layout;
    pdfio_obj_t* page = nullptr;
};

// A bookmark of pages that are no sheet's (the set's register): its title and its first page.
struct OutlineMark {
    std::string title;
    pdfio_obj_t* page = nullptr;
};

// Hangs the bookmarks on the catalog of pdf, which is being written: the
// front marks first, each with nothing under it, then one per drawing
// (consecutive sheets of one drawing share it), open, with one per sheet
// under it. The library has no bookmark calls of its own, so these are the
// outline dictionaries themselves, written before the file is closed.
bool writeOutline(pdfio_file_t* pdf, const std::vector<OutlineSheet>& sheets,
                  const std::vector<OutlineMark>& front = {});

// One sheet's bookmark in a file read back: its drawing, its layout and the index of its first page.
struct OutlineEntry {
    std::string drawing;
    std::string layout;
    std::size_t firstPage = 0;
};

// The sheets' bookmarks of a combined file (as writeOutline hangs them), in the file's order; a
// bookmark whose page is not one of the file's is passed over, and none when it has no bookmarks.
// A front mark has no sheet under it, so it gives none either.
std::vector<OutlineEntry> readOutline(pdfio_file_t* pdf);

// A PDF text string: plain for ASCII, else UTF-16BE with its byte-order mark,
// which every reader takes for any script.
bool setTextString(pdfio_file_t* pdf, pdfio_dict_t* dict, const char* key, const std::string& utf8);

}  // namespace quillon::plotting
