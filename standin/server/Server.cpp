#include "standin/server/Server.h"

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "standin/Engine.h"
#include "standin/server/ClassFactory.h"
#include "standin/server/EngineDispatch.h"
#include "standin/server/Registration.h"
#include "win/ComInit.h"
#include "win/Utf.h"
#include "win/WinError.h"

namespace quillon::standin_server {

using Microsoft::WRL::ComPtr;

namespace {

constexpr UINT kCrashExitCode = 3;
constexpr UINT kScenarioExitCode = 2;
// A server that COM started but that no client reaches within this time
// (the client gave up or died during activation) ends instead of lingering.
constexpr UINT kUnclaimedTimeoutMs = 60'000;
constexpr UINT kRefusalTimeoutMs = 15'000;
// Under wine the reply to a call leaves from another thread after the call
// has returned: a process that ends right away can lose it. Whatever ends
// the process after a call (Quit, a refused activation, a crash once its
// quota is served) waits this long first.
constexpr UINT kReplyGraceMs = 200;

[[noreturn]] void dieNow() {
    // An injected crash must look like a real one: no clean-up, no reply.
    TerminateProcess(GetCurrentProcess(), kCrashExitCode);
    ExitProcess(kCrashExitCode);
}

std::wstring folderOf(const std::wstring& path) {
    auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring environment(const wchar_t* name) {
    DWORD length = GetEnvironmentVariableW(name, nullptr, 0);
    if (!length) return {};
    std::wstring value(length, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), length));
    return value;
}

// Nobody sees a COM server's window or console: the reason goes to a file
// beside the journal (or the scenario), to the debugger and to stderr.
void reportLoadFailure(const std::string& error, const std::wstring& scenarioPath) {
    std::string text = "quillon-standin: scenario " + win::toUtf8(scenarioPath) + ": " + error + "\n";
    OutputDebugStringW(win::toWide(text).c_str());
    std::fputs(text.c_str(), stderr);
    std::wstring journal = environment(L"QUILLON_STANDIN_JOURNAL");
    std::wstring folder = folderOf(journal.empty() ? scenarioPath : journal);
    std::ofstream file(std::filesystem::path(folder + L"quillon-standin-error.txt"),
                       std::ios::binary | std::ios::trunc);
    file << text;
}

int exitCode = 0;
bool ending = false;

void CALLBACK crashNow(HWND, UINT, UINT_PTR, DWORD) { dieNow(); }

void CALLBACK quitNow(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostQuitMessage(exitCode);
}

// Ends the message loop once the reply to the current call is out.
void endAfterReply(int code) {
    if (ending) return;
    ending = true;
    exitCode = code;
    SetTimer(nullptr, 0, kReplyGraceMs, &quitNow);
}

void CALLBACK refusalTimedOut(HWND, UINT, UINT_PTR, DWORD) { endAfterReply(kScenarioExitCode); }

void runMessageLoop(bool quitWhenUnclaimed, const StandinHost& host) {
    UINT_PTR unclaimedTimer = quitWhenUnclaimed ? SetTimer(nullptr, 0, kUnclaimedTimeoutMs, nullptr) : 0;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!message.hwnd && message.message == WM_TIMER && unclaimedTimer && message.wParam == unclaimedTimer) {
            KillTimer(nullptr, unclaimedTimer);
            unclaimedTimer = 0;
            if (host.connections() == 0) break;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// With no usable scenario there is nothing to serve, but a client waiting
// on activation should hear so at once rather than after COM's timeout.
int refuseActivation() {
    auto* factory = new ClassFactory(CO_E_SERVER_EXEC_FAILURE, [] { endAfterReply(kScenarioExitCode); });
    DWORD cookie = 0;
    HRESULT hr =
        CoRegisterClassObject(CLSID_StandinApplication, factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie);
    factory->Release();
    if (SUCCEEDED(hr)) {
        // Nobody asking within the time means the client has given up.
        SetTimer(nullptr, 0, kRefusalTimeoutMs, &refusalTimedOut);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        CoRevokeClassObject(cookie);
    }
    return kScenarioExitCode;
}

}  // namespace

int runServer(const ServerOptions& options, const std::wstring& exePath) {
    win::ComInit com;
    bool embedding = options.mode == ServerMode::Embedding;
    std::wstring scenarioPath = resolveScenarioPath(options, exePath);

    std::shared_ptr<standin::Engine> engine;
    try {
        engine = standin::Engine::load(win::toUtf8(scenarioPath));
    } catch (const std::exception& error) {
        reportLoadFailure(error.what(), scenarioPath);
        return embedding ? refuseActivation() : static_cast<int>(kScenarioExitCode);
    }

    // Application.HWND names a window of this process, as the real application's main frame does: it is how a
    // client finds the process to end when the application stops answering.
    HWND mainWindow = CreateWindowExW(0, L"STATIC", L"Stand-in CAD", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    engine->setWindowHandle(static_cast<std::int64_t>(reinterpret_cast<INT_PTR>(mainWindow)));

    auto host = std::make_shared<StandinHost>();
    host->engine = engine;
    if (!engine->journalPath().empty()) host->lookups.writeTo(NameLookups::pathBeside(engine->journalPath()));
    host->onQuit = [] { endAfterReply(0); };
    host->onCrash = [](bool immediate) {
        if (immediate) dieNow();
        static UINT_PTR crashTimer = 0;
        if (!crashTimer) crashTimer = SetTimer(nullptr, 0, kReplyGraceMs, &crashNow);
    };
    if (embedding) host->onLastConnection = [] { endAfterReply(0); };

    auto applicationObject = std::dynamic_pointer_cast<standin::EngineObject>(engine->application());
    if (!applicationObject) throw win::WinError(E_UNEXPECTED, "The engine's application is not a model object");
    ComPtr<IDispatch> application;
    application.Attach(new EngineDispatch(applicationObject, host));

    DWORD classCookie = 0;
    if (embedding) {
        ComPtr<IClassFactory> factory;
        factory.Attach(new ClassFactory(application, host));
        // One process per client, like the real application.
        win::throwIfFailed(CoRegisterClassObject(CLSID_StandinApplication, factory.Get(), CLSCTX_LOCAL_SERVER,
                                                 REGCLS_SINGLEUSE, &classCookie),
                           "Registering the class object");
    }
    // A user's application stays attachable however clients come and go;
    // one started for a client must not be kept alive by the table.
    DWORD activeCookie = 0;
    HRESULT registered = RegisterActiveObject(application.Get(), CLSID_StandinApplication,
                                              embedding ? ACTIVEOBJECT_WEAK : ACTIVEOBJECT_STRONG, &activeCookie);
    if (FAILED(registered) && !embedding) throw win::WinError::fromHresult(registered, "Registering as running");

    runMessageLoop(embedding, *host);

    if (SUCCEEDED(registered)) RevokeActiveObject(activeCookie, nullptr);
    if (classCookie) CoRevokeClassObject(classCookie);
    // Cut off clients that still hold references so they fail fast instead of calling a departing process.
    CoDisconnectObject(application.Get(), 0);
    if (mainWindow) DestroyWindow(mainWindow);
    return 0;
}

}  // namespace quillon::standin_server
