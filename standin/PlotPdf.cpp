#include "standin/PlotPdf.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <regex>
#include <utility>

#include <pdfio-content.h>
#include <pdfio.h>

namespace quillon::standin {

namespace {

constexpr double PointsPerMm = 72.0 / 25.4;

struct KnownPaper {
    const char* name;  // upper case, as the canonical name begins
    double widthMm;
    double heightMm;
};

// Portrait sizes; longer names first, so "ISO_A10" is never taken for "ISO_A1".
constexpr std::array<KnownPaper, 19> kKnown{{
    {"ISO_A0", 841, 1189},    {"ISO_A1", 594, 841},     {"ISO_A2", 420, 594},    {"ISO_A3", 297, 420},
    {"ISO_A4", 210, 297},     {"ISO_B1", 707, 1000},    {"ANSI_A", 215.9, 279.4}, {"ANSI_B", 279.4, 431.8},
    {"ANSI_C", 431.8, 558.8}, {"ANSI_D", 558.8, 863.6}, {"ANSI_E", 863.6, 1117.6}, {"ARCH_A", 228.6, 304.8},
    {"ARCH_B", 304.8, 457.2}, {"ARCH_C", 457.2, 609.6}, {"ARCH_D", 609.6, 914.4}, {"ARCH_E1", 762, 1066.8},
    {"ARCH_E", 914.4, 1219.2}, {"LETTER", 215.9, 279.4}, {"LEGAL", 215.9, 355.6},
}};

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// Only the paper's own name, not "ISO_A10" for "ISO_A1": the next character ends the name.
bool namedAs(const std::string& name, const std::string& paper) {
    return name.rfind(paper, 0) == 0 && (name.size() == paper.size() || name[paper.size()] == '_' ||
                                         name[paper.size()] == ' ' || name[paper.size()] == '(');
}

ssize_t writeToStream(void* context, const void* data, std::size_t length) {
    auto* out = static_cast<std::ofstream*>(context);
    out->write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
    return *out ? static_cast<ssize_t>(length) : -1;
}

bool quiet(pdfio_file_t*, const char*, void*) { return false; }

// The lines, in a form of their own: the library compresses every page's contents, a form it leaves as written.
pdfio_obj_t* textForm(pdfio_file_t* pdf, PageSize page, const std::vector<std::string>& lines, pdfio_obj_t* font) {
    pdfio_dict_t* dict = pdfioDictCreate(pdf);
    pdfio_rect_t box{0, 0, page.width, page.height};
    pdfio_dict_t* resources = pdfioDictCreate(pdf);
    pdfio_dict_t* fonts = pdfioDictCreate(pdf);
    if (!dict || !resources || !fonts) return nullptr;
    pdfioDictSetObj(fonts, "F1", font);
    pdfioDictSetDict(resources, "Font", fonts);
    pdfioDictSetName(dict, "Type", "XObject");
    pdfioDictSetName(dict, "Subtype", "Form");
    pdfioDictSetRect(dict, "BBox", &box);
    pdfioDictSetDict(dict, "Resources", resources);
    pdfio_obj_t* form = pdfioFileCreateObj(pdf, dict);
    pdfio_stream_t* st = form ? pdfioObjCreateStream(form, PDFIO_FILTER_NONE) : nullptr;
    if (!st) return nullptr;
    const double size = std::clamp(page.height / 60.0, 8.0, 24.0);
    const double margin = 10 * PointsPerMm;
    bool ok = pdfioStreamPrintf(st, "1 w %.2f %.2f %.2f %.2f re S\n", margin, margin, page.width - 2 * margin,
                                page.height - 2 * margin) &&
              pdfioContentTextBegin(st) && pdfioContentSetTextFont(st, "F1", size) &&
              pdfioContentSetTextLeading(st, size * 1.4) &&
              pdfioContentTextMoveTo(st, size * 3, page.height - size * 4);
    for (const std::string& line : lines) ok = ok && pdfioContentTextShow(st, false, line.c_str()) &&
                                               pdfioContentTextNewLine(st);
    ok = pdfioContentTextEnd(st) && ok;
    return pdfioStreamClose(st) && ok ? form : nullptr;
}

}  // namespace

PageSize mediaPageSize(const std::string& canonicalName, int plotRotation) {
    const std::string name = upper(canonicalName);
    double width = 210 * PointsPerMm;
    double height = 297 * PointsPerMm;
    static const std::regex stated(R"(\(([0-9.]+)[_ ]X[_ ]([0-9.]+)[_ ](MM|INCHES|PIXELS)\))");
    std::smatch size;
    if (std::regex_search(name, size, stated)) {
        const double unit = size[3] == "MM" ? PointsPerMm : size[3] == "INCHES" ? 72.0 : 0.75;
        width = std::stod(size[1]) * unit;
        height = std::stod(size[2]) * unit;
    } else {
        const std::string bare = name.rfind("ISO_FULL_BLEED_", 0) == 0 ? "ISO_" + name.substr(15) : name;
        for (const KnownPaper& paper : kKnown) {
            if (namedAs(bare, paper.name)) {
                width = paper.widthMm * PointsPerMm;
                height = paper.heightMm * PointsPerMm;
                break;
            }
        }
    }
    if (plotRotation == 1 || plotRotation == 3) std::swap(width, height);
    return {width, height};
}

bool writePlotPdf(const std::filesystem::path& file, PageSize page, const std::vector<std::string>& lines) {
    std::ofstream out(file, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!out) return false;
    pdfio_rect_t box{0, 0, page.width, page.height};
    pdfio_file_t* pdf = pdfioFileCreateOutput(writeToStream, &out, "1.7", &box, &box, quiet, nullptr);
    if (!pdf) return false;
    pdfio_obj_t* font = pdfioFileCreateFontObjFromBase(pdf, "Helvetica");
    pdfio_obj_t* form = font ? textForm(pdf, page, lines, font) : nullptr;
    bool ok = form != nullptr;
    if (ok) {
        pdfio_dict_t* dict = pdfioDictCreate(pdf);
        ok = dict && pdfioDictSetRect(dict, "MediaBox", &box) && pdfioPageDictAddFont(dict, "F1", font) &&
             pdfioPageDictAddImage(dict, "Sheet", form);
        pdfio_stream_t* st = ok ? pdfioFileCreatePage(pdf, dict) : nullptr;
        ok = st && pdfioContentDrawImage(st, "Sheet", 0, 0, 1, 1) && pdfioStreamClose(st);
    }
    ok = pdfioFileClose(pdf) && ok;
    out.close();
    return ok && static_cast<bool>(out);
}

}  // namespace quillon::standin
