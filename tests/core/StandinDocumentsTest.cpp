#include "StandinTestSupport.h"

namespace quillon::standin::testing {
namespace {

namespace hr = automation::hresult;

class StandinDocuments : public StandinTest {};

TEST_F(StandinDocuments, OpeningMakesTheDrawingActiveAndDescribesIt) {
    start();
    const std::string a = dir.file("jobs/A.dwg"), b = dir.file("jobs/B.dwg");
    open(a);
    auto doc = open(b, false);
    EXPECT_EQ(activeDocument(), doc);
    EXPECT_EQ(doc->get("Name").toText(), "B.dwg");
    EXPECT_EQ(doc->get("Path").toText(), dir.at("jobs"));
    EXPECT_EQ(doc->get("FullName").toText(), b);
    EXPECT_FALSE(doc->get("ReadOnly").toBool());
    EXPECT_EQ(namesOf(documents()->enumerate()), (std::vector<std::string>{"A.dwg", "B.dwg"}));
    EXPECT_EQ(documents()->get("Count").toInt(), 2);
    EXPECT_EQ(documents()->call("Item", {Value(std::int32_t{0})}).toObject()->get("Name").toText(), "A.dwg");
    EXPECT_EQ(documents()->call("Item", {Value("b.DWG")}).toObject(), doc);
}

TEST_F(StandinDocuments, OpenFailuresNameTheFile) {
    start({{"drawings", {{{"file", "Broken.dwg"}, {"openError", "the drawing file is damaged"}}}}});
    const std::string missing = dir.at("nowhere/Gone.dwg");
    EXPECT_NE(failureOf([&] { open(missing); }).description().find(missing), std::string::npos);
    const std::string folder = dir.folder("Folder.dwg");
    EXPECT_NE(failureOf([&] { open(folder); }).description().find(folder), std::string::npos);
    const std::string broken = dir.file("Broken.dwg");
    auto e = failureOf([&] { open(broken); });
    EXPECT_NE(e.description().find(broken), std::string::npos);
    EXPECT_NE(e.description().find("damaged"), std::string::npos);
    EXPECT_EQ(documents()->get("Count").toInt(), 0);
}

TEST_F(StandinDocuments, InjectedOpenFailureWearsOffAfterItsCount) {
    start({{"faults", {{"openFails", {{{"drawing", "A.dwg"}, {"count", 1}}}}}}});
    const std::string a = dir.file("A.dwg");
    failureOf([&] { open(a); });
    EXPECT_EQ(open(a)->get("Name").toText(), "A.dwg");
}

TEST_F(StandinDocuments, AnUndescribedDrawingHasOnlyModelSpace) {
    start();
    auto doc = open(dir.file("Plain.dwg"));
    EXPECT_EQ(doc->object("Layouts")->get("Count").toInt(), 1);
    EXPECT_EQ(doc->object("ActiveLayout")->get("Name").toText(), "Model");
}

TEST_F(StandinDocuments, ReopeningGivesAReadOnlyCopyByDefault) {
    start();
    const std::string a = dir.file("A.dwg");
    auto first = open(a, false);
    auto second = open(a, false);
    EXPECT_NE(first, second);
    EXPECT_TRUE(second->get("ReadOnly").toBool());
    EXPECT_EQ(documents()->get("Count").toInt(), 2);
}

TEST_F(StandinDocuments, AWriteProtectedFileOpensReadOnly) {
    start();
    const std::string a = dir.file("A.dwg");
    fs::permissions(a, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
    EXPECT_TRUE(open(a, false)->get("ReadOnly").toBool());
}

TEST_F(StandinDocuments, ReopeningCanBeRefused) {
    start({{"reopenOpenDocuments", "refuse"}});
    const std::string a = dir.file("A.dwg");
    open(a);
    EXPECT_NE(failureOf([&] { open(a); }).description().find("already open"), std::string::npos);
}

TEST_F(StandinDocuments, ReopeningCanHandBackTheDocumentAlreadyOpen) {
    start({{"reopenOpenDocuments", "handBack"}});
    const std::string a = dir.file("A.dwg");
    auto first = open(a, false);
    open(dir.file("B.dwg"));
    EXPECT_EQ(open(a), first);
    EXPECT_EQ(activeDocument(), first);
    EXPECT_FALSE(first->get("ReadOnly").toBool());
    EXPECT_EQ(documents()->get("Count").toInt(), 2);
}

TEST_F(StandinDocuments, ClosingActivatesTheLastRemainingDocument) {
    start();
    auto a = open(dir.file("A.dwg"));
    auto b = open(dir.file("B.dwg"));
    auto c = open(dir.file("C.dwg"));
    b->call("Activate");
    b->call("Close", {Value(false)});
    EXPECT_EQ(activeDocument(), c);
    c->call("Close", {Value(false)});
    EXPECT_EQ(activeDocument(), a);
    a->call("Close", {Value(false)});
    auto e = failureOf([&] { activeDocument(); });
    EXPECT_EQ(e.description(), "No active document");
}

TEST_F(StandinDocuments, ClosedDocumentsAndTheirObjectsStopAnswering) {
    start();
    auto doc = open(dir.file("A.dwg"));
    auto layout = doc->object("ActiveLayout");
    doc->call("Close", {Value(false)});
    EXPECT_NE(failureOf([&] { doc->get("Name"); }).description().find("closed"), std::string::npos);
    EXPECT_NE(failureOf([&] { layout->get("Name"); }).description().find("closed"), std::string::npos);
}

TEST_F(StandinDocuments, AModifiedDrawingIsSavedWhenAskedOrWhenSaveChangesIsLeftOut) {
    start();
    const std::string path = dir.file("A.dwg", "original bytes");
    auto doc = open(path, false);
    doc->object("ActiveLayout")->put("CenterPlot", true);
    EXPECT_FALSE(doc->get("Saved").toBool());
    doc->call("Close", {Value(true)});
    EXPECT_NE(readText(path), "original bytes");

    const std::string other = dir.file("B.dwg", "original bytes");
    auto second = open(other, false);
    second->object("ActiveLayout")->put("CenterPlot", true);
    second->call("Close");
    EXPECT_NE(readText(other), "original bytes") << "SaveChanges is true when left out";
    const std::string kept = dir.file("C.dwg", "original bytes");
    auto third = open(kept, false);
    third->object("ActiveLayout")->put("CenterPlot", true);
    third->call("Close", {Value(false)});
    EXPECT_EQ(readText(kept), "original bytes");

    std::vector<CloseRecord> closes;
    for (const auto& e : engine->journal())
        if (e.type == JournalEntryType::Close) closes.push_back(e.close);
    ASSERT_EQ(closes.size(), 3u);
    EXPECT_TRUE(closes[0].wouldSave);
    EXPECT_EQ(closes[0].saveChanges, true);
    EXPECT_TRUE(closes[1].wouldSave);
    EXPECT_FALSE(closes[1].wouldPrompt);
    EXPECT_FALSE(closes[2].wouldSave);
}

TEST_F(StandinDocuments, SavingAReadOnlyDrawingIsRefused) {
    start();
    auto doc = open(dir.file("A.dwg"), true);
    doc->object("ActiveLayout")->put("CenterPlot", true);
    failureOf([&] { doc->call("Close", {Value(true)}); });
    doc->call("Close", {Value(false)});
}

TEST_F(StandinDocuments, NewDrawingsAreNumberedModelSpaceOnlyAndActive) {
    start();
    auto first = documents()->call("Add").toObject();
    auto second = documents()->call("Add", {Value::missing()}).toObject();
    EXPECT_EQ(first->get("Name").toText(), "Drawing1.dwg");
    EXPECT_EQ(second->get("Name").toText(), "Drawing2.dwg");
    EXPECT_EQ(second->get("Path").toText(), "");
    EXPECT_EQ(second->object("Layouts")->get("Count").toInt(), 1);
    EXPECT_EQ(activeDocument(), second);
    failureOf([&] { documents()->call("Add", {Value(dir.at("missing.dwt"))}); });
}

TEST_F(StandinDocuments, TheUsersOpenDrawingsAreThereFromTheStart) {
    start({{"openDocuments", {{{"path", "site/Plan.dwg"}, {"modified", true}}, json::object()}},
           {"activeDocument", 0}});
    EXPECT_EQ(documents()->get("Count").toInt(), 2);
    auto active = activeDocument();
    EXPECT_EQ(active->get("FullName").toText(), dir.at("site/Plan.dwg"));
    EXPECT_EQ(active->call("GetVariable", {Value("DBMOD")}), Value(std::int16_t{1}));
    EXPECT_EQ(documents()->call("Item", {Value(std::int32_t{1})}).toObject()->get("Name").toText(), "Drawing1.dwg");
}

TEST_F(StandinDocuments, SingleDocumentModeRefusesASecondDrawing) {
    start({{"sdi", 1}});
    open(dir.file("A.dwg"));
    failureOf([&] { open(dir.file("B.dwg")); });
    activeDocument()->call("SetVariable", {Value("SDI"), Value(std::int16_t{0})});
    open(dir.file("B.dwg"));
    EXPECT_EQ(failureOf([&] { activeDocument()->call("SetVariable", {Value("SDI"), Value(std::int16_t{1})}); }).code(),
              hr::Fail);
}

TEST_F(StandinDocuments, SingleDocumentModesOfTheApplicationReplaceTheDrawingOpenAndCannotBeChanged) {
    start({{"sdi", 2}, {"answerMilliseconds", 20}, {"openDocuments", {{{"path", "Mine.dwg"}, {"modified", true}}}}});
    open(dir.file("B.dwg"));
    EXPECT_EQ(documents()->get("Count").toInt(), 1);
    open(dir.file("C.dwg"));
    EXPECT_EQ(namesOf(documents()->enumerate()), std::vector<std::string>{"C.dwg"});
    std::vector<std::string> closed;
    for (const auto& e : engine->journal()) {
        if (e.type == JournalEntryType::Question) closed.push_back("asked " + e.question.variable);
        if (e.type == JournalEntryType::Close) closed.push_back(fs::path(e.close.document).filename().string());
    }
    EXPECT_EQ(closed, (std::vector<std::string>{"asked SDI", "Mine.dwg", "B.dwg"}))
        << "the user's modified drawing asks before it goes";
    for (int mode : {0, 1})
        EXPECT_NE(failureOf([&] {
                      activeDocument()->call("SetVariable", {Value("SDI"), Value(static_cast<std::int16_t>(mode))});
                  }).description().find("cannot be changed"),
                  std::string::npos);
}

TEST_F(StandinDocuments, VariablesKeepTheirTypesAndScopes) {
    start({{"variables", {{{"name", "Filedia"}, {"value", 1}, {"perDocument", false}},
                          {{"name", "USERS1"}, {"value", "x"}}}}});
    auto a = open(dir.file("A.dwg"));
    auto b = open(dir.file("B.dwg"));
    EXPECT_EQ(a->call("GetVariable", {Value("BACKGROUNDPLOT")}), Value(std::int16_t{2}));
    EXPECT_EQ(a->call("GetVariable", {Value("dbmod")}), Value(std::int16_t{0}));
    EXPECT_EQ(a->call("GetVariable", {Value("DWGNAME")}), Value("A.dwg"));
    EXPECT_EQ(a->call("GetVariable", {Value("CTAB")}), Value("Model"));

    auto mismatch = failureOf([&] { a->call("SetVariable", {Value("BACKGROUNDPLOT"), Value(std::int32_t{0})}); });
    EXPECT_EQ(mismatch.code(), hr::InvalidArg);
    failureOf([&] { a->call("SetVariable", {Value("BACKGROUNDPLOT"), Value(std::int16_t{4})}); });
    a->call("SetVariable", {Value("BACKGROUNDPLOT"), Value(std::int16_t{0})});
    EXPECT_EQ(b->call("GetVariable", {Value("BACKGROUNDPLOT")}), Value(std::int16_t{0}));

    a->call("SetVariable", {Value("FILEDIA"), Value(std::int16_t{0})});
    EXPECT_EQ(b->call("GetVariable", {Value("FILEDIA")}), Value(std::int16_t{0}));
    a->call("SetVariable", {Value("USERS1"), Value("changed")});
    EXPECT_EQ(b->call("GetVariable", {Value("USERS1")}), Value("x"));

    EXPECT_EQ(failureOf([&] { a->call("SetVariable", {Value("DBMOD"), Value(std::int16_t{0})}); }).code(), hr::Fail);
    auto unknown = failureOf([&] { a->call("GetVariable", {Value("NOSUCHVAR")}); });
    EXPECT_EQ(unknown.description(), "Invalid input");
}

}  // namespace
}  // namespace quillon::standin::testing
