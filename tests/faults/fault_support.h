// What every fault test needs: a picture of the machine taken before and after a run, the one closing
// message and the end of the installer, the stand-ins a run left running, long paths, and counts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "machine.h"

// The bridge's two lines as the installer writes them into awt.properties.
constexpr const char *kEventQueueLine =
    "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\r\n";
constexpr const char *kAssistiveLine = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\r\n";

// lowerAscii, fileContent and systemDirectory come from test_support.h (through machine.h).

// ---- Long paths. The narrow functions stop at MAX_PATH even with a \\?\ prefix, so what lies beyond is
// made and read with the wide ones.
bool makeLongDirs(const std::string &path);
bool writeLongFile(const std::string &path, const std::string &content);
bool readLongFile(const std::string &path, std::string &content);
bool longPathExists(const std::string &path);
// Stand-in launchers (java.exe, javaw.exe) that answer `answer`, in a bin folder of any length.
bool placeLongStandin(const std::string &bin, const std::string &answer);
// Removes a folder tree of any depth; links are removed, never followed.
void removeLongTree(const std::string &path);

// ---- A picture of the machine: files and folders under some roots and a few single files, and
// registry values. Paths and value names are kept in small letters, as the file system and the
// registry compare them.
struct FileState {
    bool directory = false;
    DWORD attributes = 0; // read-only, hidden, system
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
};

struct ValueState {
    DWORD type = 0;
    std::string data;
    bool operator==(const ValueState &o) const { return type == o.type && data == o.data; }
};

std::uint64_t contentHash(const std::string &content);

class MachinePicture {
  public:
    // Everything under root, at any depth; the stand-ins' own logs are left out, since every VM start
    // writes them.
    void addTree(const std::string &root);
    // One file, or its absence.
    void addFile(const std::string &path);
    // Every value under a key of HKEY_LOCAL_MACHINE, at any depth, or one value of it.
    void addRegistryTree(const std::string &key);
    void addRegistryValue(const std::string &key, const std::string &name);

    // Takes the picture again, of the same things.
    MachinePicture retake() const;

    std::map<std::string, FileState> files;
    std::map<std::string, ValueState> values; // "key\name"; absent values are not in the map

  private:
    std::vector<std::string> trees_, singleFiles_, registryTrees_;
    std::vector<std::pair<std::string, std::string>> registryValues_;
};

// What a run may change: files that must now hold exactly this content, and values that must now be
// exactly this. Everything else in the picture must be as it was.
struct ExpectedChanges {
    std::map<std::string, std::string> files; // path -> content
    std::map<std::string, ValueState> values; // "key\name" -> value
};

// One line for each difference between after and before that expected does not allow, and for each
// expected change that is missing or only partly there.
std::vector<std::string> unexpectedChanges(const MachinePicture &before, const MachinePicture &after,
                                           const ExpectedChanges &expected = {});
// The picture's key for a registry value.
std::string valueKey(const std::string &key, const std::string &name);

// Everything that one installation could write: each file with the content it would then hold, and
// each registry value with what it would become and the name under which the closing message lists it.
struct PossibleWrites {
    std::map<std::string, std::string> files;
    std::map<std::string, ValueState> values;      // valueKey -> new value
    std::map<std::string, std::string> valueNames; // valueKey -> as the closing message names it
};

// ---- The end of a run.
struct RunEnd {
    bool messageSeen = false;
    DWORD messageAfterMs = 0; // from the call of finishRun to the closing message
    std::string caption, text;
    int furtherDialogs = 0; // dialogs of the installer seen after the closing message was answered
    bool exited = false;
    DWORD exitCode = 0;
};

// Waits for the closing message box, answers it, and waits for the process to end, answering (and
// counting) any further dialog that shows up meanwhile.
RunEnd finishRun(InstallerRun &run, DWORD messageTimeoutMs = 20000);
// The checks that hold after every run: exactly one closing message, with this caption and text, and an
// exit code of 0.
void expectOneClosingMessage(const RunEnd &end, const std::string &caption, const std::string &text);

// The closing message of an installation tells the truth: success only when every possible write was
// done, or "Installation Incomplete" listing some of them; whatever it lists is as it was, whatever it
// does not list is complete, and nothing else changed. A restart is asked for exactly when `restartFile`
// (autoexec.bat, on the 9x family) is given and was written. Returns what the message lists, in small
// letters.
std::vector<std::string> expectTruthfulInstallation(const RunEnd &end, const MachinePicture &before,
                                                    const MachinePicture &after,
                                                    const PossibleWrites &possible,
                                                    const char *restartFile = nullptr);

// Ends, by process id, every VM launcher that the installer with this id started and that still runs;
// returns what it ended.
std::vector<std::string> endLeftoverVms(DWORD installerPid);

// ---- Another program that keeps a file open for the length of a run, sharing only what `share` allows.
class FileHolder {
  public:
    FileHolder(const std::string &path, DWORD access, DWORD share);
    ~FileHolder();
    FileHolder(const FileHolder &) = delete;
    FileHolder &operator=(const FileHolder &) = delete;
    bool holding() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// ---- The registry value CLASSPATH of the system environment, saved and put back around a test.
class SavedClasspath {
  public:
    SavedClasspath();
    ~SavedClasspath();
    SavedClasspath(const SavedClasspath &) = delete;
    SavedClasspath &operator=(const SavedClasspath &) = delete;

  private:
    bool present_ = false;
    ValueState value_;
};
bool readMachineValue(const std::string &key, const std::string &name, ValueState &value);
void writeClasspath(const ValueState *value); // null: remove it

// ---- Randomness that can be replayed: one seed for the program, printed, or taken from
// OSTREL_FAULT_SEED; each run draws from its own generator, derived from the seed and its number.
std::uint32_t faultSeed();
std::mt19937 runGenerator(int run);
// A number from OSTREL_<name>, or the fallback.
long envNumber(const char *name, long fallback);

// ---- Failures and counts.
// Failed assertions of the current test so far; a run failed when this grew while it ran.
int failedAssertions();
// A line of the summary that is printed when the program ends, e.g. "random cancel: 50 runs, 0 failures".
void addSummaryLine(const std::string &line);
// Adds to the totals of a group, printed with the summary ("hostile machine: 12 runs, 1900 inputs, ...").
void countRuns(const std::string &group, int runs, int inputs, int failures);
// The extra drive that the fault session links to a folder of its own ("Q:"), or "" outside it.
std::string faultDrive();
