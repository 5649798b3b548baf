#include "standin/EnvironmentText.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Utf8.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace quillon::standin {

#ifdef _WIN32

namespace {

// The narrow environment on Windows is in the ANSI code page; the wide one
// is read instead and converted here, with no Windows header needed.
std::string utf8FromUtf16(const wchar_t* text) {
    std::string out;
    for (const wchar_t* p = text; *p; ++p) {
        char32_t c = static_cast<char16_t>(*p);
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(p[1]) - 0xDC00);
            ++p;
        }
        base::appendUtf8(out, c);
    }
    return out;
}

}  // namespace

std::optional<std::string> environmentText(const char* name) {
    std::wstring wideName;
    for (const char* p = name; *p; ++p) wideName += static_cast<wchar_t>(*p);
#ifdef _MSC_VER
    wchar_t* value = nullptr;
    std::size_t length = 0;
    if (_wdupenv_s(&value, &length, wideName.c_str()) != 0 || !value) return std::nullopt;
    std::string text = utf8FromUtf16(value);
    std::free(value);
#else
    // mingw's runtime lacks _wdupenv_s; _wgetenv is safe here, nothing else changes the environment meanwhile.
    const wchar_t* value = _wgetenv(wideName.c_str());
    if (!value) return std::nullopt;
    std::string text = utf8FromUtf16(value);
#endif
    if (text.empty()) return std::nullopt;
    return text;
}

#else

std::optional<std::string> environmentText(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

#endif

std::string withProcessId(std::string path) {
#ifdef _WIN32
    const std::string id = std::to_string(_getpid());
#else
    const std::string id = std::to_string(getpid());
#endif
    constexpr std::string_view placeholder = "{pid}";
    for (auto at = path.find(placeholder); at != std::string::npos; at = path.find(placeholder, at + id.size()))
        path.replace(at, placeholder.size(), id);
    return path;
}

}  // namespace quillon::standin
