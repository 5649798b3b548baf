#pragma once

#include <windows.h>
#include <shlobj.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "discovery/win/OwnFolderTree.h"

namespace quillon::discovery {

// The folder tree inside a host window (the main window's FolderTreeBox).
//
// It is the shell's own tree, borrowed from the browse-for-folder dialog:
// the dialog is opened, its tree view moved into the host, and the dialog
// kept alive out of sight, since the tree still reports to it and the
// dialog turns that into selection changes. The dialog's call does not
// return while the dialog lives, so run() takes the program's message loop
// and runs it from inside the dialog once the dialog has finished starting:
// the program keeps its own loop for its whole life, and when that loop
// ends the dialog is ended and the call returns. When the shell's tree
// cannot be had, a tree of Quillon's own takes its place and reports the
// same way.
//
// Every selection is reported to onFolderSelected with the folder's path,
// or with nothing for an item that has no file-system path (the desktop's
// virtual folders). The start folder counts as a selection.
class FolderBrowser {
public:
    using SelectionHandler = std::function<void(std::optional<std::wstring> path)>;

    struct Options {
        // False: the own tree at once, without asking the shell.
        bool shellTree = true;
    };

    FolderBrowser(HWND host, SelectionHandler onFolderSelected);
    FolderBrowser(HWND host, SelectionHandler onFolderSelected, Options options);
    ~FolderBrowser();
    FolderBrowser(const FolderBrowser&) = delete;
    FolderBrowser& operator=(const FolderBrowser&) = delete;

    // Shows the tree opened at startFolder, reports that selection, runs
    // messageLoop and returns its result once the tree is torn down. An
    // exception from messageLoop comes out of here after the tear-down.
    int run(std::wstring_view startFolder, const std::function<int()>& messageLoop);

    // Hands the tree back before the host goes: the shell's tree returns to
    // its dialog, the own tree is destroyed. No selection is reported after
    // this. Also happens by itself when the host is destroyed; safe twice.
    void close();
    // Fits the tree to the host's client area; the host's own resizing does this too.
    void resize();
    // Selects folder in the tree as if the user had, which reports it.
    void select(std::wstring_view folder);

    HWND treeWindow() const;
    bool usesShellTree() const { return shellTree_ != nullptr; }
    bool isOpen() const { return open_; }

private:
    static int CALLBACK browseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data);
    static LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);
    static LRESULT CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);

    void onDialogInitialized(HWND dialog);
    void onShellSelection(LPCITEMIDLIST item);
    void runInsideDialog();
    void runProgramLoop();
    void embed(HWND tree);
    void report(std::optional<std::wstring> path);
    void reportStartFolder();
    void guarded(const std::function<void()>& step) noexcept;

    HWND host_;
    SelectionHandler onFolderSelected_;
    Options options_;
    std::wstring startFolder_;
    const std::function<int()>* messageLoop_ = nullptr;
    int loopResult_ = 0;
    bool loopRan_ = false;
    std::exception_ptr loopError_;

    HWND dialog_ = nullptr;
    HWND shellTree_ = nullptr;
    std::unique_ptr<OwnFolderTree> ownTree_;
    bool open_ = false;
    bool hostSubclassed_ = false;
    HWND previousActive_ = nullptr;
    bool reported_ = false;
    bool anyReported_ = false;
    std::optional<std::wstring> lastReported_;
};

}  // namespace quillon::discovery
