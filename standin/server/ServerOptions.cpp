#include "standin/server/ServerOptions.h"

#include <windows.h>

#include "win/Utf.h"

namespace quillon::standin_server {

namespace {
bool isSwitch(const std::wstring& arg, const wchar_t* name) {
    if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-')) return false;
    return _wcsicmp(arg.c_str() + 1, name) == 0;
}
}  // namespace

ServerOptions parseCommandLine(std::span<const std::wstring> args) {
    ServerOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (isSwitch(arg, L"RegServer"))
            options.mode = ServerMode::RegServer;
        else if (isSwitch(arg, L"UnregServer"))
            options.mode = ServerMode::UnregServer;
        else if (isSwitch(arg, L"Embedding"))
            options.mode = ServerMode::Embedding;
        else if (isSwitch(arg, L"Running"))
            options.mode = ServerMode::Running;
        else if (arg == L"--scenario" || isSwitch(arg, L"scenario")) {
            if (i + 1 >= args.size()) throw UsageError("--scenario needs a path");
            options.scenario = args[++i];
        } else {
            throw UsageError("unknown argument: " + win::toUtf8(arg));
        }
    }
    return options;
}

std::wstring resolveScenarioPath(const ServerOptions& options, const std::wstring& exePath) {
    if (options.scenario) return *options.scenario;
    if (DWORD length = GetEnvironmentVariableW(L"QUILLON_STANDIN_SCENARIO", nullptr, 0)) {
        std::wstring value(length, L'\0');
        value.resize(GetEnvironmentVariableW(L"QUILLON_STANDIN_SCENARIO", value.data(), length));
        if (!value.empty()) return value;
    }
    auto slash = exePath.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : exePath.substr(0, slash + 1);
    return folder + L"standin-scenario.json";
}

}  // namespace quillon::standin_server
