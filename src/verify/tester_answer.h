// What the tester's exit code says about a VM.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

// What the tester's proof (OstrelTester proof), run in a VM after the installation, says of it.
struct ProofAnswer {
    bool answered = false;
    bool configured = false;  // the configuration this VM reads names the bridge
    bool jarsInPlace = false; // the bridge's jars are where this VM looks
    bool classesLoad = false; // the classes that configuration names load
};

constexpr std::uint32_t kProofConfigured = 1u << 1;
constexpr std::uint32_t kProofJarsInPlace = 1u << 2;
constexpr std::uint32_t kProofClassesLoad = 1u << 3;

ProofAnswer decodeProofExitCode(std::uint32_t exitCode);
// What a VM without proof lacks, for the closing message and the log: "no answer", or those of
// "configuration, jars, classes" that it lacks; empty when it is proven.
std::string proofLacks(const ProofAnswer &answer);

// How the proof is started in a VM: its command line, and the CLASSPATH it is given, if any.
struct ProofLaunch {
    std::string command;
    std::optional<std::string> classpath;
};
// The proof by the launcher that answered the tester ("javaw.exe" or "jrew.exe"). A 1.1 VM finds the bridge
// through the class path, so it gets the one that programs started afterwards get (classpath) and the
// tester's folder: through CLASSPATH for javaw, through -cp for jrew, whose -cp replaces CLASSPATH. A later
// VM finds the bridge in its extension directory and is started as the tester was.
ProofLaunch proofLaunch(const std::string &launcher, bool isJava11, const std::string &classpath,
                        const std::string &testerDir);
