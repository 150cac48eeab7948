// Process exit codes of quiet runs and removals: the Windows system error numbers that deployment tools know.
// An interactive installation ends with 0 whatever happened, but for a log it cannot open (1622).
#pragma once

constexpr int kExitDone = 0;
constexpr int kExitRestartNeeded = 3010; // done; the 9x family must restart for autoexec.bat
constexpr int kExitCancelled = 1602;     // the user did not want the removal
constexpr int kExitIncomplete = 1603;    // not written, or a VM does not see the bridge (the log says what)
constexpr int kExitNotInstalled = 1605;  // a removal with nothing installed
constexpr int kExitAnotherRuns = 1618;   // another copy of the installer runs
constexpr int kExitLogUnusable = 1622;   // the log cannot be opened: nothing changed
constexpr int kExitUnknownSwitch = 1639; // a quiet run with a switch it does not know: nothing changed
constexpr int kExitNoVm = 1168;          // a quiet installation found no usable VM: nothing changed

// What an exit code means, for the last line of the log.
inline const char *exitCodeMeaning(int code) {
    switch (code) {
    case kExitDone:
        return "done";
    case kExitRestartNeeded:
        return "done; the system must be restarted";
    case kExitCancelled:
        return "cancelled by the user";
    case kExitIncomplete:
        return "something could not be written, or a VM does not see the bridge";
    case kExitNotInstalled:
        return "nothing is installed";
    case kExitAnotherRuns:
        return "another copy of the installer runs";
    case kExitLogUnusable:
        return "the log cannot be opened";
    case kExitUnknownSwitch:
        return "a switch that the installer does not know";
    case kExitNoVm:
        return "no usable Java VM found";
    default:
        return "unknown";
    }
}
