#include "verify/tester_answer.h"

#include <gtest/gtest.h>

namespace {
struct Case {
    std::uint32_t code;
    bool answered;
    int compatible, isJava11, isJava14;
};

TEST(TesterExitCode, EachBitMeansWhatItSays) {
    const Case cases[] = {
        {14, true, 1, 0, 1},  // usable, later generation, 1.4 branch
        {6, true, 1, 0, 0},   // usable, 1.2/1.3
        {2, true, 1, 1, 0},   // usable, 1.1
        {4, true, 0, 0, 0},   // not usable, later generation
        {1, true, 0, 1, 0},   // an answer although no meaningful bit is set
        {18, true, 1, 1, 0},  // bit 4 has no effect
        {256, true, 0, 1, 0}, // positive, bits 1 to 3 clear
        {15, true, 1, 0, 1},  // bit 0 has no effect
        {0x7FFFFFFF, true, 1, 0, 1},
        {10, true, 1, 1, 1}, // contradictory (1.1 and 1.4) is passed on as it stands
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        const TesterAnswer a = decodeTesterExitCode(c.code);
        EXPECT_EQ(a.answered, c.answered);
        EXPECT_EQ(a.compatible, c.compatible);
        EXPECT_EQ(a.isJava11, c.isJava11);
        EXPECT_EQ(a.isJava14, c.isJava14);
    }
}

TEST(TesterExitCode, ZeroNegativeAndBit31AreNoAnswer) {
    for (std::uint32_t code :
         {0u, 0xFFFFFFFFu /* -1, a failed launch */, 0x80000000u, 0x8000000Eu, 0xC0000005u}) {
        SCOPED_TRACE(code);
        const TesterAnswer a = decodeTesterExitCode(code);
        EXPECT_FALSE(a.answered);
        EXPECT_EQ(a.compatible, 0);
    }
}
} // namespace
