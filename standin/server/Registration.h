#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quillon::standin_server {

// The stand-in's own class; it answers to the CAD application's ProgID.
// {B4CC110D-5204-4374-B5DE-B4834E70CA59}
inline constexpr CLSID CLSID_StandinApplication = {
    0xb4cc110d, 0x5204, 0x4374, {0xb5, 0xde, 0xb4, 0x83, 0x4e, 0x70, 0xca, 0x59}};
inline constexpr const wchar_t* kProgId = L"AutoCAD.Application";

// Writes the ProgID and class under HKLM\Software\Classes (wine reads no
// per-user classes). A scenario given here is baked into the command line
// COM starts the server with.
void registerServer(const std::wstring& exePath, const std::optional<std::wstring>& scenario = std::nullopt);
// Removes the class, and the ProgID when it still names this class.
void unregisterServer();

// The command line registered for exePath and scenario.
std::wstring localServerCommand(const std::wstring& exePath, const std::optional<std::wstring>& scenario);

}  // namespace quillon::standin_server
