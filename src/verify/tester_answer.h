// What the tester's exit code says about a VM.
#pragma once

#include <cstdint>

struct TesterAnswer {
    bool answered = false; // false: the VM gave no answer (failed to start, or exit code 0 or below)
    std::int32_t compatible = 0;
    std::int32_t isJava11 = 0;
    std::int32_t isJava14 = 0;
};

// Only bits 1 to 3 of a positive exit code carry meaning.
constexpr std::uint32_t kBitUsable = 1u << 1;      // the VM can carry the bridge
constexpr std::uint32_t kBitLaterThan11 = 1u << 2; // clear: a VM of the 1.1 generation
constexpr std::uint32_t kBitJava14 = 1u << 3;      // a VM of the 1.4 generation

// The exit code is taken as a signed 32-bit value, so that one with bit 31 set is no answer.
TesterAnswer decodeTesterExitCode(std::uint32_t exitCode);
