#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <set>

#include "GuiDriver.h"
#include "ProgramUnderTest.h"
#include "StandinScenario.h"
#include "TestSupport.h"
#include "app/win/ControlIds.h"
#include "standin/server/Registration.h"
#include "win/DispatchObject.h"
#include "win/RegistryKey.h"
#include "win/UniqueResource.h"
#include "win/Utf.h"

// Plot runs of the real program, driven from outside through its window
// messages against the stand-in application: what reaches the application,
// what lands on disk, what the user reads on each row, and what happens to
// drawings that are not Quillon's.
namespace quillon::e2e {
namespace {

// The name a plot file has once moved from the temporary name the application wrote it under.
std::string movedName(const std::string& written) {
    return std::regex_replace(written, std::regex(R"(\.quillon[\\/]([^\\/]*)\.~[0-9a-f]{8}\.)"), "$1.");
}

using nlohmann::json;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

using wintest::kServerExe;
using wintest::kDrawingBytes;

std::string utf8(const fs::path& path) { return win::toUtf8(path.wstring()); }
std::wstring wide(const std::string& text) { return win::toWide(text); }

char foldPathChar(char c) {
    if (c == '/') return '\\';
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// File names on Windows: letter case and separator style do not matter.
std::string pathKey(std::string_view path) {
    std::string key;
    std::transform(path.begin(), path.end(), std::back_inserter(key), foldPathChar);
    return key;
}

bool samePath(std::string_view a, std::string_view b) { return pathKey(a) == pathKey(b); }

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string describe(const RunEnd& end) {
    switch (end.kind) {
        case RunEnd::Kind::Summary: return "summary: " + win::toUtf8(end.status);
        case RunEnd::Kind::MessageBox:
            return "message box \"" + win::toUtf8(end.box.title) + "\": " + win::toUtf8(end.box.text);
        case RunEnd::Kind::TimedOut: break;
    }
    return "no end in time; Status: " + win::toUtf8(end.status);
}

class PlotRunEndToEnd : public ::testing::Test {
protected:
    // The prefix keeps a plain registration afterwards, as the prefix script leaves it.
    static void TearDownTestSuite() { standin_server::registerServer(wintest::standinExePath()); }

    wintest::TempFolder folder;
    fs::path journal;
    fs::path scenarioFile;

    void SetUp() override {
        // Choices remembered from another test's session must not stand in for this test's.
        win::RegistryKey::deleteTree(HKEY_CURRENT_USER, L"Software\\Quillon");
    }

    void TearDown() override {
        EXPECT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 0; }, 15s))
            << "a stand-in server outlived its test";
    }

    // Rewriting the file changes what the next server started reads; a running one keeps its own.
    void writeScenario(json scenario) {
        scenario["journal"] = "journal.jsonl";
        scenario["plotFolder"] = utf8(folder.path() / L"Plots");
        journal = folder.path() / L"journal.jsonl";
        // Where the layouts' plot files go; the application writes no folder of its own.
        fs::create_directories(folder.path() / L"Plots");
        scenarioFile = folder.write(L"scenario.json", scenario.dump(2));
    }

    void useScenario(json scenario) {
        writeScenario(std::move(scenario));
        standin_server::registerServer(wintest::standinExePath(), scenarioFile.wstring());
    }

    fs::path drawing(const fs::path& relative) const { return folder.write(relative.wstring(), kDrawingBytes); }

    std::vector<json> lines() const { return wintest::readJsonLines(journal); }

    // A scenario for drawings "Sheet 101.dwg" ... made in a folder of their own, each with two layouts.
    json sheetScenario(const fs::path& jobs, int count) const {
        json scenario = wintest::baseScenario();
        scenario["defaultDevice"] = wintest::kDevice;
        for (int i = 1; i <= count; ++i) {
            const std::string name = "Sheet " + std::to_string(100 + i) + ".dwg";
            drawing(jobs / wide(name));
            wintest::addDrawing(scenario, name);
        }
        return scenario;
    }

    std::vector<json> plots() const {
        std::vector<json> found;
        for (const auto& line : lines())
            if (line.contains("plot")) found.push_back(line["plot"]);
        return found;
    }

    std::vector<json> closes() const {
        std::vector<json> found;
        for (const auto& line : lines())
            if (line.contains("close")) found.push_back(line["close"]);
        return found;
    }
    // Closes of saved drawings: not of the blank ones a picked device's papers are read through.
    std::vector<json> drawingCloses() const {
        std::vector<json> found = closes();
        std::erase_if(found, [](const json& close) {
            return close["document"].get<std::string>().find('\\') == std::string::npos;
        });
        return found;
    }

    // For a failure message: how far the application got.
    std::string journalTail(std::size_t count = 4) const {
        const auto all = wintest::readLines(journal);
        std::string tail = std::to_string(all.size()) + " journal lines";
        for (std::size_t i = all.size() > count ? all.size() - count : 0; i < all.size(); ++i)
            tail += "\n  " + all[i].substr(0, 300);
        return tail;
    }

    int serverStarts() const {
        int starts = 0;
        for (const auto& line : lines()) starts += line.contains("start") ? 1 : 0;
        return starts;
    }

    // The program set up for a run over one folder: listed, and the three
    // choices made the way a user makes them, device first.
    static void prepare(GuiDriver& gui, const fs::path& drawings, int expectedRows) {
        gui.selectFolder(drawings.wstring());
        auto searched = gui.waitForSearchEnd();
        ASSERT_TRUE(searched) << "the search did not end; Status: " << win::toUtf8(gui.text(ids::Status));
        ASSERT_EQ(gui.listCount(), expectedRows) << win::toUtf8(*searched);

        auto choose = [&](int box, const char* item) {
            ASSERT_TRUE(gui.chooseComboItem(box, wide(item)))
                << "\"" << item << "\" is not offered; the list holds " << itemsOf(gui, box);
            EXPECT_EQ(gui.text(box), wide(item));
        };
        choose(ids::DeviceBox, wintest::kDevice);
        choose(ids::PaperBox, wintest::kMediaA3);
        choose(ids::PlotStyleTableBox, wintest::kStyleTable);
        gui.setChecked(ids::ChkLayouts, true);
    }

    static std::string itemsOf(const GuiDriver& gui, int box) {
        std::string all;
        for (const auto& item : gui.comboItems(box)) all += "[" + win::toUtf8(item) + "] ";
        return all;
    }

    static std::map<std::string, std::string> resultsByName(const GuiDriver& gui) {
        std::map<std::string, std::string> results;
        for (const auto& row : gui.listRows())
            results[win::toUtf8(row[0])] = win::toUtf8(row[GuiDriver::ResultColumn]);
        return results;
    }

    static void closeProgram(ProgramUnderTest& program, HWND main) {
        PostMessageW(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(program.waitForExit()) << "Quillon did not end after WM_CLOSE";
    }
};

// The user's own application, already running with their drawings open.
class UsersApplication {
public:
    explicit UsersApplication(const fs::path& scenario) {
        std::wstring command =
            L"\"" + wintest::standinExePath() + L"\" /Running --scenario \"" + scenario.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            throw std::runtime_error("could not start the user's application");
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        listed_ = wintest::waitFor(
            [] {
                try {
                    return win::connectRunning("AutoCAD.Application") != nullptr;
                } catch (const std::exception&) {
                    return false;
                }
            },
            15s);
    }
    ~UsersApplication() {
        TerminateProcess(process_.get(), 0);
        WaitForSingleObject(process_.get(), 10000);
    }
    bool listed() const { return listed_; }
    bool running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

private:
    win::UniqueHandle process_;
    bool listed_ = false;
};

TEST_F(PlotRunEndToEnd, PlotsEveryDrawingOfAFolderAndLeavesTheUsersDocumentsAlone) {
    const fs::path plans = fs::path(L"Tower Job") / L"Plans";
    const auto ground = drawing(plans / L"Ground Floor.dwg");
    const auto upper = drawing(plans / L"Upper Floor.dwg");
    const auto site = drawing(plans / L"Site.dwg");
    const auto notes = drawing(plans / L"NOTES.DWG");
    const auto archive = drawing(plans / L"Archive 1998.dwg");
    const auto section = drawing(plans / L"Section.dwg");
    const auto core = drawing(plans / L"Core.dwg");
    // The reference moved with the job; the drawing still names the old place.
    const auto grid = drawing(fs::path(L"Tower Job") / L"Refs" / L"Grid.dwg");
    // Open in the user's session: a modified drawing of the folder, and an
    // unrelated one whose name ends two of the folder's drawing names.
    const auto usersFloor = drawing(fs::path(L"Elsewhere") / L"Floor.dwg");
    const std::string notesBytes = readBytes(notes);

    json scenario = wintest::baseScenario();
    scenario["defaultDevice"] = wintest::kDevice;
    scenario["openDocuments"] = json::array({{{"path", utf8(core)}, {"modified", true}}, {{"path", utf8(usersFloor)}}});
    scenario["activeDocument"] = 1;
    auto& drawings = scenario["drawings"];
    wintest::addDrawing(scenario, "Ground Floor.dwg");
    drawings.push_back({{"file", "Upper Floor.dwg"}, {"layouts", {{{"name", "Sheet 1"}}, {{"name", "Detail: A/B"}}}}});
    drawings.push_back(
        {{"file", "Site.dwg"}, {"xrefs", {{{"name", "GRID"}, {"path", "D:\\Old Projects\\Tower Job\\Refs\\Grid.dwg"}}}}});
    drawings.push_back({{"file", "Archive 1998.dwg"}, {"openError", "saved by a release this application cannot read"}});
    drawings.push_back({{"file", "Section.dwg"}});
    drawings.push_back({{"file", "Core.dwg"}, {"layouts", {{{"name", "Core Sheet"}}}}});
    scenario["faults"]["throws"] = json::array({{{"object", "Layout"},
                                                 {"member", "CenterPlot"},
                                                 {"access", "put"},
                                                 {"drawing", "Section.dwg"},
                                                 {"description", "The plot configuration is locked"}}});
    useScenario(scenario);

    UsersApplication users(scenarioFile);
    ASSERT_TRUE(users.listed()) << "the user's application did not come up";

    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    prepare(gui, folder.path() / plans, 7);
    if (HasFatalFailure()) return;
    const std::wstring panelBefore = gui.statusBarPanel(0);

    gui.startRun(ids::MnuAllPrint);
    const RunEnd end = gui.waitForRunEnd();
    ASSERT_EQ(end.kind, RunEnd::Kind::Summary) << describe(end);
    EXPECT_NE(end.status.find(L"Run finished: 5 drawings plotted (7 sheets), 0 skipped, 2 failed."), std::wstring::npos)
        << win::toUtf8(end.status);
    EXPECT_EQ(gui.progressPosition(), 0) << "the progress bar is reset at the end";
    EXPECT_EQ(gui.statusBarPanel(0), panelBefore) << "the status bar's panel is given back";

    SCOPED_TRACE("journal: " + utf8(journal));

    // Each sheet once, with the user's choices, to a file of its own.
    const std::set<std::pair<std::string, std::string>> expectedSheets = {
        {pathKey(utf8(ground)), "Layout1"}, {pathKey(utf8(ground)), "Layout2"},
        {pathKey(utf8(upper)), "Sheet 1"},  {pathKey(utf8(upper)), "Detail: A/B"},
        {pathKey(utf8(core)), "Core Sheet"}, {pathKey(utf8(site)), "Model"},
        {pathKey(utf8(notes)), "Model"},
    };
    std::set<std::pair<std::string, std::string>> sheets;
    std::set<std::string> plotFiles;
    for (const auto& plot : plots()) {
        const std::string sheet = plot["drawing"].get<std::string>() + " / " + plot["layout"].get<std::string>();
        sheets.insert({pathKey(plot["drawing"].get<std::string>()), plot["layout"].get<std::string>()});
        EXPECT_EQ(plot["device"], wintest::kDevice) << sheet;
        EXPECT_EQ(plot["media"], wintest::kMediaA3) << sheet;
        EXPECT_EQ(plot["styleSheet"], wintest::kStyleTable) << sheet;
        EXPECT_EQ(plot["copies"], 1) << sheet;
        EXPECT_TRUE(plot["succeeded"].get<bool>()) << sheet;
        EXPECT_FALSE(plot["toDevice"].get<bool>()) << sheet << ": a pc3 device plots to a file";
        ASSERT_TRUE(plot["plotFile"].is_string()) << sheet;
        plotFiles.insert(pathKey(movedName(plot["plotFile"].get<std::string>())));
        if (plot["layout"] != "Model") {
            EXPECT_EQ(plot["backgroundPlot"], 0) << sheet << ": layouts plot in the foreground";
        }
    }
    EXPECT_EQ(sheets, expectedSheets);
    EXPECT_EQ(plots().size(), expectedSheets.size()) << "a sheet was plotted twice";
    EXPECT_EQ(plotFiles.size(), expectedSheets.size()) << "two sheets share a plot file: one overwrote the other";

    // Layout plot files lie beside their drawing, as model-space ones do.
    const fs::path besideDrawings = folder.path() / plans;
    for (const auto& name : {L"Ground Floor-Layout1.dwf", L"Ground Floor-Layout2.dwf", L"Upper Floor-Sheet 1.dwf",
                             L"Upper Floor-Detail_ A_B.dwf", L"Core-Core Sheet.dwf"}) {
        EXPECT_TRUE(fs::is_regular_file(besideDrawings / name)) << win::toUtf8(name);
        EXPECT_EQ(plotFiles.count(pathKey(utf8(besideDrawings / name))), 1u) << win::toUtf8(name);
    }
    for (const auto& model : {site, notes}) {
        auto plotted = fs::path(model).replace_extension(L".dwf");
        EXPECT_TRUE(fs::is_regular_file(plotted)) << utf8(plotted);
        EXPECT_NE(readBytes(plotted).find("layout: Model"), std::string::npos) << utf8(plotted);
    }
    EXPECT_EQ(plotFiles.count(pathKey(utf8(notes))), 0u) << "an upper-case .DWG became its own plot file";
    EXPECT_EQ(readBytes(notes), notesBytes) << "a drawing was overwritten by its plot";

    // The broken reference pointed at the file beside the job, then reloaded.
    const auto all = lines();
    auto repaired = std::find_if(all.begin(), all.end(), [&](const json& line) {
        return line.value("member", "") == "Path" && line.value("kind", "") == "put" && !line.contains("error") &&
               line["args"].size() == 1 && samePath(line["args"][0].get<std::string>(), utf8(grid));
    });
    ASSERT_NE(repaired, all.end()) << "the reference's path was never set to " << utf8(grid);
    EXPECT_TRUE(std::any_of(repaired, all.end(), [](const json& line) {
        return line.value("member", "") == "Reload" && !line.contains("error");
    })) << "the repaired reference was not reloaded";

    // What the user reads on each row.
    const auto results = resultsByName(gui);
    EXPECT_EQ(results.at("Ground Floor.dwg"), "2 layouts plotted");
    EXPECT_EQ(results.at("Upper Floor.dwg"), "2 layouts plotted");
    EXPECT_EQ(results.at("Core.dwg"), "1 layout plotted");
    EXPECT_EQ(results.at("Site.dwg"), "Plotted (model space)");
    EXPECT_EQ(results.at("NOTES.DWG"), "Plotted (model space)");
    EXPECT_EQ(results.at("Archive 1998.dwg").rfind("Failed: ", 0), 0u) << results.at("Archive 1998.dwg");
    EXPECT_NE(results.at("Archive 1998.dwg").find("saved by a release this application cannot read"), std::string::npos)
        << results.at("Archive 1998.dwg");
    EXPECT_EQ(results.at("Section.dwg"), "Failed: The plot configuration is locked");
    // A Result its column cuts short shows whole in the list's tip.
    gui.setListColumnOrder({0, GuiDriver::ResultColumn, 1, 2, 3, 4});
    EXPECT_EQ(win::toUtf8(gui.tipOverCell(gui.findRow(L"Archive 1998.dwg"), GuiDriver::ResultColumn)),
              results.at("Archive 1998.dwg"));

    // Every drawing Quillon opened is closed once, unsaved, the failed one
    // included; the one that never opened closes nothing; the user's two
    // documents are never closed (Core.dwg was plotted from a read-only copy); the blank drawing the picked
    // device's papers were read through is Quillon's own, closed unsaved.
    closeProgram(program, main);
    std::multiset<std::string> closed;
    for (const auto& close : closes()) {
        const std::string document = close["document"].get<std::string>();
        closed.insert(pathKey(document));
        EXPECT_FALSE(close["wouldSave"].get<bool>()) << document;
        EXPECT_FALSE(close["wouldPrompt"].get<bool>()) << document;
        if (samePath(document, utf8(core))) {
            EXPECT_TRUE(close["readOnly"].get<bool>()) << "the user's Core.dwg was closed";
        }
    }
    const std::multiset<std::string> expectedClosed = {pathKey(utf8(ground)), pathKey(utf8(upper)),
                                                       pathKey(utf8(site)),   pathKey(utf8(notes)),
                                                       pathKey(utf8(section)), pathKey(utf8(core)),
                                                       "drawing1.dwg"};
    EXPECT_EQ(closed, expectedClosed);
    EXPECT_EQ(closed.count(pathKey(utf8(usersFloor))), 0u) << "the user's Floor.dwg was closed";
    EXPECT_EQ(closed.count(pathKey(utf8(archive))), 0u);
    for (const auto& line : lines()) EXPECT_NE(line.value("member", ""), "Quit") << "the user's application was quit";
    EXPECT_TRUE(users.running()) << "the user's application must keep running";
}

// The application Quillon started is killed half way (as a user would end it
// in Task Manager): a new one, which starts in single-document mode with
// nothing open, plots the rest. Then one that keeps dying: the fourth loss
// in a run ends it with the message, and no server is left behind.
TEST_F(PlotRunEndToEnd, AKilledApplicationIsStartedAgainWithTheDrawingInHandAndAFourthLossInARowEndsTheRun) {
    constexpr int kDrawings = 8;
    const fs::path jobs = L"Jobs";
    json scenario = sheetScenario(jobs, kDrawings);
    scenario["sdi"] = 1;
    useScenario(scenario);

    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr) << journalTail();
    GuiDriver gui(main);
    prepare(gui, folder.path() / jobs, kDrawings);
    if (HasFatalFailure()) return;

    gui.startRun(ids::MnuAllPrint);
    ASSERT_TRUE(wintest::waitFor([&] { return plots().size() >= 5; }, 60s)) << journalTail();
    wintest::terminateProcesses(kServerExe);
    const RunEnd end = gui.waitForRunEnd();
    ASSERT_EQ(end.kind, RunEnd::Kind::Summary) << describe(end);
    EXPECT_NE(end.status.find(L"Run finished: 8 drawings plotted (16 sheets), 0 skipped, 0 failed. AutoCAD was "
                              L"started again 1 time."),
              std::wstring::npos)
        << win::toUtf8(end.status);
    EXPECT_EQ(serverStarts(), 2);
    std::map<std::string, int> sheetsPlotted;
    for (const auto& plot : plots())
        if (plot["succeeded"].get<bool>()) ++sheetsPlotted[pathKey(plot["drawing"].get<std::string>())];
    int plottedAgain = 0;
    for (const auto& [name, result] : resultsByName(gui)) {
        const int sheets = sheetsPlotted[pathKey(utf8(folder.path() / jobs / wide(name)))];
        EXPECT_EQ(result, "2 layouts plotted") << name;
        EXPECT_GE(sheets, 2) << name;
        if (sheets > 2) ++plottedAgain;
    }
    EXPECT_LE(plottedAgain, 1) << "only the drawing in hand when the application was killed is tried again";
    EXPECT_EQ(wintest::countProcesses(kServerExe), 1);

    // Every application started from here on dies soon after it is connected.
    json dying = scenario;
    dying["faults"]["dieAfterCalls"] = 40;
    writeScenario(dying);
    gui.startRun(ids::MnuAllPrint);
    wintest::terminateProcesses(kServerExe);
    // The box comes once the run has ended, never from inside the run's own messages.
    const auto lost = gui.waitForMessageBox(60s);
    ASSERT_TRUE(lost) << win::toUtf8(gui.text(ids::Status));
    EXPECT_EQ(lost->title, L"AutoCAD Not Responding");
    EXPECT_NE(lost->text.find(L"The next run connects to AutoCAD again."), std::wstring::npos)
        << win::toUtf8(lost->text);
    ASSERT_TRUE(gui.closeMessageBox(*lost));
    const RunEnd ended = gui.waitForRunEnd(30s);
    ASSERT_EQ(ended.kind, RunEnd::Kind::Summary) << describe(ended);
    EXPECT_NE(ended.status.find(L"Run ended, AutoCAD was lost: "), std::wstring::npos) << win::toUtf8(ended.status);
    EXPECT_NE(ended.status.find(L"AutoCAD was started again 3 times."), std::wstring::npos)
        << win::toUtf8(ended.status);
    EXPECT_EQ(serverStarts(), 2 + 3);
    EXPECT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 0; }, 15s))
        << "a dead server is still there";
    EXPECT_EQ(gui.progressPosition(), 0);
    closeProgram(program, main);
}

// A call that takes long: the window keeps answering, its clock keeps
// ticking, Status names the call, and Stop ends the run as soon as the call
// returns, with the drawing Quillon opened closed.
TEST_F(PlotRunEndToEnd, DuringALongCallTheWindowAnswersAndStopEndsTheRunWhenTheCallReturns) {
    constexpr int kOpenMs = 8000;
    const fs::path jobs = L"Slow";
    json scenario = sheetScenario(jobs, 3);
    // The run takes the last entry first.
    scenario["faults"]["slow"] = json::array(
        {{{"object", "Documents"}, {"member", "Open"}, {"drawing", "Sheet 103.dwg"}, {"milliseconds", kOpenMs}}});
    useScenario(scenario);

    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr) << journalTail();
    GuiDriver gui(main);
    prepare(gui, folder.path() / jobs, 3);
    if (HasFatalFailure()) return;

    gui.startRun(ids::MnuAllPrint);
    ASSERT_TRUE(wintest::waitFor(
        [&] { return gui.text(ids::Status).find(L"Opening Drawing ") != std::wstring::npos; }, 10s));
    const auto callStarted = std::chrono::steady_clock::now();
    // Every question below must be answered within a second, or the driver throws.
    GuiDriver quick(main, 1s);
    // Status names the call once it lasts, counting the seconds: the window's timer keeps running.
    std::set<std::wstring> waitingTexts;
    while (std::chrono::steady_clock::now() - callStarted < 5500ms) {
        const std::wstring status = quick.text(ids::Status);
        if (status.find(L"Waiting for AutoCAD to answer Documents.Open (") != std::wstring::npos)
            waitingTexts.insert(status);
        quick.statusBarPanel(3);
        Sleep(100);
    }
    EXPECT_GE(waitingTexts.size(), 2u) << "Status did not name the call, or its count stood still; it says "
                                       << win::toUtf8(quick.text(ids::Status));
    gui.pressStop();
    const RunEnd end = gui.waitForRunEnd(30s);
    const auto ended = std::chrono::steady_clock::now();
    ASSERT_EQ(end.kind, RunEnd::Kind::Summary) << describe(end);
    EXPECT_NE(end.status.find(L"Run stopped: 0 drawings plotted (0 sheets), 1 skipped, 0 failed."),
              std::wstring::npos)
        << win::toUtf8(end.status);
    EXPECT_LT(ended - callStarted, std::chrono::milliseconds(kOpenMs) + 4s) << "the run outlived the call";
    EXPECT_TRUE(plots().empty());
    ASSERT_EQ(drawingCloses().size(), 1u) << "the drawing Quillon opened is closed";
    EXPECT_NE(drawingCloses()[0]["document"].get<std::string>().find("Sheet 103.dwg"), std::string::npos);
    closeProgram(program, main);
}

// An open that never returns (a box of the application's own), with the open's limit set to seconds and a call's
// left at its ten minutes: the application Quillon started is ended, its drawing fails, and a new one plots the
// rest. The user's own application is never ended: the run ends and it is left.
TEST_F(PlotRunEndToEnd, AHungApplicationQuillonStartedIsEndedAndTheUsersOwnIsLeftAlone) {
    win::RegistryKey::create(HKEY_CURRENT_USER, L"Software\\Quillon\\Settings").writeString(L"CadOpenTimeout", L"5");
    const fs::path jobs = L"Hung";
    json scenario = sheetScenario(jobs, 3);
    scenario["faults"]["hangs"] =
        json::array({{{"object", "Documents"}, {"member", "Open"}, {"drawing", "Sheet 103.dwg"}}});
    useScenario(scenario);
    {
        ProgramUnderTest program;
        HWND main = program.waitUntilReady();
        ASSERT_NE(main, nullptr) << journalTail();
        GuiDriver gui(main);
        prepare(gui, folder.path() / jobs, 3);
        if (HasFatalFailure()) return;
        gui.startRun(ids::MnuAllPrint);
        const RunEnd end = gui.waitForRunEnd(60s);
        ASSERT_EQ(end.kind, RunEnd::Kind::Summary) << describe(end);
        EXPECT_NE(end.status.find(L"Run finished: 2 drawings plotted (4 sheets), 0 skipped, 1 failed. AutoCAD was "
                                  L"started again 1 time."),
                  std::wstring::npos)
            << win::toUtf8(end.status);
        // The open waited on a question: the row says so, and the drawing was not tried again.
        EXPECT_EQ(resultsByName(gui).at("Sheet 103.dwg"), "Failed: AutoCAD asked a question while opening this drawing");
        EXPECT_EQ(serverStarts(), 2);
        closeProgram(program, main);
    }
    EXPECT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 0; }, 15s));

    const auto linesBefore = lines().size();
    UsersApplication users(scenarioFile);
    ASSERT_TRUE(users.listed()) << "the user's application did not come up";
    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    prepare(gui, folder.path() / jobs, 3);
    if (HasFatalFailure()) return;
    gui.startRun(ids::MnuAllPrint);
    const RunEnd end = gui.waitForRunEnd(60s);
    ASSERT_EQ(end.kind, RunEnd::Kind::MessageBox) << describe(end);
    EXPECT_EQ(end.box.title, L"AutoCAD Not Responding");
    EXPECT_NE(end.box.text.find(L"It is left running"), std::wstring::npos) << win::toUtf8(end.box.text);
    ASSERT_TRUE(gui.closeMessageBox(end.box));
    EXPECT_TRUE(gui.isEnabled(ids::PrintAllButton)) << "the window is usable again";
    EXPECT_TRUE(users.running()) << "the user's application must never be ended";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.waitForExit()) << "Quillon must not wait on the hung application to leave";
    EXPECT_TRUE(users.running());
    EXPECT_EQ(wintest::countProcesses(kServerExe), 1) << "no second application was started";
    const auto all = lines();
    for (std::size_t i = linesBefore; i < all.size(); ++i)
        EXPECT_NE(all[i].value("member", ""), "Quit") << "the user's application was quit";
}

// The user's own application hangs in a plot and the window is closed: the
// question waits for its answer while the watchdog gives up on the call, and
// the answer then finds nothing left to end, instead of ending the program.
TEST_F(PlotRunEndToEnd, ClosingWhileTheUsersApplicationHangsWaitsForTheAnswerAndLeavesItRunning) {
    win::RegistryKey::create(HKEY_CURRENT_USER, L"Software\\Quillon\\Settings").writeString(L"CadCallTimeout", L"15");
    const fs::path jobs = L"Hangs at exit";
    json scenario = sheetScenario(jobs, 2);
    scenario["faults"]["hangs"] = json::array({{{"object", "Plot"}, {"member", "PlotToFile"}}});
    useScenario(scenario);
    UsersApplication users(scenarioFile);
    ASSERT_TRUE(users.listed());
    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    prepare(gui, folder.path() / jobs, 2);
    if (HasFatalFailure()) return;
    gui.startRun(ids::MnuAllPrint);
    ASSERT_TRUE(wintest::waitFor([&] { return gui.text(ids::Status).find(L"Plot.PlotToFile") != std::wstring::npos; }, 30s));
    PostMessageW(main, WM_CLOSE, 0, 0);
    const auto box = gui.waitForMessageBox(20s);
    ASSERT_TRUE(box) << "no question about the hung call";
    EXPECT_NE(box->text.find(L"It is left running as it is"), std::wstring::npos) << win::toUtf8(box->text);
    // Past the call's limit, with the box left alone: the program must still be there, whole.
    Sleep(18000);
    ASSERT_FALSE(program.waitForExit(0ms)) << "the program ended (exit code " << program.exitCode() << ")";
    ASSERT_TRUE(gui.closeMessageBox(*box));
    ASSERT_TRUE(program.waitForExit(30s)) << "Quillon did not leave once the box was closed";
    EXPECT_EQ(program.exitCode(), 0u);
    EXPECT_TRUE(users.running()) << "the user's application must never be ended";
}

// The user's own application hangs in a run shared with a session Quillon started: only the first
// session is given up on, its drawing fails, the other session plots the rest, the user's is left running.
TEST_F(PlotRunEndToEnd, AFirstSessionGivenUpOnInASharedRunLeavesTheRestToTheOtherSession) {
    win::RegistryKey::create(HKEY_CURRENT_USER, L"Software\\Quillon\\Settings").writeString(L"CadCallTimeout", L"5");
    const fs::path jobs = L"Shared";
    json scenario = sheetScenario(jobs, 3);
    useScenario(scenario);
    scenario["journal"] = "users-journal.jsonl";
    scenario["faults"]["hangs"] = json::array({{{"object", "Plot"}, {"member", "PlotToFile"}}});
    UsersApplication users(folder.write(L"users.json", scenario.dump(2)));
    ASSERT_TRUE(users.listed());
    ProgramUnderTest program(L"/sessions 2");
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    prepare(gui, folder.path() / jobs, 3);
    if (HasFatalFailure()) return;
    gui.startRun(ids::MnuAllPrint);
    const RunEnd end = gui.waitForRunEnd(90s);
    ASSERT_EQ(end.kind, RunEnd::Kind::Summary) << describe(end);
    EXPECT_NE(end.status.find(L" 2 drawings plotted"), std::wstring::npos) << win::toUtf8(end.status);
    EXPECT_NE(end.status.find(L" 1 failed."), std::wstring::npos) << win::toUtf8(end.status);
    EXPECT_TRUE(users.running()) << "the user's application must never be ended";
    closeProgram(program, main);
}

// Exit in the middle of a run attached to the user's application: the run
// stops and closes what Quillon opened, the user's drawings stay, nothing
// else is started, and the program ends.
TEST_F(PlotRunEndToEnd, ExitDuringARunStopsItFirstAndLeavesTheUsersApplicationAsItWas) {
    const fs::path jobs = L"Exit";
    json scenario = sheetScenario(jobs, 4);
    const auto usersDrawing = drawing(fs::path(L"Mine") / L"Own plan.dwg");
    scenario["openDocuments"] = json::array({{{"path", utf8(usersDrawing)}, {"modified", true}}});
    scenario["faults"]["slow"] = json::array({{{"object", "Documents"}, {"member", "Open"}, {"milliseconds", 1500}}});
    useScenario(scenario);
    UsersApplication users(scenarioFile);
    ASSERT_TRUE(users.listed());

    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    prepare(gui, folder.path() / jobs, 4);
    if (HasFatalFailure()) return;
    gui.startRun(ids::MnuAllPrint);
    ASSERT_TRUE(wintest::waitFor([&] { return plots().size() >= 2; }, 30s)) << journalTail();
    gui.postCommand(ids::ExitButton);
    ASSERT_TRUE(program.waitForExit(30s)) << "Quillon did not end after Exit during a run";

    EXPECT_TRUE(users.running());
    EXPECT_EQ(wintest::countProcesses(kServerExe), 1) << "a second application was started";
    EXPECT_LT(plots().size(), 8u) << "the run went on after Exit";
    int opens = 0;
    for (const auto& line : lines()) {
        opens += line.value("member", "") == "Open" ? 1 : 0;
        EXPECT_NE(line.value("member", ""), "Quit") << "the user's application was quit";
    }
    int quillonsClosed = 0;
    for (const auto& close : drawingCloses()) {
        EXPECT_FALSE(samePath(close["document"].get<std::string>(), utf8(usersDrawing))) << "the user's drawing";
        ++quillonsClosed;
    }
    EXPECT_EQ(quillonsClosed, opens) << "every drawing Quillon opened was closed";
}

// A scenario of drawings whose every open takes a while, so that the user
// can act in the window while a run goes.
json slowOpening(int milliseconds) {
    json scenario = wintest::baseScenario();
    scenario["defaultDevice"] = wintest::kDevice;
    scenario["faults"]["slow"] = json::array({{{"object", "Documents"}, {"member", "Open"}, {"milliseconds", milliseconds}}});
    return scenario;
}

TEST_F(PlotRunEndToEnd, SortingNeverChangesTheSelectionAndARunOfTheSelectionPlotsWhatWasSelectedAtItsStart) {
    const fs::path jobs = L"Jobs";
    json scenario = slowOpening(1500);
    for (const char* name : {"A.dwg", "B.dwg", "C.dwg", "D.dwg"}) {
        drawing(jobs / name);
        wintest::addDrawing(scenario, name);
    }
    useScenario(scenario);
    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    prepare(gui, folder.path() / jobs, 4);
    if (HasFatalFailure()) return;
    auto firstRowIs = [&](const wchar_t* name) {
        return pollUntil([&] { return gui.listCell(0, 0) == name; }, 10s);
    };

    gui.selectRows({gui.findRow(L"A.dwg"), gui.findRow(L"B.dwg"), gui.findRow(L"D.dwg")});
    gui.clickColumnHeading(0);  // the list's first sort is by name, reversed
    ASSERT_TRUE(firstRowIs(L"D.dwg"));
    gui.selectRows({gui.findRow(L"A.dwg"), gui.findRow(L"D.dwg")});
    gui.clickColumnHeading(GuiDriver::ResultColumn);
    gui.clickColumnHeading(0);
    ASSERT_TRUE(firstRowIs(L"A.dwg"));
    if (auto box = gui.findMessageBox()) {
        ADD_FAILURE() << "sorting by Result put up \"" << win::toUtf8(box->title) << "\": " << win::toUtf8(box->text);
        gui.closeMessageBox(*box);
    }
    EXPECT_EQ(gui.selectedNames(), (std::vector<std::wstring>{L"A.dwg", L"D.dwg"}))
        << "a sort brought back a row deselected since the last one";

    // A Stop pressed while nothing runs must not end the next run before it starts.
    gui.pressStop();
    // The run starts from the bottom row, D; while it opens, the user selects every row.
    gui.startRun(ids::MnuPrintMultiple);
    Sleep(300);
    gui.selectRows({0, 1, 2, 3});
    const RunEnd end = gui.waitForRunEnd();
    ASSERT_EQ(end.kind, RunEnd::Kind::Summary) << describe(end);
    std::set<std::string> plotted;
    for (const auto& plot : plots()) plotted.insert(utf8(fs::path(wide(plot["drawing"].get<std::string>())).filename()));
    EXPECT_EQ(plotted, (std::set<std::string>{"A.dwg", "D.dwg"}));
    closeProgram(program, main);
}

TEST_F(PlotRunEndToEnd, AFolderPickedInTheTreeDuringARunIsListedWhenTheRunEnds) {
    // Sorts first under C:\, so it is the drive's first folder in the tree.
    const fs::path picked{L"C:\\0 Quillon picked during a run"};
    struct RemovedAtEnd {
        fs::path path;
        ~RemovedAtEnd() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } removed{picked};
    fs::create_directories(picked);
    std::ofstream(picked / L"Picked.dwg", std::ios::binary) << kDrawingBytes;
    const fs::path jobs = L"Jobs";
    json scenario = slowOpening(2000);
    drawing(jobs / L"Slow.dwg");
    wintest::addDrawing(scenario, "Slow.dwg");
    useScenario(scenario);
    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    prepare(gui, folder.path() / jobs, 1);
    if (HasFatalFailure()) return;

    gui.startRun(ids::MnuAllPrint);
    Sleep(300);
    HWND tree = FindWindowExW(GetDlgItem(main, ids::FolderTreeBox), nullptr, L"SysTreeView32", nullptr);
    ASSERT_NE(tree, nullptr);
    auto drive = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(drive));
    auto first = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(drive)));
    ASSERT_NE(first, nullptr);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));

    // The run ends first (its summary is then replaced by the new folder's search texts).
    EXPECT_TRUE(pollUntil(
        [&] { return gui.text(ids::FoundFilesLabel).find(picked.filename().wstring()) != std::wstring::npos; }, 60s))
        << "the list stayed on " << win::toUtf8(gui.text(ids::FoundFilesLabel));
    EXPECT_EQ(plots().size(), 2u) << "the run plotted its drawing (two layouts) before the picked folder was listed";
    EXPECT_TRUE(gui.waitForSearchEnd());
    EXPECT_EQ(gui.findRow(L"Picked.dwg"), 0);
    closeProgram(program, main);
}

}  // namespace
}  // namespace quillon::e2e
