#include "StandinTestSupport.h"

#include <cstdlib>

#include "standin/ScenarioParser.h"

namespace quillon::standin::testing {
namespace {

// The message of the ScenarioError a scenario raises, or "" when it loads.
std::string complaintAbout(const std::string& scenario) {
    try {
        ScenarioParser::parse(scenario, "/base");
    } catch (const ScenarioError& e) {
        return e.what();
    }
    return "";
}

MATCHER_P(Mentions, text, "") { return arg.find(text) != std::string::npos; }

TEST(StandinScenarioErrors, BadJsonSaysWhere) {
    EXPECT_THAT(complaintAbout("{\"devices\": [}"), Mentions("line 1"));
    EXPECT_THAT(complaintAbout(""), Mentions("not valid JSON"));
    EXPECT_THAT(complaintAbout("[]"), Mentions("expected an object"));
}

TEST(StandinScenarioErrors, WrongTypesNameTheirLocation) {
    EXPECT_THAT(complaintAbout(R"({"sdi": "0"})"), Mentions("expected a whole number, found a string at /sdi"));
    EXPECT_THAT(complaintAbout(R"({"devices": [{"name": "P", "media": "A4"}]})"), Mentions("at /devices/0/media"));
    EXPECT_THAT(complaintAbout(R"({"drawings": [{"file": "A.dwg", "layouts": [{"name": 3}]}]})"),
                Mentions("/drawings/0/layouts/0/name"));
}

TEST(StandinScenarioErrors, MissingFieldsAndUnknownFieldsAreNamed) {
    EXPECT_THAT(complaintAbout(R"({"drawings": [{"layouts": []}]})"), Mentions("missing required field \"file\" at /drawings/0"));
    EXPECT_THAT(complaintAbout(R"({"devcies": []})"), Mentions("unknown field \"devcies\""));
    EXPECT_THAT(complaintAbout(R"({"faults": {"busy": [{"afterCalls": 1}]}})"), Mentions("\"calls\""));
}

TEST(StandinScenarioErrors, ReferencesMustBeKnown) {
    EXPECT_THAT(complaintAbout(R"({"drawings": [{"file": "A.dwg", "model": {"device": "Ghost.pc3"}}]})"),
                Mentions("unknown device \"Ghost.pc3\" at /drawings/0/model/device"));
    EXPECT_THAT(complaintAbout(R"({"defaultDevice": "Ghost"})"), Mentions("unknown device"));
    EXPECT_THAT(complaintAbout(R"({"devices": [{"name": "P", "media": ["A4"]}],
                                   "drawings": [{"file": "A.dwg", "model": {"device": "P", "media": "A0"}}]})"),
                Mentions("not offered by device"));
    EXPECT_THAT(complaintAbout(R"({"plotStyleTables": ["a.stb"], "drawings": [{"file": "A.dwg", "model": {"styleSheet": "a.stb"}}]})"),
                Mentions("does not suit"));
    EXPECT_THAT(complaintAbout(R"({"drawings": [{"file": "A.dwg", "activeLayout": "Sheet9"}]})"), Mentions("unknown layout"));
    EXPECT_THAT(complaintAbout(R"({"faults": {"throws": [{"object": "Widget", "member": "X"}]}})"), Mentions("unknown object kind"));
}

TEST(StandinScenarioErrors, NegativeCountsAndDuplicatesAreRefused) {
    EXPECT_THAT(complaintAbout(R"({"faults": {"dieAfterCalls": -1}})"), Mentions("negative number -1 not allowed at /faults/dieAfterCalls"));
    EXPECT_THAT(complaintAbout(R"({"drawings": [{"file": "A.dwg", "layouts": [{"name": "S", "entities": -2}]}]})"),
                Mentions("negative"));
    EXPECT_THAT(complaintAbout(R"({"devices": [{"name": "P"}, {"name": "p"}]})"), Mentions("duplicate device"));
    EXPECT_THAT(complaintAbout(R"({"drawings": [{"file": "A.dwg", "layouts": [{"name": "S"}, {"name": "s"}]}]})"),
                Mentions("duplicate layout"));
    EXPECT_THAT(complaintAbout(R"({"drawings": [{"file": "A.dwg"}, {"file": "a.DWG"}]})"), Mentions("described twice"));
    EXPECT_THAT(complaintAbout(R"({"plotStyleTables": ["pens.txt"]})"), Mentions(".ctb or .stb"));
    EXPECT_THAT(complaintAbout(R"({"variables": [{"name": "sdi", "value": 1}]})"), Mentions("built in"));
}

TEST(StandinScenario, RelativePathsResolveAgainstTheScenarioFolder) {
    Scenario s = ScenarioParser::parse(
        R"({"plotFolder": "out", "journal": "./j.jsonl", "drawings": [{"file": "jobs/A.dwg"}, {"file": "B.dwg"}],
            "openDocuments": [{"path": "C:\\abs\\X.dwg"}]})",
        "/base");
    EXPECT_EQ(s.plotFolder, "/base/out");
    EXPECT_EQ(s.journal, "/base/j.jsonl");
    EXPECT_EQ(s.drawings[0].match, "/base/jobs/A.dwg");
    EXPECT_TRUE(s.drawings[0].matchesFullPath);
    EXPECT_EQ(s.drawings[1].match, "B.dwg");
    EXPECT_FALSE(s.drawings[1].matchesFullPath);
    EXPECT_EQ(s.openDocuments[0].path, "C:\\abs\\X.dwg");
    EXPECT_EQ(ScenarioParser::parse("{}", "C:\\jobs").devices.front().name, "None");
}

TEST(StandinScenario, AFullPathDescriptionWinsOverAFileNameOne) {
    TempFolder dir;
    auto engine = Engine::fromJson(
        json{{"drawings",
              {{{"file", "A.dwg"}, {"layouts", {{{"name", "ByName"}}}}},
               {{"file", "exact/A.dwg"}, {"layouts", {{{"name", "ByPath"}}}}}}}}
            .dump(),
        dir.path());
    auto docs = engine->application()->object("Documents");
    auto exact = docs->call("Open", {Value(dir.file("exact/A.dwg"))}).toObject();
    auto other = docs->call("Open", {Value(dir.file("other/A.dwg"))}).toObject();
    EXPECT_EQ(exact->object("Layouts")->call("Item", {Value(std::int32_t{1})}).toObject()->get("Name").toText(), "ByPath");
    EXPECT_EQ(other->object("Layouts")->call("Item", {Value(std::int32_t{1})}).toObject()->get("Name").toText(), "ByName");
}

TEST(StandinScenario, LoadReadsAFileAndReportsAMissingOne) {
    TempFolder dir;
    const std::string path = dir.file("scenario.json", R"({"plotFolder": "plots", "name": "Test CAD"})");
    auto engine = Engine::load(path);
    EXPECT_EQ(engine->application()->get("Name").toText(), "Test CAD");
    EXPECT_THROW(Engine::load(dir.at("absent.json")), ScenarioError);
    EXPECT_THROW(Engine::load(dir.file("bad.json", "{")), ScenarioError);
}

class StandinJournalFile : public ::testing::Test {
protected:
    TempFolder dir;
    void TearDown() override {
#ifdef _WIN32
        _putenv_s("QUILLON_STANDIN_JOURNAL", "");
#else
        unsetenv("QUILLON_STANDIN_JOURNAL");
#endif
    }
};

TEST_F(StandinJournalFile, EveryAccessAndPlotIsWrittenAndReadsBack) {
    const std::string journal = dir.at("journal.jsonl");
    auto engine = Engine::fromJson(json{{"journal", "journal.jsonl"}}.dump(), dir.path());
    EXPECT_EQ(engine->journalPath(), journal);
    auto app = engine->application();
    auto doc = app->object("Documents")->call("Open", {Value(dir.file("A.dwg")), Value(true)}).toObject();
    doc->call("SetVariable", {Value("BACKGROUNDPLOT"), Value(std::int16_t{0})});
    EXPECT_THROW(doc->object("ActiveLayout")->call("ZoomExtents"), AutomationError);
    doc->object("Plot")->call("PlotToDevice");

    auto entries = JournalReader::readFile(journal);
    ASSERT_EQ(entries.size(), engine->journal().size());
    EXPECT_EQ(entries[0].type, JournalEntryType::Start);
    auto lines = accessesIn(entries);
    EXPECT_EQ(lines[0].object, "Application");
    EXPECT_EQ(lines[0].member, "Documents");
    EXPECT_EQ(lines[0].result, (json{{"object", "Documents"}}));
    EXPECT_EQ(lines[1].args, (json{dir.at("A.dwg"), true}));
    EXPECT_EQ(lines[1].result, (json{{"object", "Document(" + dir.at("A.dwg") + ")"}}));
    EXPECT_EQ(lines[2].argKinds, (std::vector<std::string>{"text", "int16"}));
    EXPECT_EQ(lines[4].errorCode, "0x80020006");
    EXPECT_EQ(plotsIn(entries).size(), 1u);
    for (std::size_t i = 1; i < entries.size(); ++i) EXPECT_EQ(entries[i].seq, entries[i - 1].seq + 1);
}

TEST_F(StandinJournalFile, TheEnvironmentOverridesTheScenariosJournal) {
    const std::string chosen = dir.at("chosen.jsonl");
#ifdef _WIN32
    _putenv_s("QUILLON_STANDIN_JOURNAL", chosen.c_str());
#else
    setenv("QUILLON_STANDIN_JOURNAL", chosen.c_str(), 1);
#endif
    auto engine = Engine::fromJson(json{{"journal", "ignored.jsonl"}}.dump(), dir.path());
    engine->application()->get("Visible");
    EXPECT_EQ(engine->journalPath(), chosen);
    EXPECT_EQ(JournalReader::readFile(chosen).size(), 2u);
    EXPECT_FALSE(fs::exists(dir.at("ignored.jsonl")));
}

TEST_F(StandinJournalFile, AProcessIdPlaceholderGivesEachInstanceItsOwnJournal) {
    auto engine = Engine::fromJson(json{{"journal", "run-{pid}.jsonl"}}.dump(), dir.path());
    engine->application()->get("Visible");
    const std::string name = fs::path(engine->journalPath()).filename().string();
    ASSERT_EQ(name.rfind("run-", 0), 0u) << name;
    const std::string id = name.substr(4, name.size() - 4 - 6);
    EXPECT_FALSE(id.empty());
    EXPECT_EQ(id.find_first_not_of("0123456789"), std::string::npos) << name;
    EXPECT_EQ(JournalReader::readFile(engine->journalPath()).size(), 2u);
}

TEST_F(StandinJournalFile, WithoutAPathTheJournalStaysInMemory) {
    auto engine = Engine::fromJson("{}", dir.path());
    engine->application()->get("Version");
    EXPECT_EQ(engine->journalPath(), "");
    EXPECT_EQ(engine->journal().size(), 2u);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(StandinJournalReader, UnreadableLinesAreReportedWithTheirNumber) {
    TempFolder dir;
    const std::string path = dir.file("j.jsonl", "{\"seq\":0,\"start\":{}}\n\n{\"seq\":1}\n");
    try {
        JournalReader::readFile(path);
        ADD_FAILURE() << "read a broken journal";
    } catch (const std::runtime_error& e) {
        EXPECT_THAT(std::string(e.what()), Mentions("line 3"));
    }
    EXPECT_THROW(JournalReader::parseLine("not json"), std::runtime_error);
}

}  // namespace
}  // namespace quillon::standin::testing
