#include "discovery/win/OwnFolderTree.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

#include "base/Paths.h"
#include "discovery/FolderTreePath.h"
#include "win/UniqueResource.h"
#include "win/Utf.h"
#include "win/WinError.h"

namespace quillon::discovery {

namespace {

constexpr DWORD kTreeStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;

// The shell's small icon for a path, taken from the system image list the tree shares.
int shellIcon(const std::wstring& path, DWORD attributes, UINT extraFlags) {
    SHFILEINFOW info{};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags;
    if (!SHGetFileInfoW(path.c_str(), attributes, &info, sizeof info, flags)) return 0;
    return info.iIcon;
}

std::wstring driveText(const std::wstring& root) {
    std::wstring label;
    UINT type = GetDriveTypeW(root.c_str());
    // Asking a floppy, optical or network drive for its label may wait for the device.
    if (type == DRIVE_FIXED || type == DRIVE_RAMDISK) {
        wchar_t name[MAX_PATH + 1] = {};
        if (GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
            label = name;
    }
    return win::toWide(driveItemText(win::toUtf8(root), win::toUtf8(label)));
}

}  // namespace

OwnFolderTree::OwnFolderTree(HWND parent, SelectionHandler onFolderSelected)
    : parent_(parent), onFolderSelected_(std::move(onFolderSelected)) {
    tree_ = CreateWindowExW(0, WC_TREEVIEWW, nullptr, kTreeStyle, 0, 0, 0, 0, parent_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!tree_) throw win::WinError::fromLastError("Creating the folder tree");
    SendMessageW(tree_, TVM_SETUNICODEFORMAT, TRUE, 0);
    SendMessageW(tree_, WM_SETFONT, SendMessageW(parent_, WM_GETFONT, 0, 0), FALSE);

    SHFILEINFOW info{};
    auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (images) SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    // Folder icons from their kind, not from each folder: reading every desktop.ini would be slow.
    folderImage_ = shellIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES);
    openFolderImage_ = shellIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON);

    addDrives();
    resize();
}

OwnFolderTree::~OwnFolderTree() {
    if (tree_ && IsWindow(tree_)) DestroyWindow(tree_);
}

void OwnFolderTree::resize() {
    RECT inner{};
    GetClientRect(parent_, &inner);
    MoveWindow(tree_, 0, 0, inner.right, inner.bottom, TRUE);
}

HTREEITEM OwnFolderTree::addItem(HTREEITEM parent, const std::wstring& text, std::wstring path, int image,
                                 int selectedImage) {
    paths_.push_back(std::move(path));
    filled_.push_back(false);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = static_cast<LPARAM>(paths_.size() - 1);
    // Shown as openable until its first opening finds out.
    insert.item.cChildren = 1;
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void OwnFolderTree::addDrives() {
    std::vector<wchar_t> buffer(512);
    DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length > buffer.size()) {
        buffer.resize(length);
        length = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    for (const wchar_t* root = buffer.data(); *root; root += wcslen(root) + 1) {
        std::wstring path(root);
        int image = shellIcon(path, 0, 0);
        addItem(TVI_ROOT, driveText(path), path, image, image);
    }
}

void OwnFolderTree::fill(HTREEITEM item) {
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return;
    auto index = static_cast<std::size_t>(data.lParam);
    if (filled_[index]) return;
    filled_[index] = true;
    std::wstring folder = paths_[index];

    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry{};
    std::wstring pattern = win::toWide(childPath(win::toUtf8(folder), "*"));
    win::UniqueFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchLimitToDirectories,
                                                nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (find) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
            if (!showsInTree(win::toUtf8(entry.cFileName), entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN,
                             entry.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM))
                continue;
            names.emplace_back(entry.cFileName);
        } while (FindNextFileW(find.get(), &entry));
    }
    // Explorer's order: case-insensitive, numbers by value.
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return StrCmpLogicalW(a.c_str(), b.c_str()) < 0; });
    for (const auto& name : names) {
        std::wstring path = win::toWide(childPath(win::toUtf8(folder), win::toUtf8(name)));
        addItem(item, name, std::move(path), folderImage_, openFolderImage_);
    }
    if (names.empty()) {
        // An unreadable or empty folder loses its button rather than opening to nothing.
        TVITEMW none{};
        none.mask = TVIF_CHILDREN;
        none.hItem = item;
        none.cChildren = 0;
        SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&none));
    }
}

const std::wstring& OwnFolderTree::pathOf(HTREEITEM item) const {
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return paths_.at(static_cast<std::size_t>(data.lParam));
}

HTREEITEM OwnFolderTree::findChild(HTREEITEM parent, const std::wstring& path) const {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(
        tree_, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(parent)));
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        if (base::samePath(win::toUtf8(pathOf(item)), win::toUtf8(path))) return item;
    }
    return nullptr;
}

void OwnFolderTree::select(std::wstring_view folder) {
    HTREEITEM target = nullptr;
    for (const auto& step : pathSteps(win::toUtf8(folder))) {
        if (target) SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(target));
        HTREEITEM next = findChild(target, win::toWide(step));
        if (!next) break;
        target = next;
    }
    if (!target)
        target = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (!target) return;
    unsigned before = reports_;
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(target));
    SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(target));
    if (reports_ == before) report(target);
}

void OwnFolderTree::report(HTREEITEM item) {
    ++reports_;
    onFolderSelected_(pathOf(item));
}

bool OwnFolderTree::onNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != tree_) return false;
    result = 0;
    switch (header.code) {
        case TVN_ITEMEXPANDINGW: {
            const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
            if (change.action & TVE_EXPAND) fill(change.itemNew.hItem);
            return true;
        }
        case TVN_SELCHANGEDW: {
            const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
            if (change.itemNew.hItem) report(change.itemNew.hItem);
            return true;
        }
        default: return false;
    }
}

}  // namespace quillon::discovery
