#include "plotting/record/AnsiCodePage.h"

#include "base/Utf8.h"

namespace quillon::plotting {

namespace {

// 0x80 to 0x9F; the five bytes the code page leaves undefined map to the C1 controls, as the system maps them.
constexpr char16_t High1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

class Windows1252 final : public AnsiCodePage {
public:
    std::string toUtf8(std::string_view text) const override {
        std::string out;
        out.reserve(text.size() + text.size() / 8);
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            base::appendUtf8(out, byte >= 0x80 && byte < 0xA0 ? High1252[byte - 0x80] : byte);
        }
        return out;
    }
};

}  // namespace

const AnsiCodePage& windows1252() {
    static const Windows1252 codePage;
    return codePage;
}

bool isUtf8(std::string_view text) {
    char32_t code = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = base::utf8CharAt(text, i, code);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

}  // namespace quillon::plotting
