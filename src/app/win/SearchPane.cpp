#include "app/win/SearchPane.h"

#include <commctrl.h>

#include <utility>

#include "app/win/AppMessages.h"
#include "app/win/ControlIds.h"
#include "app/win/MainWindow.h"
#include "base/Paths.h"
#include "discovery/DrawingTexts.h"
#include "plotting/StatusLines.h"
#include "plotting/job/JobDrawings.h"
#include "win/Utf.h"
#include "win/WinCheckBox.h"

namespace quillon::app {

namespace {

// While a search runs the list takes its rows at this steady pace, not row by row.
constexpr UINT_PTR kSearchPaceTimer = 0x5153;
constexpr UINT kSearchPaceMs = 40;

}  // namespace

SearchPane::SearchPane(SearchPaneHost& host) : host_(host) {}

void SearchPane::create() {
    MainWindow& window = host_.window();
    listView_ = std::make_unique<discovery::DrawingListView>(window.control(ids::DrawingListBox), listModel_);
    search_ = std::make_unique<discovery::SearchRunner>(
        discovery::SearchServices{fileSystem_, numbers_, dates_, types_},
        [hwnd = window.hwnd()] { PostMessageW(hwnd, kSearchUpdatesMessage, 0, 0); });
}

void SearchPane::addColumns() { listView_->addColumns(host_.window().dpi()); }

bool SearchPane::running() const { return search_ && search_->running(); }

void SearchPane::requestStop() {
    stopRequested_ = true;
    if (search_) search_->requestStop();
}

void SearchPane::selectAll() {
    if (listView_) listView_->selectAll();
}

bool SearchPane::onNotify(const NMHDR& header, LRESULT& result) {
    if (!listView_ || header.idFrom != static_cast<UINT_PTR>(ids::DrawingListBox)) return false;
    switch (header.code) {
        case LVN_GETDISPINFOW:
            listView_->fillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
            return true;
        case LVN_COLUMNCLICK:
            if (!host_.runActive()) listView_->clickColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            return true;
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_FOCUSED))
                previewFocusedRow();
            return true;
        }
        case NM_CLICK: previewFocusedRow(); return true;
        case LVN_KEYDOWN: {
            const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
            if (key.wVKey == 'A' && (GetKeyState(VK_CONTROL) & 0x8000)) selectAll();
            return true;
        }
        case NM_RCLICK: {
            POINT at{};
            GetCursorPos(&at);
            host_.window().menu().showPrintPopup(host_.window().hwnd(), at);
            result = TRUE;
            return true;
        }
        default: return false;
    }
}

void SearchPane::previewFocusedRow() {
    MainWindow& window = host_.window();
    auto focused = listView_->focused();
    std::string path = focused ? listView_->fullPath(*focused) : std::string();
    if (path == window.preview().drawing()) return;
    window.preview().setDrawing(path);
    window.setPreviewTip(win::toWide(path));
}

void SearchPane::showNoFolder() {
    // A search still running is dropped with all it would still deliver, and the texts no longer name its folder.
    MainWindow& window = host_.window();
    search_->abandon();
    listing_ = ask();
    endSearch();
    listView_->clear();
    window.preview().setDrawing({});
    window.setPreviewTip(L"");
    window.enable(ids::PrintAllButton, false);
    window.setText(ids::FoundFilesLabel, L"No folder is listed.");
    host_.statusLines().show(win::toUtf8(StartHint));
}

void SearchPane::pathChange(const std::string& folder) {
    // The directory list's path: no trailing backslash except at a drive root.
    std::string path = folder;
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (path.size() == 2 && path[1] == ':') path += '\\';
    currentFolder_ = path;
    searchAgain(Cause::FolderChange);
}

std::uint64_t SearchPane::listJobFolder(const std::string& folder, bool subfolders) {
    std::string path = folder;
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    currentFolder_ = path;
    win::WinCheckBox(host_.window().control(ids::SubfoldersBox)).setTicked(subfolders);
    return searchAgain(Cause::CheckBoxClick);
}

std::uint64_t SearchPane::searchAgain(Cause cause) {
    if (host_.runActive()) return 0;
    MainWindow& window = host_.window();
    if (cause == Cause::FolderChange) win::WinCheckBox(window.control(ids::SubfoldersBox)).setTicked(false);
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    // Enter fills the plot lists before it empties the list; the other two the other way round.
    if (cause == Cause::CheckBoxEnter) host_.fillPlotBoxesIfEmpty();
    listView_->clear();
    window.preview().setDrawing({});
    window.setPreviewTip(L"");
    if (cause != Cause::CheckBoxEnter) host_.fillPlotBoxesIfEmpty();
    if (host_.closing()) return 0;
    stopRequested_ = false;
    sortWhenSearchEnds_ = cause == Cause::CheckBoxEnter;
    host_.setStatus(
        discovery::search_text::searching(currentFolder_.empty() ? "" : base::addBackslash(currentFolder_)));
    bool subfolders = win::WinCheckBox(window.control(ids::SubfoldersBox)).ticked();
    search_->start(discovery::SearchRequest{currentFolder_, discovery::search_text::Pattern, subfolders});
    SetTimer(window.hwnd(), kSearchPaceTimer, kSearchPaceMs, nullptr);
    return listing_ = ask();
}

void SearchPane::takeUpdates() {
    if (!search_) return;
    MainWindow& window = host_.window();
    auto updates = search_->takeUpdates();
    listView_->add(std::move(updates.batches));
    if (updates.label) window.setText(ids::FoundFilesLabel, win::toWide(*updates.label));
    if (updates.status) host_.setStatus(*updates.status);
    if (updates.finished) {
        listView_->showCount();
        if (listView_->size() > 0) window.enable(ids::PrintAllButton, true);
        if (sortWhenSearchEnds_ && !stopRequested_) listView_->showSorted();
        endSearch();
        // A job's or a resume's drawings are listed: its run starts now, if this listing is the one it
        // asked for and was read to its end.
        host_.drawingsListed(listing_, !updates.finished->stopped && updates.finished->failure.empty());
    }
}

void SearchPane::endSearch() {
    KillTimer(host_.window().hwnd(), kSearchPaceTimer);
    sortWhenSearchEnds_ = false;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void SearchPane::onTimer(UINT_PTR id) {
    if (id == kSearchPaceTimer) takeUpdates();
}

bool SearchPane::onSetCursor(HWND over, int hitTest) {
    // The busy cursor stays for the whole search, whatever the mouse does;
    // Stop keeps the arrow, since it is the one thing to click meanwhile.
    if (!search_ || !search_->running() || hitTest != HTCLIENT) return false;
    if (over == host_.window().control(ids::CmdAction)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

std::uint64_t SearchPane::listDrawings(std::vector<std::string> paths) {
    if (host_.runActive() || host_.closing()) return 0;
    listView_->clear();
    host_.window().preview().setDrawing({});
    host_.window().setPreviewTip(L"");
    stopRequested_ = false;
    sortWhenSearchEnds_ = false;
    host_.setStatus("\r\nReading the plot job's drawings ...");
    search_->start([paths = std::move(paths)](const discovery::SearchServices& services, discovery::SearchSink& sink,
                                              const std::atomic<bool>& stop) {
        return plotting::listJobDrawings(services, sink, paths, stop);
    });
    SetTimer(host_.window().hwnd(), kSearchPaceTimer, kSearchPaceMs, nullptr);
    return listing_ = ask();
}

}  // namespace quillon::app
