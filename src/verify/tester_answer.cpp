#include "verify/tester_answer.h"

TesterAnswer decodeTesterExitCode(std::uint32_t exitCode) {
    TesterAnswer a;
    if (exitCode == 0 || (exitCode & 0x80000000u) != 0)
        return a;
    a.answered = true;
    a.compatible = (exitCode & kBitUsable) ? 1 : 0;
    a.isJava11 = (exitCode & kBitLaterThan11) ? 0 : 1;
    a.isJava14 = (exitCode & kBitJava14) ? 1 : 0;
    return a;
}
