#include <gtest/gtest.h>

#include "win/ComInit.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    quillon::win::ComInit com;
    return RUN_ALL_TESTS();
}
