// Running the tester class inside one VM.
#include <windows.h>

#include <new>
#include <optional>
#include <string>

#include "log/run_log.h"
#include "platform/ascii_text.h"
#include "platform/handles.h"
#include "shared/vm_entry.h"
#include "verify/probe_limit.h"
#include "verify/tester_answer.h"

namespace {
// One launch attempt, in the order the VMs are tried.
struct LaunchAttempt {
    const char *suffix;  // appended to binDir to name the program file
    const char *command; // the command line: launcher name, a blank, the arguments
};

constexpr LaunchAttempt kAttempts[] = {
    {"\\javaw.exe", "javaw.exe OstrelTester"},
    {"\\jrew.exe", "jrew.exe -cp . OstrelTester"},
};

constexpr DWORD kLaunchFailed = 0xFFFFFFFF; // -1: no answer

// Starts the program with the installer's environment and current directory (which holds the tester)
// and waits for its exit code. A VM that has not answered within the limit, or when the cancel token is
// set, is ended: no VM the installer started outlives its run.
DWORD launch(const std::string &program, const char *command, HANDLE cancel, bool &cancelled) {
    std::string commandLine(command); // CreateProcessA may write into its command line
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi))
        return kLaunchFailed;
    UniqueObject process(pi.hProcess);
    UniqueObject thread(pi.hThread);
    const HANDLE objects[] = {process.get(), cancel};
    const DWORD waited =
        WaitForMultipleObjects(cancel ? 2 : 1, objects, FALSE, static_cast<DWORD>(probeLimitMs()));
    DWORD code = kLaunchFailed;
    if (waited != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &code)) {
        (void)TerminateProcess(process.get(), kLaunchFailed);
        cancelled = waited == WAIT_OBJECT_0 + 1;
        return kLaunchFailed;
    }
    return code;
}
// CLASSPATH in this program's environment for the start in its scope, and gone again on every way out of
// it: no other VM may inherit it.
class ClasspathForThisStart {
  public:
    explicit ClasspathForThisStart(const std::optional<std::string> &value) {
        if (value)
            (void)SetEnvironmentVariableA("CLASSPATH", value->c_str());
    }
    ~ClasspathForThisStart() { (void)SetEnvironmentVariableA("CLASSPATH", nullptr); }
    ClasspathForThisStart(const ClasspathForThisStart &) = delete;
    ClasspathForThisStart &operator=(const ClasspathForThisStart &) = delete;
};

// The tester's answer in the log: the exit code and what it says.
void logAnswer(const std::string &program, DWORD code, const TesterAnswer &answer) {
    if (code == kLaunchFailed) {
        runLog::line({"tester in ", program, ": no answer (did not start, or was ended)"});
        return;
    }
    const char *said = !answer.answered     ? "no answer"
                       : !answer.compatible ? "cannot carry the bridge"
                       : answer.isJava14 && answer.isJava11
                           ? "usable, but says both the 1.1 and the 1.4 generation"
                       : answer.isJava14 ? "usable, 1.4 generation"
                       : answer.isJava11 ? "usable, 1.1 generation"
                                         : "usable, 1.2 or 1.3 generation";
    runLog::line({"tester in ", program, ": exit code ", DecimalText(static_cast<long>(code)), ": ", said});
}
} // namespace

int VmEntry::probe(void *cancelToken) {
    // Memory that runs out here is the worker's to report: a VM left untried must not pass for one that
    // failed.
    compatible = 0;
    bool cancelled = false;
    for (const LaunchAttempt &attempt : kAttempts) {
        const std::string program = binDir + attempt.suffix;
        const DWORD code = launch(program, attempt.command, cancelToken, cancelled);
        const TesterAnswer answer = decodeTesterExitCode(code);
        logAnswer(program, code, answer);
        if (cancelled)
            break;
        if (!answer.answered)
            continue;
        compatible = answer.compatible;
        isJava11 = answer.isJava11;
        isJava14 = answer.isJava14;
        launcher = attempt.suffix + 1; // without its backslash
        return compatible;
    }
    return 0;
}

unsigned long VmEntry::prove(const std::string &classpath, const std::string &testerDir) const {
    const ProofLaunch how = proofLaunch(launcher, isJava11 != 0, classpath, testerDir);
    const std::string program = binDir + "\\" + launcher;
    DWORD code = kLaunchFailed;
    {
        const ClasspathForThisStart only(how.classpath);
        bool cancelled = false;
        code = launch(program, how.command.c_str(), nullptr, cancelled);
    }
    const ProofAnswer answer = decodeProofExitCode(code);
    const std::string lacks = proofLacks(answer);
    runLog::line({"proof in ", program, ": exit code ", DecimalText(static_cast<long>(code)), ": ",
                  !answer.answered ? "no answer (did not start, or was ended)"
                  : lacks.empty()  ? "it sees the bridge"
                                   : "it lacks " + lacks});
    return code;
}
