#pragma once

#include <map>
#include <mutex>
#include <string>

#include "discovery/Formatters.h"
#include "discovery/TextCollation.h"

namespace quillon::discovery {

// Numbers in the user's format: the user's decimal separator and leading-zero
// choice, without digit grouping (sizes read "1464.8 KB", as the list always
// showed them). The settings are read once, at construction.
class WinNumberFormatter : public NumberFormatter {
public:
    WinNumberFormatter();
    std::string formatDecimal(std::string_view plain) const override;

private:
    std::wstring decimalSeparator_;
    std::wstring thousandSeparator_;
    unsigned leadingZero_ = 1;
    unsigned negativeOrder_ = 1;
};

// The user's time zone (with the daylight-saving rule of the date itself),
// short date and long time formats.
class WinDateTimeFormatter : public DateTimeFormatter {
public:
    std::optional<LocalTime> toLocal(std::int64_t fileTimeUtc) const override;
    std::string shortDate(const LocalTime& time) const override;
    std::string longTime(const LocalTime& time) const override;
};

// The type description the shell records for an extension, asked once per
// extension (SHGetFileInfoW never touches the file itself).
class ShellFileTypeNames : public FileTypeNames {
public:
    std::string describe(std::string_view fileName) const override;

private:
    mutable std::mutex mutex_;
    mutable std::map<std::string, std::string> byExtension_;
};

// The user's locale's case-insensitive order, as the list control sorts.
class LocaleCollation : public TextCollation {
public:
    std::string sortKey(std::string_view text) const override;
};

}  // namespace quillon::discovery
