// Test main: takes the program under test as --player PATH.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/e2e/harness.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--player") == 0 && i + 1 < argc) {
            e2e::setPlayerPath(argv[i + 1]);
        }
    }
    return RUN_ALL_TESTS();
}
