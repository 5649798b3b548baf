#include "autocad/win/ComCadLauncher.h"

#include <windows.h>

#include "win/DispatchObject.h"

namespace quillon::autocad {

namespace {
constexpr const char* kProgId = "AutoCAD.Application";
}

automation::ObjectPtr ComCadLauncher::connectRunning() { return win::connectRunning(kProgId); }

automation::ObjectPtr ComCadLauncher::createInstance() { return win::createInstance(kProgId); }

}  // namespace quillon::autocad

namespace quillon::autocad {

std::optional<std::uint32_t> ComCadLauncher::processOfWindow(std::int64_t window) {
    DWORD process = 0;
    HWND handle = reinterpret_cast<HWND>(static_cast<INT_PTR>(window));
    if (!handle || !GetWindowThreadProcessId(handle, &process) || process == 0) return std::nullopt;
    // Never the program itself: ending it would end Quillon.
    if (process == GetCurrentProcessId()) return std::nullopt;
    return static_cast<std::uint32_t>(process);
}

}  // namespace quillon::autocad
