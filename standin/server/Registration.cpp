#include "standin/server/Registration.h"

#include <objbase.h>

#include "win/RegistryKey.h"
#include "win/WinError.h"

namespace quillon::standin_server {

using win::RegistryKey;

namespace {

constexpr const wchar_t* kClasses = L"Software\\Classes";
constexpr const wchar_t* kDescription = L"Quillon stand-in CAD application";

std::wstring clsidText() {
    wchar_t text[40] = {};
    if (!StringFromGUID2(CLSID_StandinApplication, text, 40)) throw win::WinError::fromHresult(E_UNEXPECTED);
    return text;
}

std::wstring classes(const std::wstring& path) { return std::wstring(kClasses) + L"\\" + path; }

}  // namespace

std::wstring localServerCommand(const std::wstring& exePath, const std::optional<std::wstring>& scenario) {
    std::wstring command = L"\"" + exePath + L"\"";
    if (scenario) command += L" --scenario \"" + *scenario + L"\"";
    return command;
}

void registerServer(const std::wstring& exePath, const std::optional<std::wstring>& scenario) {
    std::wstring clsid = clsidText();

    auto progId = RegistryKey::create(HKEY_LOCAL_MACHINE, classes(kProgId));
    progId.writeString(L"", kDescription);
    RegistryKey::create(progId.get(), L"CLSID").writeString(L"", clsid);

    auto classKey = RegistryKey::create(HKEY_LOCAL_MACHINE, classes(L"CLSID\\" + clsid));
    classKey.writeString(L"", kDescription);
    RegistryKey::create(classKey.get(), L"ProgID").writeString(L"", kProgId);
    RegistryKey::create(classKey.get(), L"LocalServer32").writeString(L"", localServerCommand(exePath, scenario));
}

void unregisterServer() {
    std::wstring clsid = clsidText();
    RegistryKey::deleteTree(HKEY_LOCAL_MACHINE, classes(L"CLSID\\" + clsid));
    // Leave a ProgID that another installation has taken over.
    if (auto progIdClass = RegistryKey::tryOpen(HKEY_LOCAL_MACHINE, classes(std::wstring(kProgId) + L"\\CLSID"))) {
        auto registered = progIdClass->readString(L"");
        if (registered && _wcsicmp(registered->c_str(), clsid.c_str()) != 0) return;
    }
    RegistryKey::deleteTree(HKEY_LOCAL_MACHINE, classes(kProgId));
}

}  // namespace quillon::standin_server
