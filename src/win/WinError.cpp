#include "win/WinError.h"

#include <utility>

#include "win/Bstr.h"
#include "win/UniqueResource.h"
#include "win/Utf.h"

namespace quillon::win {

namespace {
std::string withContext(std::string_view context, std::string text) {
    if (context.empty()) return text;
    return std::string(context) + ": " + text;
}

// The structure's string, taken out of it and freed here.
Bstr take(BSTR& text) { return Bstr::attach(std::exchange(text, nullptr)); }
}  // namespace

WinError::WinError(HRESULT hr, std::string description)
    : AutomationError(static_cast<std::int32_t>(hr), std::move(description)) {}

WinError WinError::fromHresult(HRESULT hr, std::string_view context) {
    return WinError(hr, withContext(context, systemMessage(hr)));
}

WinError WinError::fromWin32(DWORD error, std::string_view context) {
    return fromHresult(HRESULT_FROM_WIN32(error), context);
}

WinError WinError::fromLastError(std::string_view context) { return fromWin32(GetLastError(), context); }

WinError WinError::fromExcepInfo(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn) {
        // The server postponed filling in the details until someone asks; a
        // failure here only leaves the description empty.
        info.pfnDeferredFillIn(&info);
        info.pfnDeferredFillIn = nullptr;
    }
    HRESULT hr = info.scode;
    if (!FAILED(hr)) {
        // wCode is a server-defined error number; automation clients report
        // those in the control facility, as Visual Basic's Err.Number does.
        hr = info.wCode ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info.wCode) : DISP_E_EXCEPTION;
    }
    std::string description = take(info.bstrDescription).toUtf8();
    // Only the description is told; the other two are the caller's to free all the same.
    take(info.bstrSource);
    take(info.bstrHelpFile);
    if (description.empty()) description = systemMessage(hr);
    return WinError(hr, std::move(description));
}

std::string systemMessage(HRESULT hr) {
    UniqueLocalMem<wchar_t*> buffer;
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(buffer.out()), 0, nullptr);
    std::wstring text(buffer ? buffer.get() : L"", length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    if (text.empty()) return "Error " + automation::hresultText(static_cast<std::int32_t>(hr));
    return toUtf8(text);
}

}  // namespace quillon::win
