#include <windows.h>
#include <commctrl.h>

#include "app/win/MainController.h"
#include "app/win/RegistrySettingsStore.h"
#include "autocad/win/ComCadLauncher.h"
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
        controller.start();

        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return static_cast<int>(message.wParam);
    } catch (...) {
        quillon::win::reportUnhandled(nullptr, std::current_exception());
        return 1;
    }
}
