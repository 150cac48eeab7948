// The main of every GoogleTest program here: one that runs no test fails, so that a filter or a build that
// left the tests out cannot pass for a suite that passed.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    if (::testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::puts("no test to run");
        return 1;
    }
    return failed;
}
