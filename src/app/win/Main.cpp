#include <windows.h>
#include <commctrl.h>

#include "app/win/ControlIds.h"
#include "app/win/MainController.h"
#include "app/win/RegistrySettingsStore.h"
#include "autocad/win/ComCadLauncher.h"
#include "discovery/win/FolderBrowser.h"
#include "win/ComInit.h"
#include "win/MessageFilter.h"
#include "win/Messages.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        quillon::win::ComInit com;
        // The CAD application refuses calls while it is busy; the filter has them retried.
        quillon::win::MessageFilterScope messageFilter;
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);

        quillon::app::RegistrySettingsStore settings;
        quillon::autocad::ComCadLauncher launcher;
        quillon::app::MainController controller(settings, launcher);
        if (!controller.start()) return 0;

        auto messageLoop = [] {
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            return static_cast<int>(message.wParam);
        };
        // The folder tree lives in the PicBrowse box; its first selection (C:\) is a folder change too.
        quillon::discovery::FolderBrowser browser(
            controller.window().control(quillon::ids::PicBrowse),
            [&controller](std::optional<std::wstring> path) { controller.onFolderSelected(path); });
        return browser.run(L"c:\\", messageLoop);
    } catch (...) {
        quillon::win::reportUnhandled(nullptr, std::current_exception());
        return 1;
    }
}
