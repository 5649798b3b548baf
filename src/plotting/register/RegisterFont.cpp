#include "plotting/register/RegisterFont.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <system_error>

#include <pdfio-content.h>
#include <ttf.h>

#include "base/Utf8.h"

namespace quillon::plotting {

namespace {

// What Windows-1252 puts at 0x80..0x9F beside Latin-1 (five of those codes are unassigned).
constexpr std::array<char32_t, 27> kWindows1252Extras{
    0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x017D, 0x2018,
    0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};

// A font file larger than this is no table font: reading it whole would only cost memory.
constexpr std::uintmax_t kLargestFont = 64u << 20;

bool inStandardEncoding(char32_t code) {
    return (code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code <= 0xFF) ||
           std::find(kWindows1252Extras.begin(), kWindows1252Extras.end(), code) != kWindows1252Extras.end();
}

// Every character of text as it is to be drawn: a malformed byte as U+FFFD, which no reader mistakes for
// text; a control character (a line break in a name) as a space, since a table line is one line.
template <typename Visit>
void eachCharacter(const std::string& text, Visit visit) {
    for (std::size_t at = 0; at < text.size();) {
        char32_t code = 0;
        const std::size_t length = base::utf8CharAt(text, at, code);
        if (length == 0) code = 0xFFFD;
        if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0)) code = U' ';
        visit(code);
        at += length == 0 ? 1 : length;
    }
}

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Read here rather than by the library, which opens narrow names: a Windows path outside the code page would
// not reach it.
std::vector<unsigned char> readFont(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(fsPath(path), error);
    if (error || size == 0 || size > kLargestFont) return {};
    std::ifstream in(fsPath(path), std::ios::binary);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in) return {};
    return bytes;
}

void quietFont(void*, const char*) {}

// The characters the font has a glyph for. The embedded font is addressed by 16-bit character codes, so
// only the Basic Multilingual Plane counts; empty when the bytes are no font the library reads.
std::vector<bool> coverage(const std::vector<unsigned char>& bytes) {
    std::unique_ptr<ttf_t, decltype(&ttfDelete)> font(ttfCreateData(bytes.data(), bytes.size(), 0, quietFont, nullptr),
                                                      ttfDelete);
    if (!font) return {};
    std::size_t count = 0;
    const int* cmap = ttfGetCMap(font.get(), &count);
    if (!cmap) return {};
    std::vector<bool> covered(std::min<std::size_t>(count, 0x10000));
    // Glyph 0 is the font's "missing" box, no better than '?'.
    for (std::size_t code = 0; code < covered.size(); ++code) covered[code] = cmap[code] > 0 && cmap[code] < 0x10000;
    return covered;
}

}  // namespace

RegisterFont::RegisterFont(const std::vector<std::string>& texts, const std::vector<std::string>& candidates) {
    std::map<char32_t, std::size_t> used;  // every character, with how often it occurs
    for (const std::string& text : texts) eachCharacter(text, [&](char32_t code) { ++used[code]; });
    std::size_t fewest = 0;  // characters the standard font cannot show: a font must do better to be worth embedding
    for (const auto& [code, times] : used)
        if (!inStandardEncoding(code)) fewest += times;
    for (const std::string& path : candidates) {
        if (fewest == 0) break;
        std::vector<unsigned char> bytes = readFont(path);
        std::vector<bool> covered = bytes.empty() ? std::vector<bool>{} : coverage(bytes);
        if (covered.empty()) continue;
        anyCandidate_ = true;
        std::size_t missing = 0;
        for (const auto& [code, times] : used)
            if (code >= covered.size() || !covered[code]) missing += times;
        if (missing < fewest) {
            fewest = missing;
            trueType_ = std::move(bytes);
            covered_ = std::move(covered);
            path_ = path;
        }
    }
}

pdfio_obj_t* RegisterFont::create(pdfio_file_t* pdf) {
    if (!trueType_.empty()) {
        if (pdfio_obj_t* font = pdfioFileCreateFontObjFromData(pdf, trueType_.data(), trueType_.size(), true))
            return font;
        trueType_.clear();
        covered_.clear();
        path_.clear();
    }
    return pdfioFileCreateFontObjFromBase(pdf, "Helvetica");
}

bool RegisterFont::shows(char32_t code) const {
    if (!unicode()) return inStandardEncoding(code);
    return code < covered_.size() && covered_[code];
}

std::string RegisterFont::shown(const std::string& text, std::size_t& replaced) const {
    std::string out;
    out.reserve(text.size());
    eachCharacter(text, [&](char32_t code) {
        if (!shows(code)) {
            code = U'?';
            ++replaced;
        }
        base::appendUtf8(out, code);
    });
    return out;
}

std::string RegisterFont::note(std::size_t replaced) const {
    if (replaced == 0) return "";
    const std::string what = replaced == 1 ? "1 character of the register shows as '?': "
                                           : std::to_string(replaced) + " characters of the register show as '?': ";
    if (!path_.empty()) return what + "not even " + path_ + ", the font at hand that has the most of them, has them";
    if (anyCandidate_) return what + "neither the standard font nor any font at hand has them";
    return what + "the standard font has only Western European characters, and no other font could be read";
}

}  // namespace quillon::plotting
