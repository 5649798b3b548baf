#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "discovery/DrawingList.h"

namespace quillon::discovery {

// The virtual list view over the drawing list model: the control asks for
// the texts of the rows it shows, so 100,000 rows cost no window memory.
// The control keeps the selection; sorting carries it over to the rows'
// new places.
class DrawingListView {
public:
    DrawingListView(HWND list, discovery::DrawingList& model);
    ~DrawingListView();
    DrawingListView(const DrawingListView&) = delete;
    DrawingListView& operator=(const DrawingListView&) = delete;

    void addColumns(int dpi);
    void clear();
    // Rows as a search hands them over. While they stream in, the control
    // learns the new count a few times a second, not at every batch.
    void add(std::vector<std::vector<discovery::DrawingRow>> batches);
    // Tells the control every row there is: at a search's end.
    void showCount();
    std::size_t size() const { return model_.size(); }

    bool isSelected(std::size_t index) const;
    // The selected rows, top to bottom.
    std::vector<std::size_t> selectedRows() const;
    void selectAll();
    std::optional<std::size_t> focused() const;
    std::string fullPath(std::size_t index) const { return model_.fullPath(index); }
    const discovery::DrawingRow& row(std::size_t index) const { return model_.row(index); }

    // The outcome of the last run for a drawing, shown in the last column.
    void setResult(const std::string& fullPath, const std::string& text);

    // LVN_GETDISPINFO; true when it was the list's.
    void fillDisplayInfo(NMLVDISPINFOW& info);
    void clickColumn(int column);
    // Sorted by the current column and direction, as after a search started with Enter.
    void showSorted();

private:
    // The control keeps the selection by position; these carry it over to the rows' new places.
    void rememberSelection();
    void refresh();

    HWND list_;
    discovery::DrawingList& model_;
    std::size_t shownCount_ = 0;  // what the control was last told
    std::chrono::steady_clock::time_point countShownAt_{};
    std::map<std::string, std::string> results_;
    std::wstring cell_;
};

}  // namespace quillon::discovery
