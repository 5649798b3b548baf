#include <atomic>
#include <optional>
#include <thread>

#include "StandinTestSupport.h"

namespace quillon::standin::testing {
namespace {

class StandinQuestions : public StandinTest {
protected:
    json drawingsWithEveryQuestion() {
        json drawings = json::array();
        for (const char* trait : {"proxies", "untrusted", "damaged", "code", "signed", "missingFont"})
            drawings.push_back({{"file", std::string(trait) + ".dwg"}, {trait, true}});
        return drawings;
    }
    ObjectPtr setVariable(const char* name, Value value) {
        auto document = activeDocument();
        document->call("SetVariable", {Value(name), std::move(value)});
        return document;
    }
};

TEST_F(StandinQuestions, EachQuestionHoldsOpenUntilAnsweredOrTheProcessEndsUnlessItsVariableKeepsItAway) {
    for (const char* trait : {"proxies", "untrusted", "damaged", "code", "signed", "missingFont"})
        dir.file(std::string(trait) + ".dwg");
    const std::string blank = dir.file("Blank.dwg");
    start({{"drawings", drawingsWithEveryQuestion()}});
    open(blank);
    auto document = activeDocument();
    for (const char* name : {"PROXYNOTICE", "DWGCHECK", "SECURELOAD", "SIGWARN"})
        EXPECT_EQ(document->call("GetVariable", {Value(name)}).toInt(), 1) << name;
    EXPECT_EQ(document->call("GetVariable", {Value("RECOVERAUTO")}).toInt(), 0);

    // Nobody answers: only the end of the process releases the call.
    std::atomic<bool> returned{false};
    std::optional<AutomationError> failure;
    std::thread caller([&] {
        try {
            open(dir.at("untrusted.dwg"));
        } catch (const AutomationError& error) {
            failure = error;
        }
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_FALSE(returned.load()) << "a question waits for ever";
    engine->kill();
    caller.join();
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->serverGone());
    auto questions = [&] {
        std::vector<std::string> asked;
        for (const auto& e : engine->journal())
            if (e.type == standin::JournalEntryType::Question)
                asked.push_back(std::filesystem::path(e.question.drawing).filename().string() + " " + e.question.variable);
        return asked;
    };
    EXPECT_EQ(questions(), std::vector<std::string>{"untrusted.dwg DWGCHECK"}) << "journalled as the box comes up";

    // The values that keep every question away: each drawing opens at once.
    start({{"drawings", drawingsWithEveryQuestion()}});
    open(blank);
    setVariable("PROXYNOTICE", Value(std::int16_t{0}));
    setVariable("DWGCHECK", Value(std::int16_t{2}));
    setVariable("RECOVERAUTO", Value(std::int16_t{3}));
    setVariable("SECURELOAD", Value(std::int16_t{2}));
    setVariable("SIGWARN", Value(std::int16_t{0}));
    EXPECT_EQ(failureOf([&] { setVariable("SECURELOAD", Value(std::int16_t{3})); }).description(),
              "Invalid input: 3 is not a valid value for SECURELOAD");
    for (const char* trait : {"proxies", "untrusted", "damaged", "code", "signed", "missingFont"})
        open(dir.at(std::string(trait) + ".dwg"));
    EXPECT_EQ(documents()->get("Count").toInt(), 7);

    // An answer after the scenario's time lets the open go on.
    start({{"drawings", drawingsWithEveryQuestion()}, {"answerMilliseconds", 50}});
    open(blank);
    setVariable("FONTALT", Value(""));
    open(dir.at("missingFont.dwg"));
    EXPECT_EQ(documents()->get("Count").toInt(), 2);
    EXPECT_EQ(questions(), std::vector<std::string>{"missingFont.dwg FONTALT"});
}

TEST_F(StandinQuestions, RecoverAuto2AsksAsNewerReleasesDoAndAnInvalidSignatureAsksWhateverSigwarnIs) {
    const std::string damaged = dir.file("damaged.dwg"), invalid = dir.file("invalid.dwg");
    start({{"drawings", {{{"file", "damaged.dwg"}, {"damaged", true}}, {{"file", "invalid.dwg"}, {"invalidSignature", true}}}},
           {"answerMilliseconds", 20}});
    open(dir.file("Blank.dwg"));
    setVariable("RECOVERAUTO", Value(std::int16_t{2}));
    setVariable("SIGWARN", Value(std::int16_t{0}));
    open(damaged);
    open(invalid);
    std::vector<std::string> asked;
    for (const auto& e : engine->journal())
        if (e.type == standin::JournalEntryType::Question) asked.push_back(e.question.variable);
    EXPECT_EQ(asked, (std::vector<std::string>{"RECOVERAUTO", "SIGWARN"}));
}

TEST_F(StandinQuestions, TheProfileOutlivesTheApplicationAndItsOpensAreLimited) {
    const std::string a = dir.file("A.dwg");
    const json scenario = {{"profile", "profile.json"}, {"backgroundPlot", 2}, {"openLimit", 2}};
    start(scenario);
    open(a);
    setVariable("PROXYNOTICE", Value(std::int16_t{0}));
    setVariable("BACKGROUNDPLOT", Value(std::int16_t{0}));
    const json written = json::parse(readText(dir.at("profile.json")));
    EXPECT_EQ(written, json({{"PROXYNOTICE", 0}, {"BACKGROUNDPLOT", 0}})) << "only the values changed";

    start(scenario);
    open(a);
    auto document = activeDocument();
    EXPECT_EQ(document->call("GetVariable", {Value("PROXYNOTICE")}).toInt(), 0);
    EXPECT_EQ(document->call("GetVariable", {Value("BACKGROUNDPLOT")}).toInt(), 0) << "the profile wins";
    EXPECT_EQ(document->call("GetVariable", {Value("DWGCHECK")}).toInt(), 1);
    open(a);
    EXPECT_EQ(failureOf([&] { open(a); }).description(), "Cannot open " + a + ": out of memory");
}

}  // namespace
}  // namespace quillon::standin::testing
