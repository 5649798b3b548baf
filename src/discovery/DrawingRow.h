#pragma once

#include <array>
#include <string>

namespace quillon::discovery {

// The list's columns, in display order.
enum class Column { Name = 0, Path = 1, Type = 2, Size = 3, Date = 4 };
inline constexpr int ColumnCount = 5;

// One found drawing: the five texts the list shows, nothing else.
struct DrawingRow {
    std::string name;    // as the folder listing returned it
    std::string folder;  // always with a trailing backslash
    std::string type;
    std::string size;
    std::string date;

    const std::string& text(int column) const;
    std::string fullPath() const { return folder + name; }
    bool operator==(const DrawingRow&) const = default;
};

}  // namespace quillon::discovery
