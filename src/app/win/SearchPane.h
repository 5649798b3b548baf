#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "discovery/win/DrawingListView.h"
#include "app/win/SearchPaneHost.h"
#include "base/FileSystem.h"
#include "discovery/DrawingList.h"
#include "discovery/RowTexts.h"
#include "discovery/SearchRunner.h"
#include "discovery/win/WinFileSystem.h"
#include "discovery/win/WinFormatters.h"

namespace quillon::app {

// The search pane: the folder whose drawings are listed, the search that
// fills the list, the list itself with its preview, and their texts.
class SearchPane {
public:
    explicit SearchPane(SearchPaneHost& host);

    // What started a search: a folder change clears "Include Sub Directories" first; Enter on that box
    // shows the list sorted once the search has run to its end.
    enum class Cause { FolderChange, CheckBoxClick, CheckBoxEnter };

    static constexpr wchar_t StartHint[] =
        L"\r\nClick \"Select a Folder\" Button or use the Directroy list to Select your drawing's Folder.";

    void create();
    void addColumns();
    // The folder changed (start-up, the folder tree, or another program): empty the list and search it.
    void pathChange(const std::string& folder);
    // Starts a new listing of the folder; its generation (see listing()), 0 when none could start.
    std::uint64_t searchAgain(Cause cause);
    // A virtual item of the tree (Control Panel, Network): an empty list, no error.
    void showNoFolder();
    void takeUpdates();
    void onTimer(UINT_PTR id);
    bool onSetCursor(HWND over, int hitTest);
    bool onNotify(const NMHDR& header, LRESULT& result);
    void selectAll();
    void requestStop();
    bool running() const;

    // A job's own folder, searched with or without its sub-folders; the listing's generation, 0: none started.
    std::uint64_t listJobFolder(const std::string& folder, bool subfolders);
    // A job's own drawings: the list empties, and fills from what the file system says of each, looked
    // at on the search's worker (Stop and Exit reach it); the listing's generation, 0: none started.
    std::uint64_t listDrawings(std::vector<std::string> paths);

    // Listings are known by their generation, as runs are: each request (a folder, a job, a resume)
    // takes the next one, and only the latest counts. What asked for an earlier one gets nothing: the
    // search it started is dropped with all it would still deliver, and its end, which names its
    // generation, is not the one awaited.
    std::uint64_t ask() { return ++asked_; }
    bool latest(std::uint64_t generation) const { return generation != 0 && generation == asked_; }

    discovery::DrawingListView& listView() { return *listView_; }
    const std::string& currentFolder() const { return currentFolder_; }

private:
    // The list and the texts once no search runs any more.
    void endSearch();
    void previewFocusedRow();

    SearchPaneHost& host_;
    // The folder whose drawings are listed (the hidden directory list's path).
    std::string currentFolder_;
    bool stopRequested_ = false;
    std::uint64_t asked_ = 0;
    // The listing the list shows, the one whose end takeUpdates hands on.
    std::uint64_t listing_ = 0;
    bool sortWhenSearchEnds_ = false;
    discovery::WinFileSystem fileSystem_;
    discovery::WinNumberFormatter numbers_;
    discovery::WinDateTimeFormatter dates_;
    discovery::ShellFileTypeNames types_;
    discovery::LocaleCollation collation_;
    discovery::RowTexts cellTexts_{discovery::SearchServices{fileSystem_, numbers_, dates_, types_}};
    discovery::DrawingList listModel_{collation_, cellTexts_};
    std::unique_ptr<discovery::DrawingListView> listView_;
    std::unique_ptr<discovery::SearchRunner> search_;
};

}  // namespace quillon::app
