#include "plotting/register/RegisterPages.h"

#include <cstdlib>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <pdfio-content.h>
#include <pdfio.h>

#include "plotting/pdf/PdfCombiner.h"
#include "plotting/register/RegisterFont.h"
#include "plotting/register/RegisterLayout.h"

namespace quillon::plotting {

namespace {

// A4 landscape, in points.
constexpr double kPageWidth = 842;
constexpr double kPageHeight = 595;
constexpr double kMargin = 36;
constexpr double kTitleSize = 12;
constexpr double kTextSize = 9;
constexpr double kRowHeight = 14;
constexpr double kPadding = 4;   // between a cell's text and its column's edges
constexpr double kBaseline = 4;  // a line's text above its row's bottom
constexpr double kTableTop = kPageHeight - kMargin - kTitleSize - 12;
constexpr double kTableWidth = kPageWidth - 2 * kMargin;
constexpr const char* kFontName = "F1";

bool keepError(pdfio_file_t*, const char* message, void* data) {
    auto* errors = static_cast<std::string*>(data);
    if (errors->empty()) *errors = message;
    return false;
}

ssize_t writeToStream(void* context, const void* data, std::size_t length) {
    auto* out = static_cast<std::ofstream*>(context);
    out->write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
    return *out ? static_cast<ssize_t>(length) : -1;
}

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::size_t rowsPerPage() {
    // Below the headings' row, down to the bottom margin.
    return static_cast<std::size_t>((kTableTop - kRowHeight - kMargin) / kRowHeight);
}

std::string pageLabel(std::size_t page, std::size_t pages) {
    return "page " + std::to_string(page + 1) + " of " + std::to_string(pages);
}

// The register as the chosen font shows it, laid out: every text already has its '?' in place.
struct Laid {
    std::string title;
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows;
    std::vector<double> widths;
    std::size_t replaced = 0;
};

Laid layOut(const RegisterTable& table, const RegisterFont& font, pdfio_obj_t* fontObj) {
    Laid laid;
    std::size_t columns = table.headings.size();
    for (const auto& row : table.rows) columns = std::max(columns, row.size());
    laid.title =
        font.shown(table.title.empty() ? "Drawing register" : "Drawing register: " + table.title, laid.replaced);
    auto shownRow = [&](const std::vector<std::string>& cells) {
        std::vector<std::string> shown(columns);
        for (std::size_t i = 0; i < cells.size(); ++i) shown[i] = font.shown(cells[i], laid.replaced);
        return shown;
    };
    laid.headings = shownRow(table.headings);
    for (const auto& row : table.rows) laid.rows.push_back(shownRow(row));

    std::vector<double> wanted(columns, 0);
    auto want = [&](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < columns; ++i)
            wanted[i] =
                std::max(wanted[i], pdfioContentTextMeasure(fontObj, cells[i].c_str(), kTextSize) + 2 * kPadding);
    };
    want(laid.headings);
    for (const auto& row : laid.rows) want(row);
    laid.widths = columnWidths(wanted, kTableWidth);
    return laid;
}

bool rule(pdfio_stream_t* st, double y) {
    return pdfioContentPathMoveTo(st, kMargin, y) && pdfioContentPathLineTo(st, kMargin + kTableWidth, y);
}

bool showAt(pdfio_stream_t* st, bool unicode, double x, double y, const std::string& text) {
    if (text.empty()) return true;
    pdfio_matrix_t at = {{1, 0}, {0, 1}, {x, y}};
    return pdfioContentSetTextMatrix(st, at) && pdfioContentTextShow(st, unicode, text.c_str());
}

// One page: the title line, the headings on a grey band between two rules, then the rows from first, each
// closed by a hairline.
bool drawPage(pdfio_stream_t* st, const Laid& laid, std::size_t page, std::size_t pages, pdfio_obj_t* fontObj,
              bool unicode) {
    const std::size_t first = page * rowsPerPage();
    const std::size_t end = std::min(laid.rows.size(), first + rowsPerPage());
    const double headingsBottom = kTableTop - kRowHeight;
    bool ok = pdfioContentSave(st) && pdfioContentSetFillColorDeviceGray(st, 0.9) &&
              pdfioContentPathRect(st, kMargin, headingsBottom, kTableWidth, kRowHeight) &&
              pdfioContentFill(st, false) && pdfioContentRestore(st);
    ok = ok && pdfioContentSetLineWidth(st, 0.75) && rule(st, kTableTop) && rule(st, headingsBottom) &&
         pdfioContentStroke(st);
    ok = ok && pdfioContentSetLineWidth(st, 0.25) && pdfioContentSetStrokeColorDeviceGray(st, 0.6);
    for (std::size_t row = first; row < end && ok; ++row)
        ok = rule(st, headingsBottom - kRowHeight * static_cast<double>(row - first + 1));
    ok = ok && (end == first || pdfioContentStroke(st));

    auto measure = [&](double size) {
        return
            [fontObj, size](const std::string& text) { return pdfioContentTextMeasure(fontObj, text.c_str(), size); };
    };
    const std::string label = pageLabel(page, pages);
    const double labelWidth = measure(kTitleSize)(label);
    const double titleBaseline = kPageHeight - kMargin - kTitleSize;
    ok = ok && pdfioContentTextBegin(st) && pdfioContentSetTextFont(st, kFontName, kTitleSize) &&
         showAt(st, unicode, kMargin, titleBaseline,
                fittedText(laid.title, kTableWidth - labelWidth - 4 * kPadding, measure(kTitleSize))) &&
         showAt(st, unicode, kMargin + kTableWidth - labelWidth, titleBaseline, label) &&
         pdfioContentSetTextFont(st, kFontName, kTextSize);
    auto line = [&](const std::vector<std::string>& cells, double bottom) {
        double x = kMargin;
        for (std::size_t i = 0; i < cells.size() && ok; ++i) {
            const double room = laid.widths[i] - 2 * kPadding;
            ok = showAt(st, unicode, x + kPadding, bottom + kBaseline, fittedText(cells[i], room, measure(kTextSize)));
            x += laid.widths[i];
        }
    };
    line(laid.headings, headingsBottom);
    for (std::size_t row = first; row < end; ++row)
        line(laid.rows[row], headingsBottom - kRowHeight * static_cast<double>(row - first + 1));
    return pdfioContentTextEnd(st) && ok;
}

}  // namespace

RegisterFonts systemRegisterFonts() {
    RegisterFonts found;
    const char* windows = std::getenv("WINDIR");
    if (!windows || !*windows) return found;
    // The environment's text is the system's code page on Windows: a Windows folder of another script would not
    // round-trip, and then only the standard font serves.
    for (const char* name : {"arial.ttf", "segoeui.ttf", "tahoma.ttf", "msgothic.ttc", "simsun.ttc", "malgun.ttf"})
        found.trueType.push_back(std::string(windows) + "\\Fonts\\" + name);
    return found;
}

RegisterPagesResult writeRegisterPages(const RegisterTable& table, const std::string& path, const RegisterFonts& fonts,
                                       PdfFileAccess& files) {
    RegisterPagesResult result;
    std::vector<std::string> texts{table.title};
    texts.insert(texts.end(), table.headings.begin(), table.headings.end());
    for (const auto& row : table.rows) texts.insert(texts.end(), row.begin(), row.end());
    RegisterFont font(texts, fonts.trueType);

    std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
    if (!out) {
        result.error = "cannot create " + path;
        return result;
    }
    std::string error;
    pdfio_rect_t media{0, 0, kPageWidth, kPageHeight};
    pdfio_file_t* pdf = pdfioFileCreateOutput(writeToStream, &out, "1.7", &media, &media, keepError, &error);
    if (!pdf) {
        result.error = "cannot write " + path + ": " + error;
        return result;
    }
    pdfio_obj_t* fontObj = font.create(pdf);
    // A TrueType font the library refused leaves its complaint behind, though the standard font serves instead.
    error.clear();
    bool ok = fontObj != nullptr;
    const std::size_t pages = std::max<std::size_t>(1, (table.rows.size() + rowsPerPage() - 1) / rowsPerPage());
    if (ok) {
        const Laid laid = layOut(table, font, fontObj);
        result.note = font.note(laid.replaced);
        for (std::size_t page = 0; page < pages && ok; ++page) {
            pdfio_dict_t* dict = pdfioDictCreate(pdf);
            ok = dict && pdfioDictSetRect(dict, "MediaBox", &media) && pdfioPageDictAddFont(dict, kFontName, fontObj);
            pdfio_stream_t* st = ok ? pdfioFileCreatePage(pdf, dict) : nullptr;
            ok = st && drawPage(st, laid, page, pages, fontObj, font.unicode());
            ok = st && pdfioStreamClose(st) && ok;
        }
    }
    ok = pdfioFileClose(pdf) && ok;
    out.close();
    if (!ok || !out) {
        result.error = "cannot write " + path + (error.empty() ? "" : ": " + error);
        return result;
    }
    std::string why;
    const long counted = countPdfPages(path, files, why);
    if (counted != static_cast<long>(pages)) {
        result.error = counted < 0
                           ? "the register cannot be read back: " + why
                           : "the register has " + std::to_string(counted) + " pages, not " + std::to_string(pages);
        return result;
    }
    result.ok = true;
    result.pages = pages;
    return result;
}

}  // namespace quillon::plotting
