#include "autocad/win/ComCadLauncher.h"

#include "win/DispatchObject.h"

namespace quillon::autocad {

namespace {
constexpr const char* kProgId = "AutoCAD.Application";
}

automation::ObjectPtr ComCadLauncher::connectRunning() { return win::connectRunning(kProgId); }

automation::ObjectPtr ComCadLauncher::createInstance() { return win::createInstance(kProgId); }

}  // namespace quillon::autocad
