#include "discovery/win/WinFormatters.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include "win/ComInit.h"
#include "win/Utf.h"

namespace quillon::discovery {

namespace {

std::wstring localeText(LCTYPE type, const wchar_t* fallback) {
    wchar_t buffer[16]{};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 16) == 0) return fallback;
    return buffer;
}

unsigned localeNumber(LCTYPE type, unsigned fallback) {
    DWORD value = 0;
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value),
                        sizeof value / sizeof(wchar_t)) == 0)
        return fallback;
    return value;
}

SYSTEMTIME systemTime(const LocalTime& time) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(time.year);
    st.wMonth = static_cast<WORD>(time.month);
    st.wDay = static_cast<WORD>(time.day);
    st.wHour = static_cast<WORD>(time.hour);
    st.wMinute = static_cast<WORD>(time.minute);
    st.wSecond = static_cast<WORD>(time.second);
    return st;
}

// Extension with its dot, ASCII letters folded, as the cache key.
std::string extensionKey(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string key(fileName.substr(dot));
    for (auto& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

}  // namespace

WinNumberFormatter::WinNumberFormatter()
    : decimalSeparator_(localeText(LOCALE_SDECIMAL, L".")),
      thousandSeparator_(localeText(LOCALE_STHOUSAND, L",")),
      leadingZero_(localeNumber(LOCALE_ILZERO, 1)),
      negativeOrder_(localeNumber(LOCALE_INEGNUMBER, 1)) {}

std::string WinNumberFormatter::formatDecimal(std::string_view plain) const {
    const auto point = plain.find('.');
    NUMBERFMTW format{};
    format.NumDigits = point == std::string_view::npos ? 0 : static_cast<UINT>(plain.size() - point - 1);
    format.LeadingZero = leadingZero_;
    format.Grouping = 0;
    format.lpDecimalSep = const_cast<LPWSTR>(decimalSeparator_.c_str());
    format.lpThousandSep = const_cast<LPWSTR>(thousandSeparator_.c_str());
    format.NegativeOrder = negativeOrder_;
    const std::wstring value = win::toWide(plain);
    wchar_t buffer[64]{};
    if (GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, value.c_str(), &format, buffer, 64) == 0)
        return std::string(plain);
    return win::toUtf8(buffer);
}

std::optional<LocalTime> WinDateTimeFormatter::toLocal(std::int64_t fileTimeUtc) const {
    if (fileTimeUtc < 0) return std::nullopt;
    FILETIME fileTime{static_cast<DWORD>(fileTimeUtc & 0xFFFFFFFF), static_cast<DWORD>(fileTimeUtc >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&fileTime, &utc)) return std::nullopt;
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return std::nullopt;
    return LocalTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

std::string WinDateTimeFormatter::shortDate(const LocalTime& time) const {
    const SYSTEMTIME st = systemTime(time);
    wchar_t buffer[128]{};
    if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128, nullptr) == 0) return {};
    return win::toUtf8(buffer);
}

std::string WinDateTimeFormatter::longTime(const LocalTime& time) const {
    const SYSTEMTIME st = systemTime(time);
    wchar_t buffer[128]{};
    if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, buffer, 128) == 0) return {};
    return win::toUtf8(buffer);
}

std::string ShellFileTypeNames::describe(std::string_view fileName) const {
    const std::string key = extensionKey(fileName);
    std::lock_guard lock(mutex_);
    if (auto it = byExtension_.find(key); it != byExtension_.end()) return it->second;

    // The shell wants COM on the calling thread, which may be a search worker.
    std::string description;
    {
        const win::ComInit apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE, std::nothrow);
        SHFILEINFOW info{};
        const std::wstring name = win::toWide(fileName);
        if (SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                           SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
            description = win::toUtf8(info.szTypeName);
    }
    byExtension_.emplace(key, description);
    return description;
}

std::string LocaleCollation::sortKey(std::string_view text) const {
    if (text.empty()) return {};
    const std::wstring wide = win::toWide(text);
    constexpr DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int length = static_cast<int>(wide.size());
    const int bytes =
        LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.c_str(), length, nullptr, 0, nullptr, nullptr, 0);
    if (bytes <= 0) return std::string(text);
    std::string key(static_cast<std::size_t>(bytes), '\0');
    // With LCMAP_SORTKEY the output is bytes, counted in bytes, through a wide-character parameter.
    LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.c_str(), length, reinterpret_cast<LPWSTR>(key.data()), bytes,
                  nullptr, nullptr, 0);
    if (!key.empty() && key.back() == '\0') key.pop_back();
    return key;
}

}  // namespace quillon::discovery
