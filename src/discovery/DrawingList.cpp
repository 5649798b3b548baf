#include "discovery/DrawingList.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace quillon::discovery {

std::string AsciiCaseInsensitiveCollation::sortKey(std::string_view text) const {
    std::string key(text);
    for (auto& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

bool DrawingList::before(RowId a, RowId b) const {
    const int order = keys_[a].compare(keys_[b]);
    if (order != 0) return descending_ ? order > 0 : order < 0;
    return a < b;
}

void DrawingList::makeKeys(RowId from) {
    keys_.resize(rows_.size());
    for (RowId id = from; id < rows_.size(); ++id)
        keys_[id] = collation_.sortKey(sortColumn_ < ColumnCount ? rows_[id]->text(sortColumn_, texts_)
                                                                 : extraColumn_(*rows_[id]));
}

void DrawingList::renumber() {
    position_.resize(order_.size());
    for (std::size_t i = 0; i < order_.size(); ++i) position_[order_[i]] = static_cast<RowId>(i);
}

void DrawingList::sortAll() {
    keys_.clear();
    makeKeys(0);
    std::sort(order_.begin(), order_.end(), [this](RowId a, RowId b) { return before(a, b); });
    renumber();
}

void DrawingList::placeNewRows(RowId firstNew) {
    if (!sorted_) {
        for (RowId id = firstNew; id < rows_.size(); ++id) {
            position_.push_back(static_cast<RowId>(order_.size()));
            order_.push_back(id);
        }
        return;
    }
    makeKeys(firstNew);
    const auto oldCount = static_cast<std::ptrdiff_t>(order_.size());
    for (RowId id = firstNew; id < rows_.size(); ++id) order_.push_back(id);
    auto less = [this](RowId a, RowId b) { return before(a, b); };
    std::sort(order_.begin() + oldCount, order_.end(), less);
    std::inplace_merge(order_.begin(), order_.begin() + oldCount, order_.end(), less);
    renumber();
}

void DrawingList::add(DrawingRow row) {
    std::vector<DrawingRow> one;
    one.push_back(std::move(row));
    add(std::move(one));
}

void DrawingList::add(std::vector<DrawingRow> rows) {
    std::vector<std::vector<DrawingRow>> batches;
    batches.push_back(std::move(rows));
    add(std::move(batches));
}

void DrawingList::store(DrawingRow&& row) {
    if (blocksInUse_ == 0 || blocks_[blocksInUse_ - 1].size() == BlockRows) {
        if (blocksInUse_ == blocks_.size()) {
            blocks_.emplace_back();
            blocks_.back().reserve(BlockRows);
        }
        ++blocksInUse_;
    }
    auto& block = blocks_[blocksInUse_ - 1];
    block.push_back(std::move(row));
    rows_.push_back(&block.back());
}

void DrawingList::add(std::vector<std::vector<DrawingRow>> batches) {
    std::size_t count = 0;
    for (const auto& batch : batches) count += batch.size();
    if (count == 0) return;
    if (count > std::numeric_limits<RowId>::max() - rows_.size())
        throw std::length_error("too many rows for the drawing list");
    const auto firstNew = static_cast<RowId>(rows_.size());
    for (auto& batch : batches)
        for (DrawingRow& row : batch) store(std::move(row));
    selected_.resize(rows_.size(), 0);
    placeNewRows(firstNew);
}

void DrawingList::clear() {
    rows_.clear();
    // The blocks keep their room for the next search, which would otherwise
    // pay again for memory the system hands out afresh.
    for (std::size_t i = 0; i < blocksInUse_; ++i) blocks_[i].clear();
    blocksInUse_ = 0;
    order_.clear();
    position_.clear();
    selected_.clear();
    keys_.clear();
    selectedCount_ = 0;
    focusedRow_.reset();
}

void DrawingList::clickColumn(int column) {
    const int columns = extraColumn_ ? ColumnCount + 1 : ColumnCount;
    if (column < 0 || column >= columns) throw std::out_of_range("no such list column");
    if (column != sortColumn_) {
        sortColumn_ = column;
        descending_ = false;
    } else {
        descending_ = !descending_;
    }
    sorted_ = true;
    sortAll();
}

void DrawingList::showSorted() {
    sorted_ = true;
    sortAll();
}

void DrawingList::setSelected(std::size_t displayIndex, bool selected) {
    auto& flag = selected_[order_.at(displayIndex)];
    if ((flag != 0) == selected) return;
    flag = selected ? 1 : 0;
    if (selected)
        ++selectedCount_;
    else
        --selectedCount_;
}

void DrawingList::selectAll() {
    std::fill(selected_.begin(), selected_.end(), std::uint8_t{1});
    selectedCount_ = selected_.size();
}

void DrawingList::clearSelection() {
    std::fill(selected_.begin(), selected_.end(), std::uint8_t{0});
    selectedCount_ = 0;
}

std::vector<std::size_t> DrawingList::selectedIndices() const {
    std::vector<std::size_t> indices;
    indices.reserve(selectedCount_);
    for (std::size_t i = 0; i < order_.size(); ++i)
        if (selected_[order_[i]] != 0) indices.push_back(i);
    return indices;
}

std::optional<std::size_t> DrawingList::focused() const {
    if (!focusedRow_) return std::nullopt;
    return position_[*focusedRow_];
}

void DrawingList::setFocused(std::optional<std::size_t> displayIndex) {
    if (!displayIndex) {
        focusedRow_.reset();
        return;
    }
    focusedRow_ = order_.at(*displayIndex);
}

}  // namespace quillon::discovery
