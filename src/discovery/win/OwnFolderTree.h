#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::discovery {

// Quillon's own folder tree, for when the shell's cannot be had: the drives
// at the top, each folder's sub-folders read when it is first expanded, and
// every selection reported with the folder's path. The tree sends its
// notifications to its parent window, which passes them to onNotify.
class OwnFolderTree {
public:
    using SelectionHandler = std::function<void(std::optional<std::wstring> path)>;

    // Creates the tree filling parent's client area, listing the drives.
    OwnFolderTree(HWND parent, SelectionHandler onFolderSelected);
    ~OwnFolderTree();
    OwnFolderTree(const OwnFolderTree&) = delete;
    OwnFolderTree& operator=(const OwnFolderTree&) = delete;

    HWND window() const { return tree_; }

    // Opens the folders down to folder and selects it; the selection is
    // reported even when it was already the selected item. A folder that is
    // not there selects the deepest part of its path that is, or the first drive.
    void select(std::wstring_view folder);
    void resize();
    // A WM_NOTIFY that reached the parent; true when it was the tree's.
    bool onNotify(const NMHDR& header, LRESULT& result);

private:
    HTREEITEM addItem(HTREEITEM parent, const std::wstring& text, std::wstring path, int image, int selectedImage);
    void addDrives();
    // Reads a folder's sub-folders into the tree the first time it opens.
    void fill(HTREEITEM item);
    HTREEITEM findChild(HTREEITEM parent, const std::wstring& path) const;
    const std::wstring& pathOf(HTREEITEM item) const;
    void report(HTREEITEM item);

    HWND parent_;
    HWND tree_ = nullptr;
    SelectionHandler onFolderSelected_;
    // Item data is an index here: the path of the folder each item stands for.
    std::vector<std::wstring> paths_;
    std::vector<bool> filled_;
    int folderImage_ = 0;
    int openFolderImage_ = 0;
    unsigned reports_ = 0;
};

}  // namespace quillon::discovery
