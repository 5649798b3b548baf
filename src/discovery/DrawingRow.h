#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::discovery {

// The list's columns, in display order.
enum class Column { Name = 0, Path = 1, Type = 2, Size = 3, Date = 4 };
inline constexpr int ColumnCount = 5;

// A text that many rows hold alike, kept once and never changed: every
// drawing of a folder shows the same folder text, and a search of a large
// store would otherwise copy it into each of its rows. Reads as the text.
class SharedText {
public:
    SharedText() = default;
    SharedText(std::string text) : text_(std::make_shared<const std::string>(std::move(text))) {}
    SharedText(const char* text) : SharedText(std::string(text)) {}

    const std::string& str() const { return text_ ? *text_ : empty(); }
    operator const std::string&() const { return str(); }
    operator std::string_view() const { return str(); }
    bool operator==(const SharedText& other) const { return str() == other.str(); }

private:
    static const std::string& empty() {
        static const std::string none;
        return none;
    }
    std::shared_ptr<const std::string> text_;
};

// Makes the texts of the cells a row keeps as numbers, in the user's formats.
// A search of a large store makes rows far faster than anyone reads them, so
// these texts are made only for the rows shown, and for all when the list is
// sorted by them.
class CellTexts {
public:
    virtual ~CellTexts() = default;
    virtual std::string size(std::uint64_t bytes) = 0;
    virtual std::string date(std::int64_t fileTimeUtc) = 0;
};

// One found drawing: what the list shows of it, nothing else.
struct DrawingRow {
    std::string name;   // as the folder listing returned it
    SharedText folder;  // always with a trailing backslash
    SharedText type;    // one text for all drawings of one extension
    // As the listing gave them; nothing for a drawing that is not there, which shows no size or date.
    std::optional<std::uint64_t> bytes;
    std::optional<std::int64_t> modified;  // UTC file time

    std::string text(int column, CellTexts& texts) const;
    std::string fullPath() const { return folder.str() + name; }
    bool operator==(const DrawingRow&) const = default;
};

}  // namespace quillon::discovery
