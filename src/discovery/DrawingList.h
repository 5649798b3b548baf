#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "discovery/DrawingRow.h"
#include "discovery/TextCollation.h"

namespace quillon::discovery {

// The rows behind the drawing list (a virtual list view asks it for the
// texts of each shown row), with its sort state, selection and focus. Rows
// are addressed by display index, 0 for the top row.
//
// The texts of a row's size and date are made when asked for, for the rows
// shown, and for every row while the list is sorted by one of them.
//
// Sorting compares the cells' texts through the collation (so "10 KB" comes
// before "9 KB"); rows with equal keys keep the order in which they were
// added, in either direction. Once sorted the list stays sorted by the same
// column and direction, and rows added later take their sorted places.
// Selection and focus belong to rows, so they follow a row when sorting
// moves it.
class DrawingList {
public:
    // Both are used on the list's own thread only.
    DrawingList(const TextCollation& collation, CellTexts& texts) : collation_(collation), texts_(texts) {}

    // A column after the rows' own (the last run's result), whose text is
    // looked up when the list is sorted by it. Without one, only the rows'
    // own columns can be sorted by.
    using ExtraColumn = std::function<std::string(const DrawingRow&)>;
    void setExtraColumn(ExtraColumn text) { extraColumn_ = std::move(text); }

    std::size_t size() const { return order_.size(); }
    bool empty() const { return order_.empty(); }
    const DrawingRow& row(std::size_t displayIndex) const { return *rows_[order_.at(displayIndex)]; }
    std::string fullPath(std::size_t displayIndex) const { return row(displayIndex).fullPath(); }
    // The text of one of the rows' own columns.
    std::string text(std::size_t displayIndex, int column) const { return row(displayIndex).text(column, texts_); }

    void add(DrawingRow row);
    // Many rows at once: one merge instead of one insertion per row.
    void add(std::vector<DrawingRow> rows);
    // Rows in the batches a search handed them over in, in order.
    void add(std::vector<std::vector<DrawingRow>> batches);
    // Removes every row, with its selection and focus; the sort state stays.
    void clear();

    int sortColumn() const { return sortColumn_; }
    bool descending() const { return descending_; }
    bool sorted() const { return sorted_; }
    // A click on a column heading: another column sorts ascending by it, the
    // current column reverses the direction; either way the list shows sorted.
    void clickColumn(int column);
    // Shows the list sorted by the current column and direction.
    void showSorted();

    bool isSelected(std::size_t displayIndex) const { return selected_[order_.at(displayIndex)] != 0; }
    void setSelected(std::size_t displayIndex, bool selected);
    void selectAll();
    void clearSelection();
    std::size_t selectedCount() const { return selectedCount_; }
    // Display indices of the selected rows, top to bottom.
    std::vector<std::size_t> selectedIndices() const;

    std::optional<std::size_t> focused() const;
    void setFocused(std::optional<std::size_t> displayIndex);

private:
    using RowId = std::uint32_t;
    bool before(RowId a, RowId b) const;
    void makeKeys(RowId from);
    void sortAll();
    void placeNewRows(RowId firstNew);
    void renumber();

    const TextCollation& collation_;
    CellTexts& texts_;
    void store(DrawingRow&& row);

    // The rows live in blocks that never grow past the room made for them, so
    // a row stays where it was put: a large search's rows are moved once, not
    // again each time one long vector of them outgrows its room.
    static constexpr std::size_t BlockRows = 2048;
    std::vector<std::vector<DrawingRow>> blocks_;
    std::size_t blocksInUse_ = 0;  // the first ones; the others are empty, with their room
    std::vector<const DrawingRow*> rows_;  // into blocks_, in the order added
    std::vector<RowId> order_;            // display index -> row
    std::vector<RowId> position_;         // row -> display index
    std::vector<std::uint8_t> selected_;  // by row
    std::size_t selectedCount_ = 0;
    std::optional<RowId> focusedRow_;
    std::vector<std::string> keys_;  // by row, for the sort column, while sorted

    ExtraColumn extraColumn_;
    int sortColumn_ = 0;
    bool descending_ = false;
    bool sorted_ = false;
};

}  // namespace quillon::discovery
