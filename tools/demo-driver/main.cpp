// Drives a running Quillon through window messages, the way a user would:
// lists a folder, picks a device, a paper and a plot style table, ticks
// "Print Layouts", runs "&Print All Drawings", prints each drawing's result
// and leaves a drawing's row focused, its picture in the preview box. Exit
// code 0 when the run finished; 1 when it did not (a message box, a lost
// application, a stuck window); 2 for a wrong command line.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "app/win/ControlIds.h"

namespace {

using namespace std::chrono_literals;
using quillon::e2e::GuiDriver;
using quillon::e2e::RunEnd;
namespace ids = quillon::ids;

struct Options {
    std::wstring folder = L"C:\\Quillon Demo";
    std::wstring device = L"DWG To PDF.pc3";
    std::wstring paper = L"ISO_full_bleed_A3_(420.00_x_297.00_MM)";
    std::wstring paperSize = L"A3";
    std::wstring table = L"monochrome.ctb";
    bool subfolders = false;
    bool resultBesideName = false;
    // File > Check Drawings instead of the plot run.
    bool check = false;
    bool changed = false;
    std::wstring focus = L"Ground Floor.dwg";
    std::chrono::seconds timeout = 300s;
};

// UTF-8 on stdout whether it is a console, a pipe or a file: the script that
// runs the driver reads it as text.
void say(const std::wstring& text) {
    std::wstring line = text + L"\n";
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

// Status and message texts break lines with CR LF; one printed line each.
std::wstring oneLine(std::wstring text) {
    for (auto& c : text)
        if (c == L'\r' || c == L'\n') c = L' ';
    std::wstring out;
    for (wchar_t c : text)
        if (!(c == L' ' && !out.empty() && out.back() == L' ')) out += c;
    return out;
}

void usage() {
    say(L"usage: quillon-demo-driver [--folder PATH] [--device NAME] [--paper NAME] [--paper-size TEXT]\n"
        L"                           [--table NAME] [--subfolders] [--result-beside-name] [--check]\n"
        L"                           [--changed]\n"
        L"                           [--focus FILE] [--timeout SECONDS]\n"
        L"Drives a running Quillon: lists the folder, makes the plot choices, ticks \"Print Layouts\",\n"
        L"runs \"&Print All Drawings\" and prints each drawing's result. The paper is the exact name\n"
        L"when the list offers it, else the list's item for the paper size. --result-beside-name moves\n"
        L"the Result column next to the file names once the run has ended; --check runs File > Check\n"
        L"Drawings instead of the plot run; --changed ticks \"Only drawings changed since their last plot\"\n"
        L"(else it is cleared). --focus names the drawing\n"
        L"whose row is focused at the end, so that the preview box shows its picture (\"\" for none).");
}

std::optional<Options> parse(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        auto value = [&]() -> std::optional<std::wstring> {
            if (i + 1 >= argc) return std::nullopt;
            return std::wstring(argv[++i]);
        };
        std::optional<std::wstring> v;
        if (arg == L"--subfolders") {
            options.subfolders = true;
            continue;
        }
        if (arg == L"--result-beside-name") {
            options.resultBesideName = true;
            continue;
        }
        if (arg == L"--changed") {
            options.changed = true;
            continue;
        }
        if (arg == L"--check") {
            options.check = true;
            continue;
        }
        if (arg == L"--help" || arg == L"-h" || arg == L"/?") return std::nullopt;
        if (!(v = value())) return std::nullopt;
        if (arg == L"--folder") options.folder = *v;
        else if (arg == L"--device") options.device = *v;
        else if (arg == L"--paper") options.paper = *v;
        else if (arg == L"--paper-size") options.paperSize = *v;
        else if (arg == L"--table") options.table = *v;
        else if (arg == L"--focus") options.focus = *v;
        else if (arg == L"--timeout") options.timeout = std::chrono::seconds(_wtoi(v->c_str()));
        else return std::nullopt;
    }
    if (options.timeout <= 0s) return std::nullopt;
    return options;
}

// The main window once start-up has ended: Quillon marks it with a window
// property when it can take commands.
HWND waitForQuillon(std::chrono::seconds timeout) {
    HWND main = nullptr;
    quillon::e2e::pollUntil(
        [&] {
            main = FindWindowW(L"QuillonMainWindow", L"Quillon Drawings");
            return main && IsWindowVisible(main) && GetPropW(main, L"QuillonReady") != nullptr;
        },
        timeout);
    return main && GetPropW(main, L"QuillonReady") ? main : nullptr;
}

bool choose(GuiDriver& gui, int box, const wchar_t* what, const std::wstring& item) {
    if (gui.chooseComboItem(box, item)) {
        say(std::wstring(what) + L": " + gui.text(box));
        return true;
    }
    std::wstring offered;
    for (const auto& entry : gui.comboItems(box)) offered += L"\n    " + entry;
    say(std::wstring(what) + L": \"" + item + L"\" is not offered. The list holds:" + offered);
    return false;
}

// The paper list offers the papers of the device the drawing is set up for,
// led by the standard sizes; a size alone matches the device's paper of that
// size when the run applies it.
bool choosePaper(GuiDriver& gui, const Options& options) {
    const auto items = gui.comboItems(ids::PaperBox);
    for (const auto& wanted : {options.paper, options.paperSize})
        for (const auto& item : items)
            if (item == wanted) return choose(gui, ids::PaperBox, L"Paper", item);
    if (auto picked = gui.chooseComboItemContaining(ids::PaperBox, options.paperSize)) {
        say(L"Paper: " + *picked);
        return true;
    }
    return choose(gui, ids::PaperBox, L"Paper", options.paper);
}

// Choosing the device fills the paper list again from the application's
// answer, which may land just after a paper was chosen and take the choice
// with it, as it would from a quick hand: the paper is chosen again until the
// choice holds for a moment.
bool choosePaperToHold(GuiDriver& gui, const Options& options) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!choosePaper(gui, options)) return false;
        const std::wstring chosen = gui.text(ids::PaperBox);
        const bool changed = quillon::e2e::pollUntil([&] { return gui.text(ids::PaperBox) != chosen; }, 1s);
        if (!changed && chosen != L"Select a Paper") return true;
        say(L"Paper: the list was filled again; choosing again");
    }
    return false;
}

// Focuses the drawing's row, as a click on it would, and waits for the
// preview box to show its picture, so that a screenshot taken next has it.
void showPreview(GuiDriver& gui, const std::wstring& fileName) {
    const int row = gui.findRow(fileName);
    if (row < 0) {
        say(L"Preview: no row for " + fileName);
        return;
    }
    gui.focusRow(row);
    const bool shown = quillon::e2e::pollUntil([&] { return gui.screenPixels(ids::DwgThumbnail1).nonWhite > 0; }, 10s);
    say(L"Preview: " + fileName + (shown ? L"" : L" (no picture shown)"));
}

int drive(const Options& options) {
    HWND main = waitForQuillon(60s);
    if (!main) {
        say(L"Quillon's main window did not become ready within 60 s.");
        return 1;
    }
    GuiDriver gui(main);

    say(L"Folder: " + options.folder);
    gui.selectFolder(options.folder);
    auto found = gui.waitForSearchEnd(60s);
    // Choosing a folder clears "Include Sub Directories"; ticking it searches again.
    if (found && options.subfolders) {
        gui.setChecked(ids::SubfoldersBox, true);
        say(L"Include Sub Directories: ticked");
        found = gui.waitForSearchEnd(60s);
    }
    if (!found) {
        say(L"The search did not end within 60 s. Status: " + oneLine(gui.text(ids::Status)));
        return 1;
    }
    say(L"Search: " + oneLine(*found));
    if (gui.listCount() == 0) return 1;

    if (!choose(gui, ids::DeviceBox, L"Device", options.device)) return 1;
    if (!choosePaperToHold(gui, options)) return 1;
    if (!choose(gui, ids::PlotStyleTableBox, L"Plot style table", options.table)) return 1;
    gui.setChecked(ids::ChkLayouts, true);
    say(L"Print Layouts: ticked");
    gui.setChecked(ids::ChangedOnlyBox, options.changed);
    say(std::wstring(L"Only drawings changed since their last plot: ") + (options.changed ? L"ticked" : L"cleared"));

    say(options.check ? L"Running \"Check Drawings\" ..." : L"Running \"&Print All Drawings\" ...");
    const auto started = std::chrono::steady_clock::now();
    gui.startRun(options.check ? ids::MnuCheckDrawings : ids::MnuAllPrint);
    RunEnd end = gui.waitForRunEnd(options.timeout);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count() / 1000.0;
    int code = 0;
    if (end.kind == RunEnd::Kind::MessageBox) {
        say(L"Message \"" + end.box.title + L"\": " + oneLine(end.box.text));
        gui.closeMessageBox(end.box);
        end = gui.waitForRunEnd(30s);
        code = 1;
    }
    if (end.kind == RunEnd::Kind::TimedOut) {
        say(L"The run did not end in time. Status: " + oneLine(end.status));
        return 1;
    }
    if (end.kind == RunEnd::Kind::Summary &&
        end.status.find(options.check ? L"Check finished:" : L"Run finished:") == std::wstring::npos)
        code = 1;

    wchar_t elapsed[32];
    swprintf(elapsed, 32, L"%.1f", seconds);
    say(L"Status: " + oneLine(end.status) + L"  (" + elapsed + L" s)");
    // The picture taken after the run should show each drawing's result
    // beside its name, not scrolled off to the right.
    if (options.resultBesideName && gui.listColumnCount() == GuiDriver::ResultColumn + 1) {
        std::vector<int> order{0, GuiDriver::ResultColumn};
        for (int column = 1; column < GuiDriver::ResultColumn; ++column) order.push_back(column);
        gui.setListColumnOrder(order);
    }
    say(L"");
    for (const auto& row : gui.listRows()) {
        std::wstring result = row[GuiDriver::ResultColumn].empty() ? L"-" : row[GuiDriver::ResultColumn];
        say(L"  " + row[1] + row[0] + L"\n      " + result);
    }
    if (!options.focus.empty()) showPreview(gui, options.focus);
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    auto options = parse(argc, argv);
    if (!options) {
        usage();
        return 2;
    }
    try {
        return drive(*options);
    } catch (const std::exception& error) {
        std::string what = error.what();
        say(L"quillon-demo-driver: " + std::wstring(what.begin(), what.end()));
        return 1;
    }
}
