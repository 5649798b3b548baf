#include "discovery/win/FolderBrowser.h"

#include <commctrl.h>
#include <shlobj.h>

#include <utility>
#include <vector>

#include "discovery/FolderTreePath.h"
#include "win/Messages.h"
#include "win/UniqueResource.h"
#include "win/Utf.h"

namespace quillon::discovery {

namespace {

constexpr UINT_PTR kSubclassId = 0x51554C;

// Private to this program, so it cannot collide with the dialog's own WM_USER range.
UINT runLoopMessage() {
    static const UINT message = RegisterWindowMessageW(L"Quillon.FolderBrowser.RunLoop");
    return message;
}

BOOL CALLBACK findTreeView(HWND window, LPARAM data) {
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    // Every descendant is visited: newer shells nest the tree one level deeper. The last match wins.
    if (lstrcmpW(className, WC_TREEVIEWW) == 0) *reinterpret_cast<HWND*>(data) = window;
    return TRUE;
}

bool isDirectory(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::wstring> filePathOf(LPCITEMIDLIST item) {
    std::vector<wchar_t> buffer(32768, L'\0');
    if (!SHGetPathFromIDListEx(item, buffer.data(), static_cast<DWORD>(buffer.size()), GPFIDL_DEFAULT)) {
        // Older shells only know the MAX_PATH form; the desktop's virtual folders fail both.
        buffer.assign(MAX_PATH, L'\0');
        if (!SHGetPathFromIDListW(item, buffer.data())) return std::nullopt;
    }
    auto path = folderFromShellPath(win::toUtf8(std::wstring_view(buffer.data(), buffer.size())));
    if (!path) return std::nullopt;
    return win::toWide(*path);
}

}  // namespace

FolderBrowser::FolderBrowser(HWND host, SelectionHandler onFolderSelected)
    : FolderBrowser(host, std::move(onFolderSelected), Options{}) {}

FolderBrowser::FolderBrowser(HWND host, SelectionHandler onFolderSelected, Options options)
    : host_(host), onFolderSelected_(std::move(onFolderSelected)), options_(options) {}

FolderBrowser::~FolderBrowser() { close(); }

int FolderBrowser::run(std::wstring_view startFolder, const std::function<int()>& messageLoop) {
    startFolder_ = std::wstring(startFolder);
    messageLoop_ = &messageLoop;
    loopRan_ = false;
    loopError_ = nullptr;
    reported_ = false;
    anyReported_ = false;
    lastReported_.reset();

    // The host is a plain box: without this it paints over the tree it holds.
    SetWindowLongPtrW(host_, GWL_STYLE, GetWindowLongPtrW(host_, GWL_STYLE) | WS_CLIPCHILDREN);
    SetWindowSubclass(host_, hostProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    hostSubclassed_ = true;
    open_ = true;

    if (options_.shellTree) {
        previousActive_ = GetActiveWindow();
        std::vector<wchar_t> displayName(MAX_PATH, L'\0');
        BROWSEINFOW request{};
        // No owner: the dialog must not disable any of the program's windows.
        request.hwndOwner = nullptr;
        request.pszDisplayName = displayName.data();
        request.lpszTitle = L"";
        request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
        request.lpfn = browseCallback;
        request.lParam = reinterpret_cast<LPARAM>(this);
        // Returns once the program's loop has ended inside the dialog, or at once when the tree could not be taken.
        const win::UniqueCoTaskMem<PIDLIST_ABSOLUTE> chosen(SHBrowseForFolderW(&request));
        dialog_ = nullptr;
        shellTree_ = nullptr;
    }

    if (!loopRan_) {
        if (open_) {
            try {
                ownTree_ = std::make_unique<OwnFolderTree>(host_, [this](std::optional<std::wstring> path) {
                    report(std::move(path));
                });
                reported_ = true;
                ownTree_->select(startFolder_);
            } catch (...) {
                // Without any tree the program still works through its other controls; say why the box is empty.
                win::reportUnhandled(GetAncestor(host_, GA_ROOT), std::current_exception());
            }
        }
        runProgramLoop();
    }
    close();
    messageLoop_ = nullptr;
    if (loopError_) std::rethrow_exception(std::exchange(loopError_, nullptr));
    return loopResult_;
}

void FolderBrowser::runProgramLoop() {
    loopRan_ = true;
    try {
        loopResult_ = (*messageLoop_)();
    } catch (...) {
        // Kept until the shell's dialog has returned: an exception must not unwind through its frames.
        loopError_ = std::current_exception();
    }
}

int CALLBACK FolderBrowser::browseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data) {
    auto* self = reinterpret_cast<FolderBrowser*>(data);
    switch (message) {
        case BFFM_INITIALIZED: self->guarded([&] { self->onDialogInitialized(dialog); }); break;
        case BFFM_SELCHANGED:
            self->guarded([&] { self->onShellSelection(reinterpret_cast<LPCITEMIDLIST>(lParam)); });
            break;
        default: break;
    }
    return 0;
}

void FolderBrowser::onDialogInitialized(HWND dialog) {
    dialog_ = dialog;
    // Out of sight for the moment it is shown before the loop starts and hides it.
    RECT outer{};
    GetWindowRect(dialog, &outer);
    int width = outer.right - outer.left;
    SetWindowPos(dialog, nullptr, GetSystemMetrics(SM_XVIRTUALSCREEN) - width - 100,
                 GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(startFolder_.c_str()));

    HWND tree = nullptr;
    EnumChildWindows(dialog, findTreeView, reinterpret_cast<LPARAM>(&tree));
    if (!tree || !open_) {
        // Ending the dialog here makes the call return at once, and run() falls back to the own tree.
        EndDialog(dialog, IDCANCEL);
        return;
    }
    embed(tree);
    // The program's loop starts once the dialog has finished its own start-up.
    SetWindowSubclass(dialog, dialogProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    PostMessageW(dialog, runLoopMessage(), 0, 0);
}

void FolderBrowser::embed(HWND tree) {
    shellTree_ = tree;
    // In the dialog the selection shows in the edit field; here the tree itself must keep showing it.
    SetWindowLongPtrW(tree, GWL_STYLE, GetWindowLongPtrW(tree, GWL_STYLE) | TVS_SHOWSELALWAYS);
    SetParent(tree, host_);
    ShowWindow(tree, SW_SHOW);
    resize();
}

void FolderBrowser::runInsideDialog() {
    RemoveWindowSubclass(dialog_, dialogProc, kSubclassId);
    ShowWindow(dialog_, SW_HIDE);
    // Hiding the dialog hands activation to some other window; the user was working in the program's.
    if (previousActive_ && IsWindow(previousActive_)) SetForegroundWindow(previousActive_);
    reportStartFolder();
    runProgramLoop();
    close();
    EndDialog(dialog_, IDCANCEL);
    // The dialog's loop may be waiting for a message before it looks at its end flag.
    PostMessageW(dialog_, WM_NULL, 0, 0);
}

void FolderBrowser::reportStartFolder() {
    reported_ = true;
    // The shell does not report the selection it opened with; its path is the start folder as the tree shows it.
    std::wstring folder = win::toWide(normalizeFolder(win::toUtf8(startFolder_)));
    if (isDirectory(folder))
        report(folder);
    else
        report(std::nullopt);
}

void FolderBrowser::onShellSelection(LPCITEMIDLIST item) {
    // Changes before the start folder is reported belong to the dialog's start-up.
    if (!open_ || !reported_) return;
    report(filePathOf(item));
}

void FolderBrowser::report(std::optional<std::wstring> path) {
    if (!open_) return;
    // The same folder twice in a row is the shell repeating the start selection, not a new choice.
    if (anyReported_ && lastReported_ == path) return;
    anyReported_ = true;
    lastReported_ = path;
    guarded([&] { onFolderSelected_(std::move(path)); });
}

void FolderBrowser::close() {
    if (!open_) return;
    open_ = false;
    if (shellTree_ && dialog_ && IsWindow(dialog_) && IsWindow(shellTree_)) {
        // Back to the dialog, which owns it and destroys it at its end; destroyed with the host it would be
        // gone while the dialog still used it.
        ShowWindow(shellTree_, SW_HIDE);
        SetParent(shellTree_, dialog_);
    }
    ownTree_.reset();
    if (hostSubclassed_) {
        RemoveWindowSubclass(host_, hostProc, kSubclassId);
        hostSubclassed_ = false;
    }
}

void FolderBrowser::resize() {
    if (!open_) return;
    if (shellTree_) {
        RECT inner{};
        GetClientRect(host_, &inner);
        MoveWindow(shellTree_, 0, 0, inner.right, inner.bottom, TRUE);
    }
    if (ownTree_) ownTree_->resize();
}

void FolderBrowser::select(std::wstring_view folder) {
    if (!open_) return;
    if (shellTree_) {
        std::wstring text(folder);
        std::wstring wanted = win::toWide(normalizeFolder(win::toUtf8(text)));
        // Wine's tree now and then misses a folder on the first walk down to it and keeps the old selection;
        // the second walk finds the items the first one filled in.
        for (int attempt = 0; attempt < 3; ++attempt) {
            SendMessageW(dialog_, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
            if (lastReported_ && CompareStringOrdinal(lastReported_->c_str(), -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL)
                break;
        }
    } else if (ownTree_) {
        ownTree_->select(folder);
    }
}

HWND FolderBrowser::treeWindow() const {
    if (!open_) return nullptr;
    if (shellTree_) return shellTree_;
    return ownTree_ ? ownTree_->window() : nullptr;
}

void FolderBrowser::guarded(const std::function<void()>& step) noexcept {
    try {
        step();
    } catch (...) {
        // Called from the shell's and the controls' window procedures, which no exception may cross.
        win::reportUnhandled(GetAncestor(host_, GA_ROOT), std::current_exception());
    }
}

LRESULT CALLBACK FolderBrowser::hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<FolderBrowser*>(data);
    switch (message) {
        case WM_SIZE: self->guarded([&] { self->resize(); }); break;
        case WM_NOTIFY:
            if (self->ownTree_) {
                LRESULT result = 0;
                bool handled = false;
                self->guarded([&] { handled = self->ownTree_->onNotify(*reinterpret_cast<NMHDR*>(lParam), result); });
                if (handled) return result;
            }
            break;
        case WM_DESTROY:
            // The tree must leave before the host's children are destroyed.
            self->close();
            break;
        default: break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK FolderBrowser::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    if (message == runLoopMessage()) {
        reinterpret_cast<FolderBrowser*>(data)->runInsideDialog();
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace quillon::discovery
