#include <windows.h>
#include <commctrl.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/CombineCommand.h"
#include "app/win/WinCommandLineSystem.h"
#include "plotting/pdf/win/WinPdfFileAccess.h"
#include "run/win/RunReportKeeper.h"
#include "run/win/ConsoleOutput.h"
#include "app/win/ControlIds.h"
#include "app/win/MainController.h"
#include "app/win/RegistrySettingsStore.h"
#include "autocad/RetryingLauncher.h"
#include "autocad/win/ComCadLauncher.h"
#include "base/Swallowed.h"
#include "discovery/win/FolderBrowser.h"
#include "win/ComInit.h"
#include "win/MailboxWindow.h"
#include "win/MessageFilter.h"
#include "win/UniqueResource.h"
#include "win/Messages.h"
#include "win/Utf.h"

namespace {

std::vector<std::string> arguments() {
    int count = 0;
    const quillon::win::UniqueLocalMem<wchar_t**> list(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> args;
    for (int i = 1; list && i < count; ++i) args.push_back(quillon::win::toUtf8(list.get()[i]));
    return args;
}

bool asksToRun(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (arg.size() < 4 || (arg[0] != '/' && arg[0] != '-')) continue;
        std::string name = arg.substr(1);
        for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (name == "run" || name == "check" || name == "resume" || name == "combine") return true;
    }
    return false;
}

// The usage, or what is wrong with the arguments: on the console when Quillon
// was started from one, else in a box; never a box with /run, which no one may be there to answer.
int explain(const std::string& text, bool unattended, int exitCode) {
    quillon::app::ConsoleOutput::attach();
    quillon::app::ConsoleOutput::writeLine(text);
    if (!unattended) quillon::win::showMessage(nullptr, text, "Quillon");
    return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before any thread starts: an error carried past is still seen by whoever watches the debugger's output.
    quillon::base::tellSwallowedTo(&quillon::win::toDebuggerOutput);
    try {
        quillon::app::CommandLine commandLine;
        const auto args = arguments();
        try {
            commandLine = quillon::app::parseCommandLine(args);
        } catch (const quillon::app::CommandLineError& error) {
            return explain(std::string(error.what()) + "\r\n\r\n" + quillon::app::commandLineUsage(), asksToRun(args),
                           static_cast<int>(quillon::app::RunExitCode::BadJobOrArguments));
        }
        if (commandLine.mode == quillon::app::CommandLine::Mode::Usage)
            return explain(quillon::app::commandLineUsage(), false, 0);
        // Combining recorded sheets needs neither the window nor the CAD application.
        if (commandLine.mode == quillon::app::CommandLine::Mode::CombineReports) {
            quillon::app::WinCommandLineSystem system;
            quillon::run::RunReportKeeper reports;
            quillon::plotting::WinPdfFileAccess files;
            return quillon::app::runCombineCommand(commandLine, system, reports, files);
        }

        quillon::win::ComInit com;
        // The CAD application refuses calls while it is busy; the filter has them retried.
        quillon::win::MessageFilterScope messageFilter;
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);

        quillon::app::RegistrySettingsStore settings;
        // Shared with the CAD threads: one still inside a call when the program ends holds nothing of this stack.
        // Every session starts its applications through this one: one at a time, each failure tried again.
        auto launcher = std::make_shared<quillon::autocad::RetryingLauncher>(
            std::make_shared<quillon::autocad::ComCadLauncher>());
        // Before anything can post: what the CAD threads and workers hand the window's thread arrives from
        // the first moment, through whichever message loop runs then.
        quillon::win::MailboxWindow mail;
        quillon::app::MainController controller(settings, launcher, mail.mailbox());
        controller.setCommandLine(commandLine);
        if (!controller.start()) return controller.exitCode();

        auto messageLoop = [] {
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            return static_cast<int>(message.wParam);
        };
        // The folder tree lives in FolderTreeBox; its first selection (C:\) is a folder change too.
        quillon::discovery::FolderBrowser browser(
            controller.window().control(quillon::ids::FolderTreeBox),
            [&controller](std::optional<std::wstring> path) { controller.onFolderSelected(path); });
        return browser.run(L"c:\\", messageLoop);
    } catch (...) {
        quillon::win::reportUnhandled(nullptr, std::current_exception());
        return 1;
    }
}
