// The main of every test program: the tests run in a home folder of their own.
#include "tests/support/OwnHome.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testsupport::OwnHome home;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
