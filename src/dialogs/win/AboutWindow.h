#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "dialogs/AboutBox.h"
#include "win/BaseWindow.h"
#include "win/UniqueResource.h"

namespace quillon::dialogs {

// How the System Information tool is found and started; tests replace both.
struct SysInfoServices {
    SysInfoSources sources;
    // Starts the program in a normal window with the focus; false when it could not be started.
    std::function<bool(const std::string& program)> start;
};

// The machine registry, the file system and CreateProcess.
SysInfoServices systemSysInfoServices();

// The About window: non-modal and independent of the main window (it has no
// visible owner, so it neither follows the main window nor blocks it), kept
// off the taskbar, brought back rather than opened twice. It works the
// keyboard like a dialog (Enter, Esc, Tab) under whichever message loop runs.
class AboutWindow : public win::BaseWindow {
public:
    // Control identifiers, stable for tests.
    static constexpr int BannerId = 101;
    static constexpr int TitleId = 102;
    static constexpr int VersionId = 103;
    static constexpr int DescriptionId = 104;
    static constexpr int WarningId = 105;
    static constexpr int SeparatorId = 106;
    static constexpr int SysInfoId = 107;
    static constexpr int NoticesId = 108;

    AboutWindow();
    explicit AboutWindow(SysInfoServices sysInfo);
    ~AboutWindow() override;

    // Opens the window, or brings the open one to the front.
    void showOrActivate();
    bool isOpen() const { return hwnd() != nullptr; }
    void close();

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void createControls();
    void applyDpi(int dpi);
    void drawBanner(const DRAWITEMSTRUCT& item) const;
    void startSysInfo();
    static LRESULT CALLBACK keyboardHook(int code, WPARAM wParam, LPARAM lParam);

    SysInfoServices sysInfo_;
    HWND hiddenOwner_ = nullptr;
    win::UniqueFont font_;
    win::UniqueFont bannerFont_;
    win::UniqueIcon icon_;
    int dpi_ = 96;
};

}  // namespace quillon::dialogs
