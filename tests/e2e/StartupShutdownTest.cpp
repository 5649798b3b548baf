#include <gtest/gtest.h>
#include <objbase.h>

#include <map>
#include <optional>

#include "ProgramUnderTest.h"
#include "StandinScenario.h"
#include "TestSupport.h"
#include "standin/server/Registration.h"
#include "win/DispatchObject.h"
#include "win/RegistryKey.h"
#include "win/Utf.h"

// The program's way in and out, seen from outside: which CAD application it
// uses, what it leaves of the user's drawings, and what it remembers.
namespace quillon::e2e {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

using wintest::kServerExe;
constexpr const wchar_t* kSettingsKey = L"Software\\Quillon\\Settings";

std::optional<std::wstring> setting(const wchar_t* name) {
    auto key = win::RegistryKey::tryOpen(HKEY_CURRENT_USER, kSettingsKey);
    return key ? key->readString(name) : std::nullopt;
}

void storeSetting(const wchar_t* name, const wchar_t* value) {
    win::RegistryKey::create(HKEY_CURRENT_USER, kSettingsKey).writeString(name, value);
}

RECT windowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

SIZE clientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

// A control's rectangle in its main window's client area.
RECT placeOf(HWND main, int id) {
    RECT r = windowRect(GetDlgItem(main, id));
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class ProgramLifecycle : public ::testing::Test {
protected:
    // The prefix keeps a plain registration afterwards, as the prefix script leaves it.
    static void TearDownTestSuite() { standin_server::registerServer(wintest::standinExePath()); }

    wintest::TempFolder folder;
    std::filesystem::path journal;

    void SetUp() override {
        win::RegistryKey::deleteTree(HKEY_CURRENT_USER, L"Software\\Quillon");
        useScenario(wintest::baseScenario());
    }

    void TearDown() override {
        EXPECT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 0; }, 15s))
            << "a stand-in server outlived its test";
    }

    std::filesystem::path useScenario(json scenario) {
        scenario["journal"] = "journal.jsonl";
        journal = folder.path() / L"journal.jsonl";
        auto file = folder.write(L"scenario.json", scenario.dump());
        standin_server::registerServer(wintest::standinExePath(), file.wstring());
        return file;
    }

    std::vector<json> calls(std::string_view member) const {
        std::vector<json> found;
        for (const auto& line : wintest::readJsonLines(journal))
            if (line.value("member", "") == member) found.push_back(line);
        return found;
    }

    std::vector<std::string> closedDocuments() const {
        std::vector<std::string> closed;
        for (const auto& line : wintest::readJsonLines(journal))
            if (line.contains("close")) closed.push_back(line["close"].value("document", ""));
        return closed;
    }

    static void closeNormally(ProgramUnderTest& program, HWND main) {
        PostMessageW(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(program.waitForExit()) << "Quillon did not end after WM_CLOSE";
    }
};

TEST_F(ProgramLifecycle, StartsTheApplicationWhenNoneRunsAndQuitsItAtExit) {
    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(windowText(main), L"Quillon Drawings");
    EXPECT_EQ(wintest::countProcesses(kServerExe), 1);

    auto visible = calls("Visible");
    ASSERT_EQ(visible.size(), 1u);
    EXPECT_EQ(visible[0]["kind"], "put");
    EXPECT_EQ(visible[0]["args"], json::array({true}));
    EXPECT_EQ(calls("Add").size(), 1u) << "a started application without drawings gets one";

    closeNormally(program, main);
    EXPECT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 0; }, 15s));
    EXPECT_EQ(calls("Quit").size(), 1u);
    EXPECT_EQ(closedDocuments(), std::vector<std::string>{"Drawing1.dwg"});
}

TEST_F(ProgramLifecycle, AttachesToTheUsersApplicationAndLeavesTheirDrawingsAlone) {
    auto scenario = wintest::baseScenario();
    std::string userDrawing = win::toUtf8((folder.path() / L"User's plan.dwg").wstring());
    scenario["openDocuments"] = json::array({{{"path", userDrawing}, {"modified", true}}});
    auto scenarioFile = useScenario(scenario);

    // The user's own application, already running and listed in the running object table.
    std::wstring command = L"\"" + wintest::standinExePath() + L"\" /Running --scenario \"" +
                           scenarioFile.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    win::UniqueHandle server(info.hProcess);
    CloseHandle(info.hThread);
    ASSERT_TRUE(wintest::waitFor(
        [] {
            try {
                return win::connectRunning("AutoCAD.Application") != nullptr;
            } catch (const std::exception&) {
                return false;
            }
        },
        15s));

    {
        ProgramUnderTest program;
        HWND main = program.waitUntilReady();
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(calls("Add").empty()) << "the user's drawing is the active document";
        closeNormally(program, main);
    }

    EXPECT_TRUE(closedDocuments().empty()) << "Quillon closed a drawing it did not open";
    EXPECT_TRUE(calls("Quit").empty());
    EXPECT_EQ(WaitForSingleObject(server.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the user's application must keep running";
    TerminateProcess(server.get(), 0);
    WaitForSingleObject(server.get(), 10000);
}

TEST_F(ProgramLifecycle, SaysSoAndEndsWhenTheApplicationCannotBeStarted) {
    standin_server::unregisterServer();
    ProgramUnderTest program;
    HWND box = program.waitForWindow(L"Coult not start AutoCAD");
    ASSERT_NE(box, nullptr);

    std::wstring message;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        auto text = windowText(child);
        if (text.find(L"Could not start") != std::wstring::npos) message = text;
    }
    EXPECT_EQ(message,
              L"Could not start autocad application. \r\nStart Autocad application and then retry Quillon\r\n"
              L"Exiting Quillon now");
    HWND mainWhileAsking = program.waitForMainWindow(0ms);
    EXPECT_EQ(mainWhileAsking, nullptr) << "the main window stays hidden while the message is up";

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(program.waitForExit());
}

TEST_F(ProgramLifecycle, RestoresAndSavesTheWindowPositionAndPlotChoices) {
    storeSetting(L"MainLeft", L"3000");
    storeSetting(L"MainTop", L"1500");
    storeSetting(L"CadPrinter", L"Office Laser");
    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    RECT placed = windowRect(main);
    EXPECT_EQ(placed.left, 200);
    EXPECT_EQ(placed.top, 100);

    SetWindowPos(main, nullptr, 300, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    closeNormally(program, main);
    EXPECT_EQ(setting(L"MainLeft"), L"4500");
    EXPECT_EQ(setting(L"MainTop"), L"2250");
    // The first search filled the plot lists, which replaced the remembered choices with their placeholders.
    EXPECT_EQ(setting(L"CadPrinter"), L"Select a Printer");
    EXPECT_EQ(setting(L"CadPaper"), L"Select a Paper");
    EXPECT_EQ(setting(L"CadCTB"), L"Select Plot Style Table");
}

TEST_F(ProgramLifecycle, AMinimizedCloseWritesNothing) {
    storeSetting(L"MainLeft", L"3000");
    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(wintest::waitFor([&] { return IsIconic(main) != FALSE; }, 5s));
    closeNormally(program, main);
    EXPECT_EQ(setting(L"MainLeft"), L"3000");
    EXPECT_FALSE(setting(L"MainTop").has_value());
    EXPECT_FALSE(setting(L"CadPrinter").has_value());
}

TEST_F(ProgramLifecycle, ACorruptOrOffScreenPositionStillOpensTheWindowWhereItCanBeReached) {
    storeSetting(L"MainLeft", L"not a number");
    storeSetting(L"MainTop", L"-150000");
    ProgramUnderTest program;
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    RECT placed = windowRect(main);
    EXPECT_NEAR(placed.left, 67, 1) << "a corrupt value counts as missing: 1000 twips";
    EXPECT_GE(placed.top, 0) << "a window above every monitor is moved onto one";
    closeNormally(program, main);
}

TEST_F(ProgramLifecycle, GrowsWithTheWindowAndOpensAgainAtItsSizeUnlessTheStoredSizeIsCorrupt) {
    constexpr int list = 1003, foundFiles = 1002, tree = 1001, printOptions = 1011, printAll = 1017, status = 1020,
                  statusBar = 1022;
    {
        ProgramUnderTest program;
        HWND main = program.waitUntilReady();
        ASSERT_NE(main, nullptr);
        ASSERT_EQ(clientSize(main).cx, 624);
        ASSERT_EQ(clientSize(main).cy, 426);
        std::map<int, RECT> before;
        for (int id : {list, foundFiles, tree, printOptions, printAll, status}) before[id] = placeOf(main, id);

        SetWindowPos(main, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(clientSize(main).cx, 624) << "never smaller than designed";
        SetWindowPos(main, nullptr, 0, 0, 1000, 700, SWP_NOMOVE | SWP_NOZORDER);
        const SIZE client = clientSize(main);
        const int dx = client.cx - 624, dy = client.cy - 426;
        ASSERT_GT(dx, 0);
        auto moved = [&](int id, int left, int top, int right, int bottom) {
            RECT now = placeOf(main, id), was = before[id];
            EXPECT_EQ(now.left - was.left, left) << id;
            EXPECT_EQ(now.top - was.top, top) << id;
            EXPECT_EQ(now.right - was.right, right) << id;
            EXPECT_EQ(now.bottom - was.bottom, bottom) << id;
        };
        moved(list, 0, 0, dx, dy);
        moved(foundFiles, 0, 0, dx, 0);
        moved(tree, 0, 0, 0, dy);
        moved(printOptions, 0, dy, 0, dy);
        moved(printAll, 0, dy, 0, dy);
        moved(status, 0, dy, dx, dy);
        RECT bar = placeOf(main, statusBar);
        EXPECT_EQ(bar.bottom, client.cy);
        EXPECT_EQ(bar.right - bar.left, client.cx);
        closeNormally(program, main);
    }
    EXPECT_EQ(setting(L"MainWidth"), L"15000");
    EXPECT_EQ(setting(L"MainHeight"), L"10500");
    EXPECT_EQ(setting(L"MainMaximized"), L"0");
    {
        ProgramUnderTest program;
        HWND main = program.waitUntilReady();
        ASSERT_NE(main, nullptr);
        RECT placed = windowRect(main);
        EXPECT_EQ(placed.right - placed.left, 1000);
        EXPECT_EQ(placed.bottom - placed.top, 700);
        ShowWindow(main, SW_MAXIMIZE);
        ASSERT_TRUE(wintest::waitFor([&] { return IsZoomed(main) != FALSE; }, 5s));
        closeNormally(program, main);
    }
    EXPECT_EQ(setting(L"MainMaximized"), L"1");
    EXPECT_EQ(setting(L"MainWidth"), L"15000") << "the size it goes back to";
    storeSetting(L"MainWidth", L"wide");
    {
        ProgramUnderTest program;
        HWND main = program.waitUntilReady();
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(IsZoomed(main));
        ShowWindow(main, SW_RESTORE);
        ASSERT_TRUE(wintest::waitFor([&] { return IsZoomed(main) == FALSE; }, 5s));
        EXPECT_EQ(clientSize(main).cx, 624) << "a corrupt width opens at the designed size";
        EXPECT_EQ(clientSize(main).cy, 426);
        closeNormally(program, main);
    }
}

}  // namespace
}  // namespace quillon::e2e
