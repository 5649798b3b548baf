#pragma once

#include <oaidl.h>
#include <windows.h>

#include <string>
#include <string_view>

#include "automation/AutomationError.h"

namespace quillon::win {

// A failed Windows or COM call. It is an AutomationError, so code above the
// Windows layer catches one error type whichever side the failure came from.
class WinError : public automation::AutomationError {
public:
    WinError(HRESULT hr, std::string description);

    // The system's text for hr, after what was being attempted ("Opening key X").
    static WinError fromHresult(HRESULT hr, std::string_view context = {});
    static WinError fromWin32(DWORD error, std::string_view context = {});
    static WinError fromLastError(std::string_view context = {});
    // A failed IDispatch::Invoke: the server's own code and description.
    // Takes ownership of the EXCEPINFO's strings and clears them.
    static WinError fromExcepInfo(EXCEPINFO& info);

    HRESULT hresult() const { return static_cast<HRESULT>(code()); }
};

// FormatMessage text for an HRESULT without the trailing line break, or
// "Error 0x8xxxxxxx" when the system has none.
std::string systemMessage(HRESULT hr);

inline void throwIfFailed(HRESULT hr, std::string_view context = {}) {
    if (FAILED(hr)) throw WinError::fromHresult(hr, context);
}

}  // namespace quillon::win
