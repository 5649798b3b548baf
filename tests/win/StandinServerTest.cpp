#include <gtest/gtest.h>
#include <objbase.h>

#include <chrono>
#include <optional>

#include "StandinScenario.h"
#include "TestSupport.h"
#include "automation/AutomationError.h"
#include "standin/server/Registration.h"
#include "win/DispatchObject.h"
#include "win/RegistryKey.h"
#include "win/UniqueResource.h"
#include "win/Utf.h"

// Through COM into the real stand-in server process, the way the program
// reaches the CAD application. Each test starts at most one server.
namespace quillon::win {
namespace {

using automation::AutomationError;
using automation::FailureKind;
using automation::ObjectPtr;
using automation::Value;
using nlohmann::json;
using namespace std::chrono_literals;

constexpr const char* kProgId = "AutoCAD.Application";
constexpr const wchar_t* kServerExe = L"quillon-standin.exe";
const RetryPolicy kQuickRetry{3000ms, 20ms};

std::wstring localServerKey() {
    wchar_t clsid[40] = {};
    StringFromGUID2(standin_server::CLSID_StandinApplication, clsid, 40);
    return std::wstring(L"Software\\Classes\\CLSID\\") + clsid + L"\\LocalServer32";
}

class StandinServer : public ::testing::Test {
protected:
    // The prefix's own registration comes back after the tests.
    static inline std::optional<std::wstring> previousCommand;
    static void SetUpTestSuite() {
        if (auto key = RegistryKey::tryOpen(HKEY_LOCAL_MACHINE, localServerKey()))
            previousCommand = key->readString(L"");
    }
    static void TearDownTestSuite() {
        if (previousCommand)
            RegistryKey::create(HKEY_LOCAL_MACHINE, localServerKey()).writeString(L"", *previousCommand);
        else
            standin_server::unregisterServer();
    }

    wintest::TempFolder folder;
    std::filesystem::path journal;
    std::filesystem::path scenarioFile;

    void useScenario(json scenario) {
        scenario["journal"] = "journal.jsonl";
        journal = folder.path() / L"journal.jsonl";
        scenarioFile = folder.write(L"scenario.json", scenario.dump());
        standin_server::registerServer(wintest::standinExePath(), scenarioFile.wstring());
    }

    std::vector<json> journalAccesses(std::string_view member) const {
        std::vector<json> found;
        for (const auto& line : wintest::readJsonLines(journal))
            if (line.value("member", "") == member) found.push_back(line);
        return found;
    }

    void TearDown() override {
        EXPECT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 0; }, 10s))
            << "a stand-in server outlived its test";
    }
};

TEST_F(StandinServer, SetsUpALayoutAndPlotsItToAFile) {
    const std::wstring drawingName = L"Grundri\u00df \u5e73\u9762\u56f3.dwg";
    auto scenario = wintest::baseScenario();
    wintest::addDrawing(scenario, toUtf8(drawingName));
    useScenario(scenario);
    std::string drawing = toUtf8(folder.write(drawingName, "drawing bytes").wstring());
    std::string plotFile = toUtf8((folder.path() / L"Grundri\u00df.plt").wstring());

    {
        ObjectPtr app = createInstance(kProgId, kQuickRetry);
        app->put("Visible", Value(true));
        // Started for this client, it is still in the running object table for others.
        EXPECT_EQ(connectRunning(kProgId, kQuickRetry)->get("Visible"), Value(true));
        auto doc = app->object("Documents")->call("Open", {Value(drawing), Value(true)}).toObject();
        EXPECT_EQ(doc->get("Name"), Value(toUtf8(drawingName)));

        std::vector<std::string> names;
        ObjectPtr second;
        for (const auto& layout : doc->object("Layouts")->enumerate()) {
            names.push_back(layout->get("Name").toText());
            if (names.back() == "Layout2") second = layout;
        }
        EXPECT_EQ(names, (std::vector<std::string>{"Model", "Layout1", "Layout2"}));
        ASSERT_TRUE(second);

        doc->put("ActiveLayout", Value(second));
        auto layout = doc->object("ActiveLayout");
        EXPECT_EQ(layout->get("Name"), Value("Layout2"));
        layout->put("ConfigName", Value(wintest::kDevice));
        layout->call("RefreshPlotDeviceInfo", {});
        auto media = layout->call("GetCanonicalMediaNames", {}).toTextArray();
        ASSERT_FALSE(media.empty());
        layout->put("CanonicalMediaName", Value(wintest::kMediaA3));
        layout->put("StyleSheet", Value(wintest::kStyleTable));
        layout->put("PlotWithPlotStyles", Value(true));
        layout->put("UseStandardScale", Value(true));
        layout->put("CenterPlot", Value(true));
        layout->put("PlotType", Value(std::int32_t{1}));
        layout->put("StandardScale", Value(std::int32_t{0}));
        layout->put("PlotRotation", Value(std::int32_t{1}));
        doc->call("SetVariable", {Value("BACKGROUNDPLOT"), Value(std::int16_t{0})});

        auto plot = doc->object("Plot");
        plot->put("QuietErrorMode", Value(true));
        EXPECT_EQ(plot->call("PlotToFile", {Value(plotFile), Value(wintest::kDevice)}), Value(true));

        try {
            doc->get("NoSuchMember");
            ADD_FAILURE() << "no throw";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.code(), automation::hresult::UnknownName);
        }
        doc->call("Close", {Value(false)});
        app->call("Quit", {});
    }

    auto opens = journalAccesses("Open");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0]["args"], json::array({drawing, true}));
    bool plotted = false;
    for (const auto& line : wintest::readJsonLines(journal)) {
        if (!line.contains("plot")) continue;
        const auto& job = line["plot"];
        plotted = true;
        EXPECT_EQ(job["layout"], "Layout2");
        EXPECT_EQ(job["device"], wintest::kDevice);
        EXPECT_EQ(job["media"], wintest::kMediaA3);
        EXPECT_EQ(job["styleSheet"], wintest::kStyleTable);
        EXPECT_EQ(job["rotation"], 1);
        EXPECT_EQ(job["plotType"], 1);
        EXPECT_EQ(job["centerPlot"], true);
        EXPECT_EQ(job["succeeded"], true);
        EXPECT_EQ(job["plotFile"], plotFile);
    }
    EXPECT_TRUE(plotted) << "no plot in the journal";
}

TEST_F(StandinServer, RetriesABusyServerAndGivesUpPastTheBudget) {
    auto scenario = wintest::baseScenario();
    scenario["faults"] = {{"busy", {{{"afterCalls", 1}, {"calls", 4}}, {{"afterCalls", 8}, {"calls", 1000000}}}}};
    useScenario(scenario);

    {
        ObjectPtr app = createInstance(kProgId, kQuickRetry);
        app->get("Visible");                          // call 1
        app->put("Visible", Value(true));             // refused as calls 2 to 5, runs as call 6
        EXPECT_EQ(app->get("Visible"), Value(true));  // call 7

        auto impatient =
            std::make_shared<DispatchObject>(static_cast<DispatchObject&>(*app).dispatch(), RetryPolicy{300ms, 20ms});
        impatient->get("Visible");  // call 8
        auto started = std::chrono::steady_clock::now();
        try {
            impatient->get("Visible");
            ADD_FAILURE() << "no throw";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.kind(), FailureKind::Busy);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    }

    int executedPuts = 0;
    for (const auto& line : journalAccesses("Visible"))
        if (line["kind"] == "put" && line["executed"] == true) ++executedPuts;
    EXPECT_EQ(executedPuts, 1);
    // Every reference released: the server started for this client ends (checked in TearDown).
}

TEST_F(StandinServer, EachNewInstanceIsAProcessOfItsOwn) {
    useScenario(wintest::baseScenario());
    ObjectPtr first = createInstance(kProgId, kQuickRetry);
    ObjectPtr second = createInstance(kProgId, kQuickRetry);
    EXPECT_EQ(wintest::countProcesses(kServerExe), 2);
    first->put("Visible", Value(true));
    EXPECT_EQ(second->get("Visible"), Value(false));
}

TEST_F(StandinServer, ADeadServerIsReportedAsDisconnectedWithoutWaiting) {
    auto scenario = wintest::baseScenario();
    scenario["faults"] = {{"dieAfterCalls", 2}};
    useScenario(scenario);

    ObjectPtr app = createInstance(kProgId, kQuickRetry);
    app->get("Visible");
    app->get("Visible");
    auto started = std::chrono::steady_clock::now();
    try {
        app->get("Visible");
        ADD_FAILURE() << "no throw";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.kind(), FailureKind::Disconnected) << error.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

TEST_F(StandinServer, AttachesToAnInstanceAUserStarted) {
    useScenario(wintest::baseScenario());
    try {
        connectRunning(kProgId, kQuickRetry);
        ADD_FAILURE() << "attached with nothing running";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.code(), automation::hresult::Unavailable);
    }

    std::wstring command =
        L"\"" + wintest::standinExePath() + L"\" /Running --scenario \"" + scenarioFile.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);

    ObjectPtr app;
    EXPECT_TRUE(wintest::waitFor(
        [&] {
            try {
                app = connectRunning(kProgId, kQuickRetry);
                return true;
            } catch (const AutomationError&) {
                return false;
            }
        },
        15s));
    ASSERT_TRUE(app);
    EXPECT_EQ(app->object("Documents")->get("Count"), Value(std::int32_t{0}));
    app->call("Quit", {});
    app.reset();
    EXPECT_EQ(WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
}

TEST_F(StandinServer, AScenarioThatCannotLoadFailsActivation) {
    useScenario(json{{"devices", "not a list"}});
    auto started = std::chrono::steady_clock::now();
    try {
        createInstance(kProgId, kQuickRetry);
        ADD_FAILURE() << "activation succeeded";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.code(), static_cast<std::int32_t>(CO_E_SERVER_EXEC_FAILURE)) << error.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
    auto log = folder.path() / L"quillon-standin-error.txt";
    ASSERT_TRUE(wintest::waitFor([&] { return std::filesystem::exists(log); }, 5s));
    auto lines = wintest::readLines(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("devices"), std::string::npos) << lines[0];
}

TEST(ConnectRunning, AnUnregisteredProgIdIsAClassStringError) {
    try {
        connectRunning("Quillon.NoSuchApplication");
        FAIL() << "no throw";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.code(), automation::hresult::ClassString);
    }
}

}  // namespace
}  // namespace quillon::win
