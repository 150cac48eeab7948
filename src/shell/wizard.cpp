// The wizard: the sequence of dialogs from discovery to the closing message box.
#include <windows.h>

#include <stdlib.h> // _putenv

#include <new>

#include "discovery/drive_dialog.h"
#include "log/run_log.h"
#include "platform/handles.h"
#include "select/selection_dialogs.h"
#include "shared/installer.h"
#include "shared/protocol.h"
#include "shell/closing_messages.h"
#include "shell/progress_dialogs.h"

HINSTANCE g_instance = nullptr;
Installer *g_installer = nullptr;

Installer::Installer()
    : sourceDir(currentDirectory()), inheritedClasspath(getenv("CLASSPATH") ? getenv("CLASSPATH") : "") {}

void clearClasspath() {
    // Removed without asking whether it is set: before Vista, GetEnvironmentVariableA reports an empty
    // value as absent, and an empty CLASSPATH would reach the VMs. Removing an absent one changes nothing.
    // Both copies of the environment: the runtime library's and the one that child processes inherit.
    (void)_putenv("CLASSPATH=");
    (void)SetEnvironmentVariableA("CLASSPATH", nullptr);
}

int Installer::discoverAndVerify() {
    (void)scanPath();
    (void)scanRegistry();
    (void)collectCandidates();
    return showVerifyingDialog();
}

int Installer::searchDisks() {
    if (showDriveDialog() == 0)
        return 0;
    if (showSearchingDialog() == 0)
        return 0;
    return showVerifyingDialog();
}

void Installer::run() {
    try {
        runWizard();
    } catch (const std::bad_alloc &) {
        // Out of memory: the run cannot go on. Every file written so far is complete (each is put in place
        // whole), so the message only has to say whether anything was written.
        if (machineChanged)
            showIncompleteMessage(restartNeeded);
        else
            showFinalMessage(0, 0);
    }
}

void Installer::runWizard() {
    clearClasspath();
    if (!sourceDirUsable()) {
        // The installer's own files cannot be named reliably: change nothing.
        showFinalMessage(0, 0);
        return;
    }
    if (discoverAndVerify() == 0) {
        showFinalMessage(0, 0);
        return;
    }
    (void)resolveAndPrune();
    int choice = vmList ? showPathListDialog() : showNoVmsDialog();
    while (choice != CHOICE_INSTALL) {
        // Only a disk search goes on; a cancel, a close or a dialog that failed ends the run.
        if (choice != CHOICE_SEARCH_DISKS || searchDisks() == 0) {
            showFinalMessage(0, 0);
            return;
        }
        (void)resolveAndPrune();
        if (!vmList) {
            choice = showNoVmsDialog();
            continue;
        }
        if (showVmListDialog() == 0) {
            showFinalMessage(0, 0);
            return;
        }
        choice = CHOICE_INSTALL;
    }
    const int result = install();
    if (result >= 0)
        proveInstallation();
    if (result >= 0 && incomplete())
        showIncompleteMessage(restartNeeded); // never report a failure as success, nor hide a restart
    else if (result == 1)
        showFinalMessage(1, 1);
    else if (result == 0)
        showFinalMessage(1, 0);
    else
        showFinalMessage(0, 0);
}

void Installer::showIncompleteMessage(bool restart) {
    const char *caption = restart ? kIncompleteRestartCaption : kIncompleteCaption;
    std::string text;
    try {
        text = incompleteInstallationText(failedDestinations, vmsLeftAsTheyWere, vmsWithoutProof);
    } catch (const std::bad_alloc &) {
        text.clear(); // no memory for the list: the sentence alone still tells the truth
    }
    runLog::line({"closing message: ", caption});
    (void)MessageBoxA(nullptr, text.empty() ? kIncompleteText : text.c_str(), caption,
                      MB_OK | MB_ICONWARNING);
}

void Installer::showFinalMessage(int completed, int restartNeeded) {
    const char *text = completed ? kSuccessText : kCanceledText;
    const char *caption = !completed ? kCanceledCaption : restartNeeded ? kRestartCaption : kCompletedCaption;
    runLog::line({"closing message: ", caption});
    (void)MessageBoxA(nullptr, text, caption, MB_OK);
}
