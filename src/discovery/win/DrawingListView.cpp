#include "discovery/win/DrawingListView.h"

#include "win/Utf.h"

namespace quillon::discovery {

namespace {
struct ListColumn {
    const wchar_t* heading;
    int width;
    int format;
};

constexpr ListColumn kColumns[] = {
    {L"File Name", 125, LVCFMT_LEFT},
    {L"Path", 250, LVCFMT_LEFT},
    {L"File Type", 100, LVCFMT_LEFT},
    {L"Size", 80, LVCFMT_RIGHT},
    {L"Last Modified Date", 130, LVCFMT_RIGHT},
    // What the last plot run did with the drawing.
    {L"Result", 160, LVCFMT_LEFT},
};
constexpr int kResultColumn = 5;

// Telling the list view a new count costs milliseconds under some systems,
// and dozens of those slow a search of many rows; the first screenful still
// shows at once.
constexpr std::size_t kRowsShownAtOnce = 100;
constexpr auto kCountPace = std::chrono::milliseconds(250);
}  // namespace

DrawingListView::DrawingListView(HWND list, discovery::DrawingList& model) : list_(list), model_(model) {
    static_assert(kResultColumn == discovery::ColumnCount, "the result column follows the rows' own");
    model_.setExtraColumn([this](const discovery::DrawingRow& row) {
        auto found = results_.find(row.fullPath());
        return found == results_.end() ? std::string() : found->second;
    });
}

// The model may outlive the view; its result column must not reach a view that is gone.
DrawingListView::~DrawingListView() { model_.setExtraColumn({}); }

void DrawingListView::addColumns(int dpi) {
    int index = 0;
    for (const auto& column : kColumns) {
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        lvc.fmt = column.format;
        lvc.cx = MulDiv(column.width, dpi, 96);
        lvc.pszText = const_cast<wchar_t*>(column.heading);
        lvc.iSubItem = index;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvc));
        ++index;
    }
}

void DrawingListView::clear() {
    model_.clear();
    results_.clear();
    shownCount_ = 0;
    ListView_SetItemCountEx(list_, 0, 0);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

void DrawingListView::add(std::vector<std::vector<discovery::DrawingRow>> batches) {
    const std::size_t before = model_.size();
    model_.add(std::move(batches));
    if (model_.size() == before) return;
    if (shownCount_ < kRowsShownAtOnce || std::chrono::steady_clock::now() - countShownAt_ >= kCountPace)
        showCount();
    else if (model_.sorted())
        InvalidateRect(list_, nullptr, FALSE);  // the shown rows may have moved down
}

void DrawingListView::showCount() {
    if (shownCount_ == model_.size()) return;
    shownCount_ = model_.size();
    countShownAt_ = std::chrono::steady_clock::now();
    ListView_SetItemCountEx(list_, static_cast<int>(shownCount_), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    // Rows added to a sorted list take their places among those shown.
    if (model_.sorted()) InvalidateRect(list_, nullptr, FALSE);
}

bool DrawingListView::isSelected(std::size_t index) const {
    return (ListView_GetItemState(list_, static_cast<int>(index), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void DrawingListView::selectAll() {
    if (model_.empty()) return;
    ListView_SetItemState(list_, -1, LVIS_SELECTED, LVIS_SELECTED);
}

std::vector<std::size_t> DrawingListView::selectedRows() const {
    std::vector<std::size_t> rows;
    for (int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(list_, item, LVNI_SELECTED))
        rows.push_back(static_cast<std::size_t>(item));
    return rows;
}

std::optional<std::size_t> DrawingListView::focused() const {
    int item = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    if (item < 0 || static_cast<std::size_t>(item) >= model_.size()) return std::nullopt;
    return static_cast<std::size_t>(item);
}

void DrawingListView::setResult(const std::string& fullPath, const std::string& text) {
    results_[fullPath] = text;
    InvalidateRect(list_, nullptr, FALSE);
}

void DrawingListView::fillDisplayInfo(NMLVDISPINFOW& info) {
    if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 ||
        static_cast<std::size_t>(info.item.iItem) >= model_.size())
        return;
    const auto& row = model_.row(static_cast<std::size_t>(info.item.iItem));
    std::string text;
    if (info.item.iSubItem == kResultColumn) {
        auto found = results_.find(row.fullPath());
        if (found != results_.end()) text = found->second;
    } else if (info.item.iSubItem >= 0 && info.item.iSubItem < kResultColumn) {
        text = model_.text(static_cast<std::size_t>(info.item.iItem), info.item.iSubItem);
    }
    cell_ = win::toWide(text);
    lstrcpynW(info.item.pszText, cell_.c_str(), info.item.cchTextMax);
}

void DrawingListView::clickColumn(int column) {
    rememberSelection();
    model_.clickColumn(column);
    refresh();
}

void DrawingListView::showSorted() {
    rememberSelection();
    model_.showSorted();
    refresh();
}

void DrawingListView::rememberSelection() {
    // Only what is selected now: a selection left over from an earlier sort would come back.
    model_.clearSelection();
    for (int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(list_, item, LVNI_SELECTED))
        model_.setSelected(static_cast<std::size_t>(item), true);
    model_.setFocused(focused());
}

void DrawingListView::refresh() {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (std::size_t index : model_.selectedIndices())
        ListView_SetItemState(list_, static_cast<int>(index), LVIS_SELECTED, LVIS_SELECTED);
    if (auto focus = model_.focused())
        ListView_SetItemState(list_, static_cast<int>(*focus), LVIS_FOCUSED, LVIS_FOCUSED);
    model_.clearSelection();
    InvalidateRect(list_, nullptr, FALSE);
}

}  // namespace quillon::discovery
