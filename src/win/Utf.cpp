#include "win/Utf.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace quillon::win {

namespace {
int checkedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) throw std::length_error("text too long to convert");
    return static_cast<int>(size);
}

// Most names and texts are plain ASCII, which is the same in both forms: no
// system call is needed for them (a search converts every file's name).
template <class To, class From>
bool copyAscii(From from, To& to) {
    for (auto c : from)
        if (static_cast<unsigned>(c) >= 0x80) return false;
    to.resize(from.size());
    for (std::size_t i = 0; i < from.size(); ++i) to[i] = static_cast<typename To::value_type>(from[i]);
    return true;
}
}  // namespace

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    if (std::wstring ascii; copyAscii(utf8, ascii)) return ascii;
    int length = checkedLength(utf8.size());
    int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, out.data(), needed);
    return out;
}

std::string toUtf8(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    if (std::string ascii; copyAscii(utf16, ascii)) return ascii;
    int length = checkedLength(utf16.size());
    int needed = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, out.data(), needed, nullptr, nullptr);
    return out;
}

}  // namespace quillon::win
