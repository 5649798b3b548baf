#include "win/ComInit.h"

#include <objbase.h>
#include <windows.h>

#include "win/WinError.h"

namespace quillon::win {

ComInit::ComInit() {
    // S_FALSE (already initialised the same way) still needs its matching CoUninitialize.
    throwIfFailed(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE), "Starting COM");
}

ComInit::ComInit(unsigned long coinitFlags, std::nothrow_t) noexcept
    : entered_(SUCCEEDED(CoInitializeEx(nullptr, coinitFlags))) {}

ComInit::~ComInit() {
    if (entered_) CoUninitialize();
}

}  // namespace quillon::win
