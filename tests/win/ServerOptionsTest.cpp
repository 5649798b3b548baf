#include <gtest/gtest.h>
#include <windows.h>

#include "standin/server/ServerOptions.h"

namespace quillon::standin_server {
namespace {

ServerOptions parse(std::vector<std::wstring> args) { return parseCommandLine(args); }

TEST(ServerOptions, AcceptsTheSwitchesComSendsInAnySpelling) {
    EXPECT_EQ(parse({L"-Embedding"}).mode, ServerMode::Embedding);
    EXPECT_EQ(parse({L"/embedding"}).mode, ServerMode::Embedding);
    EXPECT_EQ(parse({L"/REGSERVER"}).mode, ServerMode::RegServer);
    EXPECT_EQ(parse({L"-UnregServer"}).mode, ServerMode::UnregServer);
    EXPECT_EQ(parse({}).mode, ServerMode::Running) << "started by hand, like the real application";
}

TEST(ServerOptions, TakesTheScenarioOnEitherSideOfTheMode) {
    auto before = parse({L"--scenario", L"C:\\Scenarios\\busy one.json", L"-Embedding"});
    EXPECT_EQ(before.mode, ServerMode::Embedding);
    EXPECT_EQ(before.scenario, L"C:\\Scenarios\\busy one.json");
    EXPECT_EQ(parse({L"/Running", L"/scenario", L"a.json"}).scenario, L"a.json");
}

TEST(ServerOptions, RefusesWhatItDoesNotKnow) {
    EXPECT_THROW(parse({L"--scenario"}), UsageError);
    EXPECT_THROW(parse({L"/Automation"}), UsageError);
}

TEST(ServerOptions, FindsTheScenarioOnTheCommandLineThenInTheEnvironmentThenBesideTheServer) {
    const std::wstring exe = L"C:\\Program Files\\Quillon\\quillon-standin.exe";
    ServerOptions options;
    SetEnvironmentVariableW(L"QUILLON_STANDIN_SCENARIO", nullptr);
    EXPECT_EQ(resolveScenarioPath(options, exe), L"C:\\Program Files\\Quillon\\standin-scenario.json");

    SetEnvironmentVariableW(L"QUILLON_STANDIN_SCENARIO", L"D:\\from-environment.json");
    EXPECT_EQ(resolveScenarioPath(options, exe), L"D:\\from-environment.json");
    options.scenario = L"E:\\from-command-line.json";
    EXPECT_EQ(resolveScenarioPath(options, exe), L"E:\\from-command-line.json");
    SetEnvironmentVariableW(L"QUILLON_STANDIN_SCENARIO", nullptr);
}

}  // namespace
}  // namespace quillon::standin_server
