#include "app/win/MainMenu.h"

#include "app/win/ControlIds.h"

namespace quillon::app {

MainMenu::MainMenu() {
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, ids::MnuSelectAll, L"Select All Drawings Listed");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, ids::MnuOpenJob, L"&Open Plot Job...");
    AppendMenuW(file, MF_STRING, ids::MnuSaveJob, L"&Save Plot Job...");
    AppendMenuW(file, MF_STRING, ids::MnuOpenReport, L"Open &Last Run Report");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, ids::MnuCheckDrawings, L"Check Drawings");
    AppendMenuW(file, MF_STRING, ids::MnuResumeRun, L"Resume Run...");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, ids::MnuPlotFiles, L"Plot &Files...");
    AppendMenuW(file, MF_STRING, ids::MnuSheets, L"S&heets...");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, ids::MnuFileExit, L"E&xit");

    HMENU view = CreatePopupMenu();
    AppendMenuW(view, MF_STRING | MF_CHECKED, ids::MnuViewStatusBar, L"Status &Bar");

    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, ids::HelpMain, L"Quillon Drawings &Help");
    AppendMenuW(help, MF_STRING, ids::MnuHelpAbout, L"&About ");

    // The pop-ups belong to the bar from here on and go with it.
    bar_.reset(CreateMenu());
    AppendMenuW(bar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
    AppendMenuW(bar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");

    print_.reset(CreatePopupMenu());
    AppendMenuW(print_.get(), MF_STRING, ids::MnuAllPrint, L"&Print All Drawings");
    AppendMenuW(print_.get(), MF_STRING, ids::MnuPrintMultiple, L"Print &Selected Drawings");
}

HMENU MainMenu::takeBar() { return bar_.release(); }

void MainMenu::showPrintPopup(HWND owner, POINT screenPoint) const {
    // The owner must be foreground, or the menu does not close when the user clicks elsewhere.
    SetForegroundWindow(owner);
    TrackPopupMenu(print_.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace quillon::app
