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
}  // namespace

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    int length = checkedLength(utf8.size());
    int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, out.data(), needed);
    return out;
}

std::string toUtf8(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    int length = checkedLength(utf16.size());
    int needed = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, out.data(), needed, nullptr, nullptr);
    return out;
}

}  // namespace quillon::win
