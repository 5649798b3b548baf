#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "autocad/CadConnection.h"
#include "autocad/CallMonitor.h"
#include "standin/Engine.h"

namespace quillon::autocad {
namespace {

using automation::AutomationError;
using automation::ObjectPtr;
using automation::Value;
using nlohmann::json;
using standin::Engine;
namespace hresult = automation::hresult;
namespace fs = std::filesystem;

using Events = std::vector<std::string>;

const char* const OpeningStatus = "status:\r\nOpening Autocad in Background. Please Wait... ";

class FakeLauncher : public CadLauncher {
public:
    explicit FakeLauncher(Events& events) : events_(events) {}
    ObjectPtr running;    // empty: nothing to attach to
    ObjectPtr creatable;  // empty: the application cannot be started

    ObjectPtr connectRunning() override {
        events_.push_back("attach");
        if (!running) throw AutomationError(hresult::Unavailable, "Operation unavailable");
        return running;
    }
    ObjectPtr createInstance() override {
        events_.push_back("create");
        if (!creatable) throw AutomationError(hresult::ClassString, "Invalid class string");
        return creatable;
    }

private:
    Events& events_;
};

class RecordingUi : public ConnectionUi {
public:
    explicit RecordingUi(Events& events) : events_(events) {}
    void setStatus(const std::string& text) override { events_.push_back("status:" + text); }
    void hideMainWindow() override { events_.push_back("hide"); }
    void showMainWindow() override { events_.push_back("show"); }

private:
    Events& events_;
};

// The application as COM hands it over: every object arrives as a fresh
// proxy, and all of them fail as disconnected once the server has died.
class RemoteProxy : public automation::AutoObject {
public:
    RemoteProxy(ObjectPtr target, std::shared_ptr<bool> alive) : target_(std::move(target)), alive_(std::move(alive)) {}

    Value get(std::string_view member, std::span<const Value> args) override { return wrap(live().get(member, args)); }
    void put(std::string_view member, const Value& value) override { live().put(member, unwrap(value)); }
    Value call(std::string_view member, std::span<const Value> args) override {
        return wrap(live().call(member, args));
    }
    std::vector<ObjectPtr> enumerate() override {
        std::vector<ObjectPtr> out;
        for (auto& item : live().enumerate()) out.push_back(std::make_shared<RemoteProxy>(item, alive_));
        return out;
    }

private:
    automation::AutoObject& live() {
        if (!*alive_) throw AutomationError(hresult::ServerUnavailable, "The RPC server is unavailable.");
        return *target_;
    }
    Value wrap(const Value& v) {
        return v.kind() == Value::Kind::Object ? Value(ObjectPtr(std::make_shared<RemoteProxy>(v.toObject(), alive_)))
                                               : v;
    }
    static Value unwrap(const Value& v) {
        if (v.kind() != Value::Kind::Object) return v;
        auto proxy = std::dynamic_pointer_cast<RemoteProxy>(v.toObject());
        return proxy ? Value(proxy->target_) : v;
    }

    ObjectPtr target_;
    std::shared_ptr<bool> alive_;
};

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("quillon-connection-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
        fs::create_directories(folder_ / "Other");
        for (auto name : {"A.dwg", "B.dwg", "Other/B.dwg"}) std::ofstream(folder_ / name) << "drawing";
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string drawing(const char* name) const { return (folder_ / name).string(); }

    std::shared_ptr<Engine> engine(json scenario = json::object()) {
        return Engine::fromJson(scenario.dump(), folder_.string());
    }

    static std::vector<std::string> openNames(Engine& e) {
        std::vector<std::string> names;
        for (auto& document : CadApplication(e.application()).documents().items()) names.push_back(document.name());
        return names;
    }

    static std::vector<standin::AccessRecord> calls(const Engine& e, std::string_view member) {
        std::vector<standin::AccessRecord> out;
        for (const auto& entry : e.journal())
            if (entry.type == standin::JournalEntryType::Access && entry.access.member == member &&
                entry.access.kind == "call")
                out.push_back(entry.access);
        return out;
    }

    static std::vector<std::string> closed(const Engine& e) {
        std::vector<std::string> out;
        for (const auto& entry : e.journal())
            if (entry.type == standin::JournalEntryType::Close) {
                EXPECT_EQ(entry.close.saveChanges, false) << entry.close.document;
                out.push_back(fs::path(entry.close.document).filename().string());
            }
        return out;
    }

    fs::path folder_;
    Events events;
    FakeLauncher launcher{events};
    RecordingUi ui{events};
    CadConnection connection{launcher, ui};
};

TEST_F(ConnectionTest, AttachesToARunningApplicationWithoutStartingOrAddingAnything) {
    auto cad = engine({{"openDocuments", {{{"path", drawing("A.dwg")}, {"modified", true}}}}});
    launcher.running = cad->application();
    EXPECT_TRUE(connection.connectAutoCAD());
    EXPECT_EQ(connection.acadApp(), cad->application());
    EXPECT_FALSE(connection.acadStarted());
    EXPECT_EQ(events, Events{"attach"});
    EXPECT_EQ(openNames(*cad), std::vector<std::string>{"A.dwg"});
}

TEST_F(ConnectionTest, StartsAHiddenApplicationWhenNoneIsRunning) {
    auto cad = engine();
    launcher.creatable = cad->application();
    EXPECT_TRUE(connection.connectAutoCAD());
    EXPECT_TRUE(connection.acadStarted());
    EXPECT_EQ(events, (Events{"attach", OpeningStatus, "hide", "create", "show"}));
    EXPECT_TRUE(cad->application()->get("Visible").toBool());
    EXPECT_EQ(openNames(*cad), std::vector<std::string>{"Drawing1.dwg"});
}

TEST_F(ConnectionTest, ReportsAStartThatFailsAndLeavesTheDecisionToTheWindow) {
    EXPECT_FALSE(connection.connectAutoCAD());
    EXPECT_EQ(events, (Events{"attach", OpeningStatus, "hide", "create"}));
    EXPECT_FALSE(connection.connected());
    EXPECT_FALSE(connection.acadStarted());
    EXPECT_TRUE(connection.takeStartFailure());
    EXPECT_FALSE(connection.takeStartFailure()) << "a failure is reported once";

    // A started application that dies before it can even be shown did not start either.
    auto cad = engine({{"faults", {{"throws", {{{"member", "Visible"}, {"access", "put"}, {"code", "0x800706BA"}}}}}}});
    launcher.creatable = cad->application();
    EXPECT_FALSE(connection.connectAutoCAD());
    EXPECT_TRUE(connection.takeStartFailure());
    EXPECT_FALSE(connection.connected());
}

TEST_F(ConnectionTest, AFreshApplicationInSingleDocumentModeWithNothingOpenEndsUpWithSeveralAllowed) {
    // Started and restarted applications alike: the drawing added supplies the document to ask.
    auto first = engine({{"sdi", 1}});
    launcher.creatable = first->application();
    ASSERT_TRUE(connection.connectAutoCAD());
    EXPECT_EQ(CadApplication(first->application()).activeDocument().getVariable("SDI").toInt(), 0);

    auto second = engine({{"sdi", 1}});
    launcher.creatable = second->application();
    events.clear();
    ASSERT_TRUE(connection.restartAutoCAD());
    EXPECT_EQ(events, (Events{OpeningStatus, "create"})) << "a restart never attaches to a running application "
                                                            "and leaves the window as it is";
    EXPECT_TRUE(connection.acadStarted());
    EXPECT_EQ(CadApplication(second->application()).activeDocument().getVariable("SDI").toInt(), 0);
    EXPECT_EQ(openNames(*second), std::vector<std::string>{"Drawing1.dwg"});
}

TEST_F(ConnectionTest, TurnsSingleDocumentModeOffAndLeavesOtherModesAlone) {
    // 2 and 3, the application's own, are never opened in at all: see PlotRuns.AUsersApplicationInASingle...
    for (int sdi : {0, 1}) {
        auto cad = engine({{"sdi", sdi}, {"openDocuments", {{{"path", drawing("A.dwg")}}}}});
        FakeLauncher attachOnly{events};
        attachOnly.running = cad->application();
        CadConnection fresh(attachOnly, ui);
        fresh.connectAutoCAD();
        auto sdiNow = [&] { return CadApplication(cad->application()).activeDocument().getVariable("SDI").toInt(); };
        EXPECT_EQ(sdiNow(), sdi) << "the user's own application is left as it is until Quillon opens a drawing";
        auto documents = fresh.app().documents();
        EXPECT_THROW(fresh.openQuietly(documents, drawing("Missing.dwg"), true), automation::AutomationError);
        EXPECT_EQ(sdiNow(), sdi) << "an Open that gave no drawing leaves the user's SDI as it was";
        std::ofstream(drawing("B.dwg")) << "drawing";
        fresh.openQuietly(documents, drawing("B.dwg"), true);
        EXPECT_EQ(sdiNow(), sdi == 1 ? 0 : sdi) << "SDI " << sdi;
        auto sets = calls(*cad, "SetVariable");
        std::erase_if(sets, [](const auto& set) { return set.args[0] != "SDI"; });
        ASSERT_EQ(sets.size(), sdi == 1 ? 3u : 0u) << "SDI " << sdi << ": off and back for the failed Open, off for B";
        if (sdi == 1) {
            EXPECT_EQ(sets[0].argKinds, (std::vector<std::string>{"text", "int16"}));
        }
    }
}

TEST_F(ConnectionTest, AddsExactlyOneDrawingOnlyWhenNoneIsOpen) {
    // No active document: the SDI read fails quietly and the drawing is still added.
    auto empty = engine({{"sdi", 1}});
    launcher.running = empty->application();
    EXPECT_TRUE(connection.connectAutoCAD());
    EXPECT_TRUE(connection.connectAutoCAD());
    EXPECT_EQ(calls(*empty, "Add").size(), 1u);
    EXPECT_EQ(openNames(*empty), std::vector<std::string>{"Drawing1.dwg"});

    auto busy = engine({{"openDocuments", {{{"path", drawing("A.dwg")}}, {{"path", drawing("B.dwg")}}}}});
    launcher.running = busy->application();
    connection.connectAutoCAD();
    EXPECT_TRUE(calls(*busy, "Add").empty());
    EXPECT_EQ(openNames(*busy), (std::vector<std::string>{"A.dwg", "B.dwg"}));
}

TEST_F(ConnectionTest, QuitAsksTheApplicationToQuitAndAlwaysLetsGo) {
    connection.quitAutoCAD();  // not connected: nothing to do

    auto cad = engine();
    launcher.creatable = cad->application();
    connection.connectAutoCAD();
    connection.quitAutoCAD();
    EXPECT_TRUE(cad->quitRequested());
    EXPECT_FALSE(connection.connected());

    auto refusing = engine({{"faults", {{"throws", {{{"member", "Quit"}}}}}}});
    launcher.running = refusing->application();
    connection.connectAutoCAD();
    EXPECT_NO_THROW(connection.quitAutoCAD());
    EXPECT_FALSE(connection.connected());
    EXPECT_TRUE(connection.acadStarted()) << "never cleared";
}

TEST_F(ConnectionTest, GuardConnectsOnlyWhenNotConnectedAndGoesOnAfterFailure) {
    EXPECT_FALSE(connection.ensureConnected());
    EXPECT_THROW(connection.withApp([](CadApplication& app) { return app.documents().count(); }), AutomationError);

    auto cad = engine();
    launcher.running = cad->application();
    events.clear();
    EXPECT_TRUE(connection.ensureConnected());
    EXPECT_TRUE(connection.ensureConnected());
    EXPECT_EQ(events, Events{"attach"});
}

TEST_F(ConnectionTest, DeadServerEmptiesAcadAppAndTheNextUseReconnects) {
    auto first = engine();
    auto alive = std::make_shared<bool>(true);
    launcher.running = std::make_shared<RemoteProxy>(first->application(), alive);
    connection.connectAutoCAD();

    // An ordinary failure keeps the connection.
    EXPECT_THROW(connection.withApp([](CadApplication& app) { return app.activeDocument().getVariable("NOSUCH"); }),
                 AutomationError);
    EXPECT_TRUE(connection.connected());

    *alive = false;
    EXPECT_THROW(connection.withApp([](CadApplication& app) { return app.documents().count(); }), AutomationError);
    EXPECT_FALSE(connection.connected());

    auto second = engine({{"openDocuments", {{{"path", drawing("A.dwg")}}}}});
    launcher.running = second->application();
    EXPECT_EQ(connection.withApp([](CadApplication& app) { return app.documents().count(); }), 1);
    EXPECT_EQ(connection.acadApp(), second->application());
}

TEST_F(ConnectionTest, AfterTheStartedApplicationDiesTheUsersOwnIsNotQuitAtExit) {
    auto started = engine();
    auto alive = std::make_shared<bool>(true);
    launcher.creatable = std::make_shared<RemoteProxy>(started->application(), alive);
    connection.connectAutoCAD();
    ASSERT_TRUE(connection.acadStarted());

    *alive = false;
    EXPECT_THROW(connection.withApp([](CadApplication& app) { return app.documents().count(); }), AutomationError);

    auto users = engine({{"openDocuments", {{{"path", drawing("A.dwg")}}}}});
    launcher.running = users->application();
    launcher.creatable.reset();
    ASSERT_TRUE(connection.ensureConnected());
    connection.cleanUpAtExit();
    EXPECT_FALSE(users->quitRequested());
    EXPECT_EQ(openNames(*users), std::vector<std::string>{"A.dwg"});
}

TEST_F(ConnectionTest, CleanUpClosesOnlyQuillonsDrawingsAndLeavesTheUsersApplicationRunning) {
    auto cad = engine({{"openDocuments", {{{"path", drawing("A.dwg")}, {"modified", true}}, {{"modified", true}}}}});
    launcher.running = cad->application();
    connection.connectAutoCAD();
    auto mine = connection.app().documents().open(drawing("B.dwg"), true);
    connection.rememberOpened(mine);

    connection.cleanUpAtExit();
    EXPECT_EQ(closed(*cad), std::vector<std::string>{"B.dwg"});
    EXPECT_EQ(openNames(*cad), (std::vector<std::string>{"A.dwg", "Drawing1.dwg"}));
    EXPECT_FALSE(cad->quitRequested());
    EXPECT_TRUE(connection.connected());

    connection.cleanUpAtExit();  // unload runs it again after the exit command
    EXPECT_EQ(closed(*cad).size(), 1u);
}

TEST_F(ConnectionTest, CleanUpClosesTheDrawingAddedAtConnectThenQuitsAnApplicationQuillonStarted) {
    auto cad = engine();
    launcher.creatable = cad->application();
    connection.connectAutoCAD();
    connection.cleanUpAtExit();
    EXPECT_EQ(closed(*cad), std::vector<std::string>{"Drawing1.dwg"});
    EXPECT_TRUE(cad->quitRequested());
    EXPECT_FALSE(connection.connected());
}

TEST_F(ConnectionTest, AnApplicationQuillonStartedIsLeftRunningWhenTheUserHasDrawnInItsBlankDrawing) {
    auto cad = engine({{"devices", {{{"name", "Laser"}}}}});
    launcher.creatable = cad->application();
    connection.connectAutoCAD();
    CadApplication(cad->application()).activeDocument().activeLayout().setConfigName("Laser");  // the user's work
    connection.cleanUpAtExit();
    EXPECT_FALSE(cad->quitRequested()) << "it would sit on its save question, unseen";
    EXPECT_TRUE(closed(*cad).empty());
    EXPECT_EQ(connection.cleanUpNotice(), "AutoCAD was left running: it holds unsaved changes to Drawing1.dwg.");
}

TEST_F(ConnectionTest, AnApplicationQuillonStartedHoldingItsOwnDrawingThatWouldNotCloseIsEndedNeverQuit) {
    auto cad = engine({{"answerMilliseconds", 10},
                       {"faults", {{"throws", {{{"object", "Document"}, {"member", "Close"}, {"drawing", "B.dwg"}}}}}}});
    launcher.creatable = cad->application();
    auto monitor = std::make_shared<CallMonitor>();
    monitor->endServerWith([&] {
        cad->kill();
        return true;
    });
    CadConnection own(launcher, ui, monitor);
    own.connectAutoCAD();
    auto mine = own.app().documents().open(drawing("B.dwg"), true);
    own.rememberOpened(mine);
    mine.activeLayout().setCenterPlot(true);  // set up for its plot: modified

    own.cleanUpAtExit();
    for (const auto& entry : cad->journal()) EXPECT_NE(entry.type, standin::JournalEntryType::Quit);
    EXPECT_FALSE(own.connected());
    EXPECT_EQ(own.cleanUpNotice(), "AutoCAD was ended instead of quit: B.dwg would not close.");

    // Refusing to quit in the middle of a command, it is ended as well.
    auto busy = engine({{"inCommand", true}});
    launcher.creatable = busy->application();
    bool ended = false;
    monitor->endServerWith([&] { return ended = true; });
    own.connectAutoCAD();
    own.cleanUpAtExit();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(own.connected());
}

TEST_F(ConnectionTest, QuillonsDrawingsAreKnownAgainThroughFreshProxies) {
    // The user has a drawing of the same file name as Quillon's open from another folder.
    auto cad = engine(
        {{"openDocuments", {{{"path", drawing("A.dwg")}, {"modified", true}}, {{"path", drawing("Other/B.dwg")}}}}});
    launcher.running = std::make_shared<RemoteProxy>(cad->application(), std::make_shared<bool>(true));
    connection.connectAutoCAD();
    auto added = connection.app().documents().add();
    connection.rememberOpened(added);
    CadApplication(cad->application()).documents().add();  // the user's own new drawing
    auto opened = connection.app().documents().open(drawing("B.dwg"), true);
    connection.rememberOpened(opened);

    std::vector<bool> ours;
    auto again = connection.app().documents().items();
    for (auto& document : again) ours.push_back(connection.openedByQuillon(document));
    EXPECT_EQ(ours, (std::vector<bool>{false, false, true, false, true}));  // A, Other/B, Drawing1, Drawing2, B
    EXPECT_NE(again[4].raw(), opened.raw());

    connection.forgetOpened(again[4]);
    EXPECT_FALSE(connection.openedByQuillon(opened));
    connection.rememberOpened(again[4]);
    connection.cleanUpAtExit();
    EXPECT_EQ(openNames(*cad), (std::vector<std::string>{"A.dwg", "B.dwg", "Drawing2.dwg"}));
}

// Quillon's read-only copy of a file the user is editing, left open when its close failed: leaving closes the
// copy and never the user's modified original, whether the application keeps object identity or not.
TEST_F(ConnectionTest, CleanUpTellsQuillonsCopyFromTheUsersOriginalOfTheSameFile) {
    for (bool freshProxies : {false, true}) {
        SCOPED_TRACE(freshProxies ? "a new object each time" : "one object per document");
        auto cad = engine({{"openDocuments", {{{"path", drawing("A.dwg")}, {"modified", true}}}}});
        Events seen;
        FakeLauncher users(seen);
        users.running = freshProxies ? std::make_shared<RemoteProxy>(cad->application(), std::make_shared<bool>(true))
                                     : cad->application();
        RecordingUi seenUi(seen);
        CadConnection quillon(users, seenUi);
        quillon.connectAutoCAD();
        auto copy = quillon.app().documents().open(drawing("A.dwg"), true);
        quillon.rememberOpened(copy);

        auto open = quillon.app().documents().items();
        ASSERT_EQ(open.size(), 2u);
        EXPECT_FALSE(quillon.openedByQuillon(open[0])) << "the user's original";
        EXPECT_TRUE(quillon.openedByQuillon(open[1])) << "Quillon's copy";

        quillon.cleanUpAtExit();
        ASSERT_EQ(cad->application()->get("Documents").toObject()->get("Count").toInt(), 1);
        auto left = CadApplication(cad->application()).documents().items();
        EXPECT_FALSE(left[0].readOnly()) << "the user's original stays open";
    }
}

TEST_F(ConnectionTest, CleanUpNeverConnectsAndSurvivesADeadApplication) {
    connection.cleanUpAtExit();
    EXPECT_TRUE(events.empty());

    auto cad = engine();
    auto alive = std::make_shared<bool>(true);
    launcher.creatable = std::make_shared<RemoteProxy>(cad->application(), alive);
    connection.connectAutoCAD();
    *alive = false;
    EXPECT_NO_THROW(connection.cleanUpAtExit());
    EXPECT_FALSE(connection.connected());
}

}  // namespace
}  // namespace quillon::autocad
