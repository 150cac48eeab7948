// The one context object of a run, and the globals that the dialogs share with it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shared/payload.h"
#include "shared/vm_entry.h"

struct Installer {
    std::unique_ptr<VmEntry> vmList;             // candidate VMs; discovery pushes at the head
    std::unique_ptr<PathEntry> pathList;         // directories to examine
    std::string sourceDir;                       // the directory that was current at start-up
    std::string inheritedClasspath;              // CLASSPATH as this program got it, before it is cleared
    std::vector<std::string> failedDestinations; // what install could not write, for the closing message
    bool restartNeeded = false;  // autoexec.bat names the jars, but the system has not started with it yet
    bool machineChanged = false; // install wrote a file or the registry

    std::vector<std::string> vmsLeftAsTheyWere; // binDir of each chosen VM that did not get the bridge
    std::vector<std::string> vmsWithoutProof;   // "<binDir> (what it lacks)" of each that got it but does
                                                // not see it
    std::string classpathAfter; // the CLASSPATH that programs started after the installation get

    // The longest start-up directory from which every payload path fits the platform's paths (219).
    static constexpr std::string::size_type kMaxSourceDir = MAX_PATH - 1 - longestPayloadSuffix();

    Installer();

    // True when sourceDir was read and names every payload file whole; otherwise the run must not touch the
    // machine.
    bool sourceDirUsable() const { return !sourceDir.empty() && sourceDir.size() <= kMaxSourceDir; }

    // The wizard. A run that runs out of memory ends with the cancellation message, or with the one of an
    // incomplete installation once something was written.
    void run();
    void runWizard();
    int discoverAndVerify();
    int searchDisks();
    static void showFinalMessage(int completed, int restartNeeded);
    void showIncompleteMessage(bool restart);

    // The quiet installation: every usable VM in the common places and on these drives, no window; its exit
    // code.
    int runQuiet(const std::vector<char> &searchDrives);

    // Discovery in the common places.
    int scanPath();
    int scanRegistry();
    int collectCandidates();
    static int hasLauncher(const char *dir);
    // A VM found (in dir, named by origin): at the head of vmList, and in the log. std::bad_alloc when there
    // is no memory to keep it: a run that lost a find must not pass for one that found none.
    void keepFind(const char *dir, std::string_view origin);

    // Layout resolution and pruning of vmList.
    int resolveAndPrune();

    // Copies the bridge's files into the selected VMs; -1, 0 or 1.
    int install();
    // Asks each VM that got the bridge whether it sees it now; those that do not go to vmsWithoutProof.
    void proveInstallation();
    // Whether the installation must be reported incomplete: something was not written, or a VM does not
    // see the bridge.
    bool incomplete() const { return !failedDestinations.empty() || !vmsWithoutProof.empty(); }
};

extern HINSTANCE g_instance;
extern Installer *g_installer;

// Removes CLASSPATH from the installer's own environment, so that no VM started later inherits it.
void clearClasspath();
