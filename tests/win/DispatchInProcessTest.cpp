#include <gtest/gtest.h>

#include <chrono>

#include "StandinScenario.h"
#include "TestSupport.h"
#include "automation/AutomationError.h"
#include "standin/Engine.h"
#include "standin/JournalEntry.h"
#include "standin/server/EngineDispatch.h"
#include "win/DispatchObject.h"
#include "win/Utf.h"

// DispatchObject against the stand-in's IDispatch adapter in one process:
// the whole call path except the marshalling, without starting a server.
namespace quillon::win {
namespace {

using automation::AutomationError;
using automation::FailureKind;
using automation::ObjectPtr;
using automation::Value;
using Microsoft::WRL::ComPtr;
using namespace std::chrono_literals;

class DispatchInProcess : public ::testing::Test {
protected:
    wintest::TempFolder folder;
    std::string drawing;
    std::shared_ptr<standin::Engine> engine;
    std::shared_ptr<standin_server::StandinHost> host;
    ComPtr<IDispatch> applicationDispatch;
    ObjectPtr app;
    int quits = 0;
    std::vector<bool> crashes;

    void start(nlohmann::json scenario, RetryPolicy retry = {2000ms, 10ms}) {
        drawing = toUtf8(folder.write(L"Plan.dwg", "drawing bytes").wstring());
        wintest::addDrawing(scenario, "Plan.dwg");
        engine = standin::Engine::fromJson(scenario.dump(), toUtf8(folder.path().wstring()));
        host = std::make_shared<standin_server::StandinHost>();
        host->engine = engine;
        host->onQuit = [this] { ++quits; };
        host->onCrash = [this](bool immediate) { crashes.push_back(immediate); };
        auto root = std::dynamic_pointer_cast<standin::EngineObject>(engine->application());
        applicationDispatch.Attach(new standin_server::EngineDispatch(root, host));
        app = std::make_shared<DispatchObject>(applicationDispatch, retry);
    }

    ObjectPtr openDrawing() { return app->object("Documents")->call("Open", {Value(drawing), Value(true)}).toObject(); }

    std::vector<standin::AccessRecord> accesses(std::string_view member) const {
        std::vector<standin::AccessRecord> found;
        for (const auto& entry : engine->journal())
            if (entry.type == standin::JournalEntryType::Access && entry.access.member == member)
                found.push_back(entry.access);
        return found;
    }
};

TEST_F(DispatchInProcess, ArgumentsArriveInOrderWithTrailingMissingOnesLeftOut) {
    start(wintest::baseScenario());
    app->object("Documents")->call("Open", {Value(drawing), Value(true), Value::missing()});
    auto opens = accesses("Open");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].args, nlohmann::json::array({drawing, true}));
    EXPECT_EQ(opens[0].argKinds, (std::vector<std::string>{"text", "bool"}));
}

TEST_F(DispatchInProcess, AnInnerMissingArgumentArrivesAsMissing) {
    start(wintest::baseScenario());
    app->object("Documents")->call("Open", {Value(drawing), Value::missing(), Value(false)});
    auto opens = accesses("Open");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].argKinds, (std::vector<std::string>{"text", "missing", "bool"}));
}

TEST_F(DispatchInProcess, UnknownNamesFailLikeATypeLibrary) {
    start(wintest::baseScenario());
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"NoSuchMember")};
    DISPID id = 0;
    EXPECT_EQ(applicationDispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    try {
        app->get("NoSuchMember");
        FAIL() << "no throw";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.code(), automation::hresult::UnknownName);
        EXPECT_NE(error.description().find("NoSuchMember"), std::string::npos) << error.description();
    }
}

TEST_F(DispatchInProcess, MemberNamesIgnoreCase) {
    start(wintest::baseScenario());
    auto& object = static_cast<DispatchObject&>(*app);
    EXPECT_EQ(object.dispIdOf("Visible"), object.dispIdOf("VISIBLE"));
    app->put("visible", Value(true));
    EXPECT_EQ(app->get("Visible"), Value(true));
}

TEST_F(DispatchInProcess, CallsReachPropertiesButReadsDoNotReachMethods) {
    start(wintest::baseScenario());
    auto doc = openDrawing();
    EXPECT_EQ(doc->call("Name", {}), Value("Plan.dwg"));
    try {
        app->get("Quit");
        FAIL() << "no throw";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.code(), automation::hresult::MemberNotFound);
    }
    EXPECT_EQ(quits, 0);
}

TEST_F(DispatchInProcess, ServerErrorsKeepTheirCodeAndDescription) {
    auto scenario = wintest::baseScenario();
    scenario["faults"] = {
        {"throws", {{{"member", "Regen"}, {"description", "Regen refused"}, {"code", "0x80041234"}}}}};
    start(scenario);
    try {
        openDrawing()->call("Regen", {Value(std::int16_t{1})});
        FAIL() << "no throw";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.code(), static_cast<std::int32_t>(0x80041234));
        EXPECT_EQ(error.description(), "Regen refused");
        EXPECT_EQ(error.kind(), FailureKind::Failed);
    }
}

TEST_F(DispatchInProcess, CollectionsEnumerateAndObjectsGoBackToTheServer) {
    start(wintest::baseScenario());
    auto doc = openDrawing();
    std::vector<std::string> names;
    for (const auto& layout : doc->object("Layouts")->enumerate()) names.push_back(layout->get("Name").toText());
    EXPECT_EQ(names, (std::vector<std::string>{"Model", "Layout1", "Layout2"}));

    auto second = doc->object("Layouts")->call("Item", {Value("Layout2")}).toObject();
    doc->put("ActiveLayout", Value(second));
    EXPECT_EQ(doc->object("ActiveLayout")->get("Name"), Value("Layout2"));
}

// Quillon tells its own documents from the user's by identity: each read is a new proxy, the object behind stays one.
TEST_F(DispatchInProcess, EveryReadOfAnObjectIsTheSameObject) {
    start(wintest::baseScenario());
    auto doc = openDrawing();
    auto again = app->object("ActiveDocument");
    auto listed = app->object("Documents")->enumerate();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_NE(again.get(), doc.get());
    EXPECT_TRUE(again->sameObject(*doc));
    EXPECT_TRUE(listed[0]->sameObject(*doc));
    EXPECT_FALSE(doc->object("Layouts")->sameObject(*doc));
    EXPECT_TRUE(doc->object("Layouts")->sameObject(*again->object("Layouts")));
}

// Each name look-up is a round trip to the application: objects known to be of one interface share theirs.
TEST_F(DispatchInProcess, ObjectsOfOneInterfaceShareLookUpsAndAStaleSharedOneHeals) {
    start(wintest::baseScenario());
    openDrawing();
    auto lookUps = [&] { return host->lookups.count(); };
    auto layoutNames = [&](const ObjectPtr& layouts) {
        const auto before = lookUps();
        for (const auto& layout : layouts->enumerate()) layout->get("Name");
        layouts->call("Item", {Value("Layout2")}).toObject()->get("Name");
        return lookUps() - before;
    };

    app->object("ActiveDocument")->get("Name");
    auto before = lookUps();
    auto again = app->object("ActiveDocument");
    EXPECT_EQ(again->get("Name"), Value("Plan.dwg"));
    EXPECT_EQ(again->object("Layouts")->get("Count"), Value(std::int32_t{3}));
    EXPECT_EQ(lookUps() - before, 2) << "ActiveDocument's Layouts and Count are new; Name is not";

    // Items, and what a method with arguments returns, may be of many interfaces unless said otherwise.
    EXPECT_EQ(layoutNames(again->object("Layouts")), 5) << "_NewEnum needs none, Item one, each Name one";
    auto alike = again->object("Layouts");
    alike->declareItemsOfOneKind();
    EXPECT_EQ(layoutNames(alike), 1) << "Item is known now; the first item's Name serves every other";

    // A shared DISPID this object does not know is looked up on it, and the call made once more.
    auto cache = std::make_shared<DispIdCache>();
    cache->remember("name", 0x7000);
    DispatchObject stale(static_cast<DispatchObject&>(*again).dispatch(), {}, cache);
    before = lookUps();
    const auto reads = accesses("Name").size();
    EXPECT_EQ(stale.get("Name"), Value("Plan.dwg"));
    EXPECT_EQ(lookUps() - before, 1);
    EXPECT_EQ(accesses("Name").size(), reads + 1) << "the refused call never ran";
    EXPECT_EQ(cache->find("name"), stale.dispIdOf("Name"));
}

TEST_F(DispatchInProcess, BusyRefusalsAreRetriedAndTheCallRunsOnce) {
    auto scenario = wintest::baseScenario();
    scenario["faults"] = {{"busy", {{{"afterCalls", 1}, {"calls", 3}}}}};
    start(scenario);
    app->get("Visible");
    app->put("Visible", Value(true));
    auto puts = accesses("Visible");
    ASSERT_EQ(puts.size(), 5u) << "one read, three refusals, one write";
    int executed = 0;
    for (const auto& access : puts) executed += access.executed ? 1 : 0;
    EXPECT_EQ(executed, 2);
    EXPECT_EQ(app->get("Visible"), Value(true));
}

TEST_F(DispatchInProcess, BusyPastTheBudgetIsABusyError) {
    auto scenario = wintest::baseScenario();
    scenario["faults"] = {{"busy", {{{"afterCalls", 0}, {"calls", 1000000}, {"code", "callRejected"}}}}};
    start(scenario, RetryPolicy{200ms, 20ms});
    auto started = std::chrono::steady_clock::now();
    try {
        app->get("Visible");
        FAIL() << "no throw";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.kind(), FailureKind::Busy);
        EXPECT_EQ(error.code(), automation::hresult::CallRejected);
    }
    auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, 200ms);
    EXPECT_LT(waited, 2s);
}

TEST_F(DispatchInProcess, AnInjectedCrashEndsTheServerAndLaterCallsAreDisconnected) {
    auto scenario = wintest::baseScenario();
    scenario["faults"] = {{"dieAfterCalls", 2}};
    start(scenario);
    app->get("Visible");
    app->get("Visible");
    EXPECT_EQ(crashes, std::vector<bool>{false}) << "the server goes once the second reply is out";
    try {
        app->get("Visible");
        FAIL() << "no throw";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.kind(), FailureKind::Disconnected);
    }
    EXPECT_EQ(crashes, (std::vector<bool>{false, true}));
}

TEST_F(DispatchInProcess, QuitIsReportedOnceTheCallReturns) {
    start(wintest::baseScenario());
    app->call("Quit", {});
    EXPECT_EQ(quits, 1);
}

}  // namespace
}  // namespace quillon::win
