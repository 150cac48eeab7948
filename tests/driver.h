// Works the real installer.exe as a user would, and lays out the machine it runs on: folders, files,
// registry values and stand-in VM launchers. Shared by the scenario runner and the demo's scripted user.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// One run of installer.exe. Every process it starts belongs to a job that the run ends, so that no
// stand-in VM outlives its test and holds the test runner's output open.
struct InstallerRun {
    PROCESS_INFORMATION pi = {};
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    ~InstallerRun() {
        endAll();
        CloseHandle(job);
    }
    // Starts exe in dir, with these variables set in its environment (and this process's).
    bool start(const std::string &exe, const std::string &dir,
               const std::vector<std::pair<std::string, std::string>> &env, const std::string &args = "");
    // The installer's visible dialog with this caption, or any (its caption in *seen); null after the
    // time-out or once the installer has ended.
    HWND waitDialog(const char *caption, DWORD timeoutMs = 15000, std::string *seen = nullptr);
    bool waitGone(HWND dialog, DWORD timeoutMs);
    bool waitExit(DWORD timeoutMs, DWORD &exitCode);
    int endAll(); // ends the installer and every process it started; how many of those still ran
};

// Every visible dialog of a process, with its caption.
std::vector<std::pair<HWND, std::string>> processDialogs(DWORD pid);
// Control helpers; each works across processes, and the presses are posted as a click would post them.
std::string controlText(HWND dialog, int id);
std::vector<std::string> listItems(HWND dialog, int id);
bool clickButton(HWND dialog, int id); // false when the button is missing or disabled
void toggleListItem(HWND dialog, int listId, int index);
void typeKey(HWND dialog, UINT key); // into the control that has the focus
void pressCloseBox(HWND dialog);

bool makeDirs(const std::string &path);
bool writeFile(const std::string &path, const std::string &content); // creates its folder
bool readFile(const std::string &path, std::string &content);
void removeTree(const std::string &path, bool self = true); // links are removed, never followed
bool setMachineValue(const std::string &key, const char *name, DWORD type, const std::string &data);
// A path from the build machine, handed over in an environment variable, as Windows sees it.
std::string hostPathFromEnv(const char *variable);
// Copies the stand-in launcher (OSTREL_STANDIN) into dir under each name, with its answers: the lines of
// standin.cfg beside it, such as "*=14", "jrew.exe=7,1500" (after 1.5 s) or "javaw.exe=0,forever".
bool placeStandin(const std::string &dir, const std::vector<std::string> &names,
                  const std::vector<std::string> &config);
