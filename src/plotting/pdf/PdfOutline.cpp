#include "plotting/pdf/PdfOutline.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

namespace quillon::plotting {

namespace {

// Code points of UTF-8 text; a malformed byte reads as U+FFFD.
std::vector<std::uint32_t> codePoints(const std::string& utf8) {
    std::vector<std::uint32_t> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > utf8.size()) {
            points.push_back(0xFFFD);
            ++i;
            continue;
        }
        std::uint32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

std::vector<unsigned char> utf16be(const std::string& utf8) {
    std::vector<unsigned char> bytes{0xFE, 0xFF};
    auto unit = [&](std::uint32_t value) {
        bytes.push_back(static_cast<unsigned char>(value >> 8));
        bytes.push_back(static_cast<unsigned char>(value & 0xFF));
    };
    for (std::uint32_t point : codePoints(utf8)) {
        if (point >= 0x10000) {
            point -= 0x10000;
            unit(0xD800 + (point >> 10));
            unit(0xDC00 + (point & 0x3FF));
        } else {
            unit(point);
        }
    }
    return bytes;
}

struct Item {
    pdfio_dict_t* dict = nullptr;
    pdfio_obj_t* obj = nullptr;
};

Item newItem(pdfio_file_t* pdf) {
    Item item;
    item.dict = pdfioDictCreate(pdf);
    if (item.dict) item.obj = pdfioFileCreateObj(pdf, item.dict);
    return item;
}

bool setDestination(pdfio_file_t* pdf, pdfio_dict_t* dict, pdfio_obj_t* page) {
    pdfio_array_t* destination = pdfioArrayCreate(pdf);
    return destination && pdfioArrayAppendObj(destination, page) && pdfioArrayAppendName(destination, "Fit") &&
           pdfioDictSetArray(dict, "Dest", destination);
}

// Links siblings in order under parent, and the parent to its first and last child.
bool link(const Item& parent, const std::vector<Item>& children) {
    bool ok = true;
    for (std::size_t i = 0; i < children.size(); ++i) {
        ok = ok && pdfioDictSetObj(children[i].dict, "Parent", parent.obj);
        if (i > 0) ok = ok && pdfioDictSetObj(children[i].dict, "Prev", children[i - 1].obj);
        if (i + 1 < children.size()) ok = ok && pdfioDictSetObj(children[i].dict, "Next", children[i + 1].obj);
    }
    if (!children.empty()) {
        ok = ok && pdfioDictSetObj(parent.dict, "First", children.front().obj) &&
             pdfioDictSetObj(parent.dict, "Last", children.back().obj);
    }
    return ok;
}

pdfio_dict_t* linked(pdfio_dict_t* item, const char* key) {
    pdfio_obj_t* obj = item ? pdfioDictGetObj(item, key) : nullptr;
    return obj ? pdfioObjGetDict(obj) : nullptr;
}

std::string titleOf(pdfio_dict_t* item) {
    const char* title = pdfioDictGetString(item, "Title");
    return title ? title : "";
}

}  // namespace

std::vector<OutlineEntry> readOutline(pdfio_file_t* pdf) {
    std::vector<OutlineEntry> entries;
    const std::size_t pages = pdfioFileGetNumPages(pdf);
    std::map<std::size_t, std::size_t> pageIndex;  // the page object's number -> its index
    for (std::size_t i = 0; i < pages; ++i)
        if (pdfio_obj_t* page = pdfioFileGetPage(pdf, i)) pageIndex.emplace(pdfioObjGetNumber(page), i);
    auto firstPage = [&](pdfio_dict_t* item) -> std::optional<std::size_t> {
        pdfio_array_t* destination = pdfioDictGetArray(item, "Dest");
        pdfio_obj_t* page = destination ? pdfioArrayGetObj(destination, 0) : nullptr;
        const auto found = page ? pageIndex.find(pdfioObjGetNumber(page)) : pageIndex.end();
        if (found == pageIndex.end()) return std::nullopt;
        return found->second;
    };
    // A damaged or hostile file may link its bookmarks in a ring: never walk more than it could hold.
    std::size_t budget = 2 * pages + 16;
    pdfio_dict_t* catalog = pdfioFileGetCatalog(pdf);
    for (pdfio_dict_t* drawing = linked(linked(catalog, "Outlines"), "First"); drawing && budget > 0;
         drawing = linked(drawing, "Next"), --budget) {
        const std::string name = titleOf(drawing);
        for (pdfio_dict_t* sheet = linked(drawing, "First"); sheet && budget > 0; sheet = linked(sheet, "Next"), --budget)
            if (const auto page = firstPage(sheet)) entries.push_back({name, titleOf(sheet), *page});
    }
    return entries;
}

bool setTextString(pdfio_file_t* pdf, pdfio_dict_t* dict, const char* key, const std::string& utf8) {
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return pdfioDictSetString(dict, key, pdfioStringCreate(pdf, utf8.c_str()));
    const std::vector<unsigned char> bytes = utf16be(utf8);
    return pdfioDictSetBinary(dict, key, bytes.data(), bytes.size());
}

bool writeOutline(pdfio_file_t* pdf, const std::vector<OutlineSheet>& sheets, const std::vector<OutlineMark>& front) {
    if (sheets.empty() && front.empty()) return true;
    Item root = newItem(pdf);
    if (!root.obj) return false;
    bool ok = pdfioDictSetName(root.dict, "Type", "Outlines");

    std::vector<Item> top;  // the root's children: the front marks, then one per drawing
    std::vector<Item> all;
    for (std::size_t i = 0; i < front.size() && ok; ++i) {
        Item mark = newItem(pdf);
        ok = mark.obj && setTextString(pdf, mark.dict, "Title", front[i].title) &&
             setDestination(pdf, mark.dict, front[i].page);
        top.push_back(mark);
        all.push_back(mark);
    }
    std::size_t first = 0;
    while (first < sheets.size() && ok) {
        std::size_t end = first + 1;
        while (end < sheets.size() && sheets[end].drawing == sheets[first].drawing) ++end;
        Item drawing = newItem(pdf);
        ok = drawing.obj && setTextString(pdf, drawing.dict, "Title", sheets[first].drawing) &&
             setDestination(pdf, drawing.dict, sheets[first].page);
        std::vector<Item> children;
        for (std::size_t i = first; i < end && ok; ++i) {
            Item sheet = newItem(pdf);
            ok = sheet.obj && setTextString(pdf, sheet.dict, "Title", sheets[i].layout) &&
                 setDestination(pdf, sheet.dict, sheets[i].page);
            children.push_back(sheet);
        }
        // A positive count shows the drawing's sheets unfolded.
        ok = ok && link(drawing, children) &&
             pdfioDictSetNumber(drawing.dict, "Count", static_cast<double>(children.size()));
        top.push_back(drawing);
        all.push_back(drawing);
        all.insert(all.end(), children.begin(), children.end());
        first = end;
    }
    ok = ok && link(root, top) && pdfioDictSetNumber(root.dict, "Count", static_cast<double>(all.size()));

    pdfio_dict_t* catalog = pdfioFileGetCatalog(pdf);
    ok = ok && catalog && pdfioDictSetObj(catalog, "Outlines", root.obj) &&
         pdfioDictSetName(catalog, "PageMode", "UseOutlines");
    // Every object made must be written, even after a failure, or the file's cross-reference table has holes.
    for (const Item& item : all) ok = pdfioObjClose(item.obj) && ok;
    return pdfioObjClose(root.obj) && ok;
}

}  // namespace quillon::plotting
