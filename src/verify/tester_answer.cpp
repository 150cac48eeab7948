#include "verify/tester_answer.h"

#include <utility>

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

ProofAnswer decodeProofExitCode(std::uint32_t exitCode) {
    ProofAnswer a;
    if (exitCode == 0 || (exitCode & 0x80000000u) != 0)
        return a;
    a.answered = true;
    a.configured = (exitCode & kProofConfigured) != 0;
    a.jarsInPlace = (exitCode & kProofJarsInPlace) != 0;
    a.classesLoad = (exitCode & kProofClassesLoad) != 0;
    return a;
}

std::string proofLacks(const ProofAnswer &answer) {
    if (!answer.answered)
        return "no answer";
    std::string lacks;
    for (const auto &[has, what] : {std::pair<bool, const char *>{answer.configured, "configuration"},
                                    {answer.jarsInPlace, "jars"},
                                    {answer.classesLoad, "classes"}})
        if (!has)
            lacks += (lacks.empty() ? "" : ", ") + std::string(what);
    return lacks;
}

ProofLaunch proofLaunch(const std::string &launcher, bool isJava11, const std::string &classpath,
                        const std::string &testerDir) {
    const bool jrew = launcher == "jrew.exe";
    if (!isJava11)
        return {jrew ? "jrew.exe -cp . OstrelTester proof" : "javaw.exe OstrelTester proof", std::nullopt};
    const std::string path = classpath.empty() ? testerDir : classpath + ";" + testerDir;
    if (jrew)
        return {"jrew.exe -cp \"" + path + "\" OstrelTester proof", std::nullopt};
    return {"javaw.exe OstrelTester proof", path};
}
