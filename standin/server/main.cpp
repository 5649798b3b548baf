#include <windows.h>
// shellapi.h builds on the types windows.h declares.
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "standin/server/Registration.h"
#include "standin/server/Server.h"
#include "standin/server/ServerOptions.h"
#include "win/Utf.h"

using namespace quillon;
using namespace quillon::standin_server;

namespace {

std::vector<std::wstring> arguments() {
    int count = 0;
    wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; list && i < count; ++i) args.emplace_back(list[i]);
    LocalFree(list);
    return args;
}

std::wstring exePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

int fail(const std::string& message) {
    std::string text = "quillon-standin: " + message + "\n";
    std::fputs(text.c_str(), stderr);
    OutputDebugStringW(win::toWide(text).c_str());
    return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        auto args = arguments();
        ServerOptions options = parseCommandLine(args);
        switch (options.mode) {
            case ServerMode::RegServer:
                registerServer(exePath(), options.scenario);
                return 0;
            case ServerMode::UnregServer:
                unregisterServer();
                return 0;
            case ServerMode::Embedding:
            case ServerMode::Running:
                return runServer(options, exePath());
        }
        return 1;
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}
