#include "StandinTestSupport.h"

#include "autocad/CallMonitor.h"
#include "autocad/MonitoredObject.h"
#include "standin/ScenarioParser.h"
#include "standin/Wildcard.h"

namespace quillon::standin::testing {
namespace {

namespace hr = automation::hresult;

// Written as text: attributes and custom properties must keep the order written, which a
// sorted JSON object would lose (REV would come before SHEETNO, Client before Project).
// A-102 is listed first but is the second tab.
constexpr const char* kSheets = R"({"drawings": [{"file": "Sheets.dwg",
  "model": {"entities": 5, "inserts": [{"block": "NORTH"}]},
  "layouts": [
    {"name": "A-102", "tabOrder": 2, "inserts": [
      {"block": "A1-TITLE", "attributes": {"SHEETNO": "A-102", "TITLE": "First Floor Plan", "REV": "A"}},
      {"block": "a1-title", "dynamic": true, "attributes": {"SHEETNO": "A-102b"}}]},
    {"name": "A-101", "tabOrder": 1, "inserts": [
      {"block": "A1-TITLE", "attributes": {"SHEETNO": "A-101", "TITLE": "Ground Floor Plan", "REV": "C"}}]}],
  "properties": {"Title": "Housing Block B", "Author": "J. Hale", "RevisionNumber": "7",
                 "custom": {"Project": "P-2291", "Client": "Northwind"}}}]})";

Value codes(std::initializer_list<std::int16_t> list) {
    Value::Array out;
    for (auto code : list) out.emplace_back(code);
    return Value(std::move(out));
}

class StandinTitleBlocks : public StandinTest {
protected:
    ObjectPtr doc;
    ObjectPtr sets;

    void SetUp() override {
        engine = Engine::fromJson(kSheets, dir.path());
        app = engine->application();
        doc = open(dir.file("Sheets.dwg"));
        sets = doc->object("SelectionSets");
    }
    // The references a selection of all finds with this filter, each as "Name/first attribute's text".
    std::vector<std::string> selected(const Value& types, const Value& data) {
        auto set = sets->call("Add", {Value("Q")}).toObject();
        set->call("Select", {Value(std::int16_t{5}), Value::missing(), Value::missing(), types, data});
        std::vector<std::string> out;
        for (const auto& reference : set->enumerate()) {
            const auto attributes = reference->call("GetAttributes").toArray();
            out.push_back(reference->get("Name").toText() + "/" +
                          (attributes.empty() ? "" : attributes[0].toObject()->get("TextString").toText()));
        }
        set->call("Delete");
        return out;
    }
};

TEST_F(StandinTitleBlocks, SelectionByPatternTakesTheNamedLayoutOnlyAndListsModelThenTabs) {
    EXPECT_THAT(selected(codes({0, 2, 410}), Value::textArray({"INSERT", "A1-*", "A-101"})),
                ::testing::ElementsAre("A1-TITLE/A-101"));
    EXPECT_THAT(selected(codes({410}), Value::textArray({"a-102"})),
                ::testing::ElementsAre("A1-TITLE/A-102", "*U1/A-102b"));
    EXPECT_THAT(selected(Value::missing(), Value::missing()),
                ::testing::ElementsAre("NORTH/", "A1-TITLE/A-101", "A1-TITLE/A-102", "*U1/A-102b"));
    EXPECT_THAT(selected(codes({0, 410}), Value::textArray({"LINE,CIRCLE", "Model"})), ::testing::IsEmpty());
    EXPECT_THAT(selected(codes({410, 8}), Value::textArray({"~Model", "0"})), ::testing::SizeIs(3));

    // A layout's block counts its references beside its other entities.
    auto layouts = doc->object("Layouts");
    EXPECT_EQ(layouts->call("Item", {Value("A-102")}).toObject()->object("Block")->get("Count").toInt(), 3);
    EXPECT_EQ(doc->object("ModelSpace")->get("Count").toInt(), 6);
}

TEST_F(StandinTitleBlocks, ADynamicBlockIsSelectedOnlyThroughItsAnonymousName) {
    EXPECT_THAT(selected(codes({2}), Value::textArray({"A1-TITLE"})),
                ::testing::ElementsAre("A1-TITLE/A-101", "A1-TITLE/A-102"));
    auto set = sets->call("Add", {Value("DYN")}).toObject();
    set->call("Select", {Value(std::int16_t{5}), Value::missing(), Value::missing(), codes({2}),
                         Value::textArray({"A1-TITLE,`*U*"})});
    ASSERT_EQ(set->get("Count").toInt(), 3);
    auto dynamic = set->call("Item", {Value(2)}).toObject();
    EXPECT_EQ(dynamic->get("Name").toText(), "*U1");
    EXPECT_EQ(dynamic->get("EffectiveName").toText(), "A1-TITLE") << "named as the block's definition is";
    EXPECT_TRUE(dynamic->get("IsDynamicBlock").toBool());
    EXPECT_FALSE(set->call("Item", {Value(0)}).toObject()->get("IsDynamicBlock").toBool());
    // Selecting all again adds only what the set lacks, after what it holds; a reference is one object.
    set->call("Select", {Value(std::int16_t{5})});
    EXPECT_EQ(set->get("Count").toInt(), 4);
    EXPECT_TRUE(set->call("Item", {Value(2)}).toObject()->sameObject(*dynamic));
    EXPECT_EQ(set->call("Item", {Value(3)}).toObject()->get("Name").toText(), "NORTH");
    // The drawing holds the definitions its references use, the anonymous one too.
    auto blocks = doc->object("Blocks");
    EXPECT_EQ(blocks->call("Item", {Value("*U1")}).toObject()->get("Name").toText(), "*U1");
    blocks->call("Item", {Value("north")});
}

TEST_F(StandinTitleBlocks, AttributesComeInTheOrderWrittenAndAReferenceMayHaveNone) {
    auto set = sets->call("Add", {Value("ALL")}).toObject();
    set->call("Select", {Value(std::int16_t{5})});
    auto north = set->call("Item", {Value(0)}).toObject();
    EXPECT_FALSE(north->get("HasAttributes").toBool());
    EXPECT_TRUE(north->call("GetAttributes").toArray().empty());
    EXPECT_EQ(north->get("ObjectName").toText(), "AcDbBlockReference");
    EXPECT_EQ(north->get("Layer").toText(), "0");

    auto title = set->call("Item", {Value(1)}).toObject();
    EXPECT_TRUE(title->get("HasAttributes").toBool());
    std::vector<std::string> seen;
    const Value attributes = title->call("GetAttributes");
    for (const auto& item : attributes.toArray()) {
        auto attribute = item.toObject();
        EXPECT_EQ(attribute->get("ObjectName").toText(), "AcDbAttribute");
        seen.push_back(attribute->get("TagString").toText() + "=" + attribute->get("TextString").toText());
    }
    EXPECT_THAT(seen, ::testing::ElementsAre("SHEETNO=A-101", "TITLE=Ground Floor Plan", "REV=C"));

    // The text may change (and the drawing is then modified); the tag may not.
    auto revision = title->call("GetAttributes").toArray()[2].toObject();
    revision->put("TextString", Value("D"));
    EXPECT_EQ(title->call("GetAttributes").toArray()[2].toObject()->get("TextString").toText(), "D");
    EXPECT_FALSE(doc->get("Saved").toBool());
    EXPECT_EQ(failureOf([&] { revision->put("TagString", Value("R")); }).code(), hr::MemberNotFound);
    EXPECT_EQ(failureOf([&] { title->put("Layer", Value("A-ANNO")); }).description(), "Key not found");
}

TEST_F(StandinTitleBlocks, ASetNameIsTakenIgnoringCaseUntilItsSetIsDeleted) {
    auto first = sets->call("Add", {Value("TB")}).toObject();
    EXPECT_EQ(failureOf([&] { sets->call("Add", {Value("tb")}); }).code(), hr::Fail);
    EXPECT_TRUE(sets->call("Item", {Value("Tb")}).toObject()->sameObject(*first));
    EXPECT_EQ(failureOf([&] { sets->call("Item", {Value("Other")}); }).description(), "Key not found");

    first->call("Delete");
    EXPECT_EQ(sets->get("Count").toInt(), 0);
    EXPECT_EQ(failureOf([&] { first->get("Count"); }).code(), hr::Fail);
    auto second = sets->call("Add", {Value("tb")}).toObject();
    EXPECT_EQ(second->get("Name").toText(), "tb");
    EXPECT_FALSE(second->sameObject(*first));

    // Clear empties a set and keeps it.
    second->call("Select", {Value(std::int16_t{5})});
    second->call("Clear");
    EXPECT_EQ(second->get("Count").toInt(), 0);
    EXPECT_EQ(sets->get("Count").toInt(), 1);
}

TEST_F(StandinTitleBlocks, SelectRefusesWhatItCannotDoFaithfullyAndLeavesTheSetAsItWas) {
    auto set = sets->call("Add", {Value("S")}).toObject();
    auto select = [&](std::int16_t mode, const Value& types, const Value& data) {
        return failureOf([&] { set->call("Select", {Value(mode), Value::missing(), Value::missing(), types, data}); })
            .code();
    };
    EXPECT_EQ(select(0, Value::missing(), Value::missing()), hr::InvalidArg) << "a window needs a screen";
    EXPECT_EQ(select(5, codes({0, 2}), Value::textArray({"INSERT"})), hr::InvalidArg) << "lengths differ";
    EXPECT_EQ(select(5, codes({0}), Value::missing()), hr::InvalidArg) << "types without data";
    EXPECT_EQ(select(5, Value(Value::Array{Value(std::int32_t{2})}), Value::textArray({"A1-TITLE"})), hr::InvalidArg)
        << "group codes are 16-bit integers";
    EXPECT_EQ(select(5, codes({62}), Value(Value::Array{Value(std::int16_t{1})})), hr::InvalidArg)
        << "a code the stand-in cannot evaluate is not ignored";
    EXPECT_EQ(set->get("Count").toInt(), 0);
}

TEST_F(StandinTitleBlocks, SummaryInfoAnswersPropertiesAndCustomOnesThroughOutArguments) {
    auto info = doc->object("SummaryInfo");
    EXPECT_EQ(info->get("Title").toText(), "Housing Block B");
    EXPECT_EQ(info->get("RevisionNumber").toText(), "7");
    EXPECT_EQ(info->get("HyperlinkBase").toText(), "") << "not in the scenario";
    EXPECT_EQ(info->call("NumCustomInfo").toInt(), 2);

    const Value first[] = {Value(0)};
    EXPECT_THAT(info->callWithOut("GetCustomByIndex", first, 2), ::testing::ElementsAre(Value("Project"), Value("P-2291")));
    const Value second[] = {Value(1)};
    EXPECT_THAT(info->callWithOut("GetCustomByIndex", second, 2), ::testing::ElementsAre(Value("Client"), Value("Northwind")));
    const Value client[] = {Value("Client")};
    EXPECT_THAT(info->callWithOut("GetCustomByKey", client, 1), ::testing::ElementsAre(Value("Northwind")));
    // Journalled as a call of its in arguments, answering the out values.
    const auto journalled = accesses().back();
    EXPECT_EQ(journalled.kind, "call");
    EXPECT_EQ(journalled.args, json::array({"Client"}));
    EXPECT_EQ(journalled.result, json::array({"Northwind"}));

    const Value beyond[] = {Value(2)};
    EXPECT_EQ(failureOf([&] { info->callWithOut("GetCustomByIndex", beyond, 2); }).code(), hr::InvalidArg);
    const Value otherCase[] = {Value("client")};
    EXPECT_EQ(failureOf([&] { info->callWithOut("GetCustomByKey", otherCase, 1); }).code(), hr::InvalidArg);
    EXPECT_EQ(failureOf([&] { info->callWithOut("GetCustomByKey", client, 2); }).code(), hr::BadParamCount);
    EXPECT_EQ(failureOf([&] { info->call("GetCustomByKey", {Value("Client")}); }).code(), hr::ParamNotOptional)
        << "a plain call has nowhere to put the answer";

    // The monitored wrapper passes the out values through.
    auto monitored = autocad::MonitoredObject::wrap(info, "SummaryInfo", std::make_shared<autocad::CallMonitor>());
    EXPECT_THAT(monitored->callWithOut("GetCustomByKey", client, 1), ::testing::ElementsAre(Value("Northwind")));
}

TEST(StandinTitleBlockScenario, InsertsAndPropertiesRefuseWhatTheyDoNotKnow) {
    auto complaint = [](const std::string& drawing) -> std::string {
        try {
            ScenarioParser::parse(R"({"drawings": [)" + drawing + "]}", "/base");
        } catch (const ScenarioError& e) {
            return e.what();
        }
        return "";
    };
    EXPECT_THAT(complaint(R"({"file": "A.dwg", "layouts": [{"name": "L", "inserts": [{"block": "T", "scale": 2}]}]})"),
                ::testing::HasSubstr("unknown field \"scale\" at /drawings/0/layouts/0/inserts/0"));
    EXPECT_THAT(complaint(R"({"file": "A.dwg", "model": {"inserts": [{"block": "T", "attributes": {"NO": 3}}]}})"),
                ::testing::HasSubstr("expected a string, found a number at /drawings/0/model/inserts/0/attributes/NO"));
    EXPECT_THAT(complaint(R"({"file": "A.dwg", "properties": {"Titel": "x"}})"), ::testing::HasSubstr("unknown field \"Titel\""));
    EXPECT_THAT(complaint(R"({"file": "A.dwg", "properties": {"custom": {"Job": "1", "JOB": "2"}}})"),
                ::testing::HasSubstr("duplicate custom property \"JOB\""));
    EXPECT_THAT(complaint(R"({"file": "A.dwg", "pageSetups": [{"name": "P", "inserts": []}]})"),
                ::testing::HasSubstr("unknown field \"inserts\" at /drawings/0/pageSetups/0"));
}

TEST(StandinWildcard, MatchesNamesAsTheApplicationsPatternsDo) {
    EXPECT_TRUE(wildcardMatch("*U12", "`*U*"));
    EXPECT_FALSE(wildcardMatch("XU12", "`*U*")) << "an escaped star is a star";
    EXPECT_TRUE(wildcardMatch("a1-title", "A1-TITLE")) << "letter case does not count";
    EXPECT_TRUE(wildcardMatch("A-101", "@.###"));
    EXPECT_FALSE(wildcardMatch("A-10B", "@.###"));
    EXPECT_TRUE(wildcardMatch("B-TITLE", "A*,B*"));
    EXPECT_FALSE(wildcardMatch("Model", "~Model"));
    EXPECT_TRUE(wildcardMatch("A-101", "~Model"));
    EXPECT_TRUE(wildcardMatch("SHEET7", "SHEET[5-8]"));
    EXPECT_FALSE(wildcardMatch("SHEET7", "SHEET[~5-8]"));
    EXPECT_TRUE(wildcardMatch("a,b", "a`,b"));
    EXPECT_TRUE(wildcardMatch("Übersicht", "?bersicht")) << "one character, not one byte";
}

}  // namespace
}  // namespace quillon::standin::testing
