#include <gtest/gtest.h>
#include <windows.h>

#include "win/ComInit.h"
#include "win/MessageFilter.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Servers these tests start inherit the environment; a journal path set
    // for someone else's run must not redirect theirs.
    SetEnvironmentVariableW(L"QUILLON_STANDIN_JOURNAL", nullptr);
    SetEnvironmentVariableW(L"QUILLON_STANDIN_SCENARIO", nullptr);
    quillon::win::ComInit com;
    quillon::win::MessageFilterScope filter;
    return RUN_ALL_TESTS();
}
