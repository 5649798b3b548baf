#include "StandinTestSupport.h"

namespace quillon::standin::testing {
namespace {

class StandinXrefs : public StandinTest {
protected:
    ObjectPtr doc;
    void startWith(const json& xrefs) {
        start({{"drawings", {{{"file", "Host.dwg"}, {"xrefs", xrefs}}}}});
        doc = open(dir.file("jobs/Host.dwg"));
    }
    ObjectPtr block(const char* name) { return doc->object("Blocks")->call("Item", {Value(name)}).toObject(); }
};

TEST_F(StandinXrefs, AMissingFileLeavesTheReferenceWithoutDatabase) {
    startWith({{{"name", "SITE"}, {"path", "D:\\Old\\J12\\Refs\\site.dwg"}}});
    auto site = block("SITE");
    EXPECT_EQ(site->get("Path").toText(), "D:\\Old\\J12\\Refs\\site.dwg");
    EXPECT_EQ(failureOf([&] { site->get("XRefDatabase"); }).description(), "No database");
    EXPECT_EQ(site->get("Count").toInt(), 0);
}

TEST_F(StandinXrefs, ReloadResolvesOnceThePathNamesAnExistingFile) {
    startWith({{{"name", "SITE"}, {"path", "D:\\Old\\site.dwg"}, {"entities", 12}}});
    auto site = block("SITE");
    const std::string found = dir.file("jobs/Refs/site.dwg");
    site->put("Path", Value(found));
    EXPECT_EQ(failureOf([&] { site->get("XRefDatabase"); }).description(), "No database");
    site->call("Reload");
    EXPECT_EQ(site->object("XRefDatabase")->object("ModelSpace")->get("Count").toInt(), 12);
}

TEST_F(StandinXrefs, ReloadWithoutTheFileStaysUnresolved) {
    startWith({{{"name", "SITE"}, {"path", "D:\\Old\\site.dwg"}}});
    auto site = block("SITE");
    site->put("Path", Value(dir.at("jobs/Refs/absent.dwg")));
    site->call("Reload");
    EXPECT_EQ(failureOf([&] { site->get("XRefDatabase"); }).description(), "No database");
}

TEST_F(StandinXrefs, AReferenceFoundAtOpenIsLoadedAndLosesItsDatabaseWhenTheFileGoes) {
    const std::string refs = dir.file("jobs/Refs/grid.dwg");
    startWith({{{"name", "GRID"}, {"path", "Refs/grid.dwg"}}, {{"name", "FORCED"}, {"path", "x.dwg"}, {"loaded", true}}});
    auto grid = block("GRID");
    auto database = grid->object("XRefDatabase");
    EXPECT_EQ(database->object("ModelSpace")->get("Count").toInt(), 1);
    EXPECT_TRUE(block("FORCED")->get("IsXRef").toBool());
    block("FORCED")->object("XRefDatabase");

    fs::remove(refs);
    grid->call("Reload");
    EXPECT_EQ(failureOf([&] { database->get("ModelSpace"); }).description(), "No database");
}

TEST_F(StandinXrefs, OrdinaryBlocksAreNotReferences) {
    start({{"drawings", {{{"file", "Host.dwg"}, {"blocks", {{{"name", "Door"}, {"entities", 3}}}}}}}});
    doc = open(dir.file("Host.dwg"));
    auto door = block("Door");
    EXPECT_FALSE(door->get("IsXRef").toBool());
    EXPECT_EQ(door->get("Count").toInt(), 3);
    EXPECT_EQ(door->get("Path").toText(), "");
    failureOf([&] { door->call("Reload"); });
    EXPECT_EQ(failureOf([&] { door->get("XRefDatabase"); }).description(), "No database");
}

}  // namespace
}  // namespace quillon::standin::testing
