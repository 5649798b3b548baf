#include "win/SystemCodePage.h"

#include <windows.h>

#include <climits>
#include <string>

#include "win/Utf.h"

namespace quillon::win {

namespace {

class SystemAnsi final : public plotting::AnsiCodePage {
public:
    std::string toUtf8(std::string_view text) const override {
        if (text.empty() || text.size() > INT_MAX) return std::string(text);
        const int size = static_cast<int>(text.size());
        const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
        // A code page the system cannot convert from: the Western one is the likeliest guess.
        if (length <= 0) return plotting::windows1252().toUtf8(text);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
        return win::toUtf8(wide);
    }
};

}  // namespace

const plotting::AnsiCodePage& systemAnsiCodePage() {
    static const SystemAnsi codePage;
    return codePage;
}

}  // namespace quillon::win
