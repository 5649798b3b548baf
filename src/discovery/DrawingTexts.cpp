#include "discovery/DrawingTexts.h"

#include "discovery/DrawingRow.h"

namespace quillon::discovery {

std::string DrawingRow::text(int column, CellTexts& texts) const {
    switch (static_cast<Column>(column)) {
        case Column::Path:
            return folder;
        case Column::Type:
            return type;
        case Column::Size:
            return bytes ? texts.size(*bytes) : std::string();
        case Column::Date:
            return modified ? texts.date(*modified) : std::string();
        case Column::Name:
            break;
    }
    return name;
}

namespace search_text {

std::string searching(std::string_view folder) {
    std::string text = "Searching ... ";
    text += folder;
    text += "\rPress Cancel to stop search.";
    return text;
}

std::string foundLabel(std::string_view searchedFolder) {
    std::string text = "Found following files in ";
    text += searchedFolder;
    text += " Use shift key to select multiple files and right click to get more options";
    return text;
}

std::string foundStatus(std::size_t count) { return std::to_string(count) + "  Files Found  "; }

std::string failed(std::string_view reason) {
    std::string text = "\r\nThe search could not go on: ";
    text += reason;
    return text;
}

}  // namespace search_text

std::string sizeText(std::uint64_t bytes, const NumberFormatter& numbers) {
    // Tenths of a KB, exactly: whole KBs, then the remainder's tenths and what is left of it.
    std::uint64_t tenths = bytes / 1024 * 10;
    const std::uint64_t scaledRest = bytes % 1024 * 10;
    tenths += scaledRest / 1024;
    const std::uint64_t left = scaledRest % 1024;
    if (left > 512 || (left == 512 && tenths % 2 == 1)) ++tenths;

    std::string plain = std::to_string(tenths / 10);
    if (tenths % 10 != 0) {
        plain += '.';
        plain += static_cast<char>('0' + tenths % 10);
    }
    return numbers.formatDecimal(plain) + " KB";
}

std::string dateText(std::int64_t fileTimeUtc, const DateTimeFormatter& dates) {
    const auto local = dates.toLocal(fileTimeUtc);
    if (!local) return {};
    std::string text = dates.shortDate(*local);
    if (local->hour != 0 || local->minute != 0 || local->second != 0) {
        text += ' ';
        text += dates.longTime(*local);
    }
    return text;
}

}  // namespace quillon::discovery
