#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "app/win/MainMenu.h"
#include "win/ResultTip.h"
#include "win/StatusBar.h"
#include "discovery/win/PreviewControl.h"
#include "win/BaseWindow.h"
#include "win/UniqueResource.h"

namespace quillon::app {

class MainWindowShell;

// The main window's face: every control at its designed place, the menus,
// the tool tips and the status bar with its embedded progress bar. Made
// larger than designed, the list and the folder tree take the room and what
// sits under the list moves down; it cannot be made smaller. What the
// controls do is the shell's business; this class only lays out, shows and
// forwards.
class MainWindow : public win::BaseWindow {
public:
    explicit MainWindow(MainWindowShell& shell);
    ~MainWindow() override;

    // Creates the window hidden, at the given outer top-left corner in pixels, at its designed size.
    void create(POINT topLeft);
    // The outer size around the designed client area at the window's dpi: the smallest it may be.
    SIZE designedSize() const;

    HWND control(int id) const;
    int dpi() const { return dpi_; }
    win::StatusBar& statusBar() { return statusBar_; }
    const MainMenu& menu() const { return menu_; }
    discovery::PreviewControl& preview() { return preview_; }
    // The preview's tool tip names the drawing shown.
    void setPreviewTip(const std::wstring& text);

    void setText(int id, const std::wstring& text);
    std::wstring text(int id) const;
    void enable(int id, bool enabled);
    // Repaints at once: long synchronous work would otherwise leave old text on screen.
    void repaintNow(int id);

    void toggleStatusBar();
    // Shows the window maximized when it was so when it hid, or when it is to open so; else as it was sized.
    void show();
    void setOpensMaximized(bool maximized) { opensMaximized_ = maximized; }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void createControls();
    void createTooltips();
    void applyLayout();
    void applyFont();
    void onContextClick(POINT clientPoint);
    void onCreate();
    // The window moved to a monitor of another dpi; `suggested` keeps its size in proportion there.
    void onDpiChanged(int dpi, const RECT& suggested);
    void fillBrowserHost();
    void moveFrameTips();
    void watchKeys();
    static LRESULT CALLBACK keyWatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR id);

    MainWindowShell& shell_;
    MainMenu menu_;
    win::StatusBar statusBar_;
    discovery::PreviewControl preview_;
    std::wstring previewTip_;
    std::map<int, HWND> controls_;
    HWND tooltips_ = nullptr;
    std::unique_ptr<win::ResultTip> resultTip_;
    win::UniqueFont font_;
    int dpi_ = 96;
    bool opensMaximized_ = false;
};

}  // namespace quillon::app
