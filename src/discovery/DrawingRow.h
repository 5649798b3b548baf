#pragma once

#include <array>
#include <memory>
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

// One found drawing: the five texts the list shows, nothing else.
struct DrawingRow {
    std::string name;   // as the folder listing returned it
    SharedText folder;  // always with a trailing backslash
    std::string type;
    std::string size;
    std::string date;

    const std::string& text(int column) const;
    std::string fullPath() const { return folder.str() + name; }
    bool operator==(const DrawingRow&) const = default;
};

}  // namespace quillon::discovery
