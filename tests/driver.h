// Works the real installer.exe as a user would, and lays out the machine it runs on: folders, files,
// registry values and stand-in VM launchers. Shared by the scenario runner and the demo's scripted user.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// One run of installer.exe. Every process it starts belongs to a job that the run ends, so that no
// stand-in VM outlives its test and holds the test runner's output open.
class InstallerRun {
  public:
    // An environment change for the installer: a value, or nothing to remove the variable.
    using EnvChange = std::pair<std::string, std::optional<std::string>>;

    InstallerRun();
    ~InstallerRun(); // ends the installer and every process it started
    InstallerRun(const InstallerRun &) = delete;
    InstallerRun &operator=(const InstallerRun &) = delete;

    bool start(const std::string &exe, const std::string &workDir, const std::vector<EnvChange> &env = {},
               const std::string &extraArgs = "");
    // A visible dialog of the installer (its caption in *caption), or null after the time-out. With a
    // caption given, only that dialog.
    HWND waitAnyDialog(std::string *caption, DWORD timeoutMs = 15000, const char *wanted = nullptr);
    bool waitGone(HWND dialog, DWORD timeoutMs = 10000);
    bool waitExit(DWORD timeoutMs, DWORD &exitCode);
    // The processes the installer started that still run; ends them all, the installer too.
    int endAll();
    DWORD processId() const { return pi_.dwProcessId; }

  private:
    PROCESS_INFORMATION pi_ = {};
    HANDLE job_ = nullptr;
};

// Every visible dialog of a process, with its caption.
std::vector<std::pair<HWND, std::string>> processDialogs(DWORD pid);
// Control helpers; each works across processes.
std::string controlText(HWND dialog, int id);
std::vector<std::string> listItems(HWND dialog, int id);
bool controlEnabled(HWND dialog, int id);
bool controlExists(HWND dialog, int id);
// Presses a button as a click would; false when the button is missing or disabled.
bool clickButton(HWND dialog, int id);
// Toggles one item of a multiple-selection list box, with the notification a click sends.
bool toggleListItem(HWND dialog, int listId, int index);
// A key typed into the control that has the focus.
void typeKey(HWND dialog, UINT key);
void pressCloseBox(HWND dialog);

bool makeDirs(const std::string &path);
bool writeFile(const std::string &path, const std::string &content); // creates its folder
bool readFile(const std::string &path, std::string &content);
bool fileExists(const std::string &path);
void removeTree(const std::string &path, bool self = true); // links are removed, never followed
bool setMachineValue(const std::string &key, const char *name, DWORD type, const std::string &data);
bool setMachineString(const char *key, const char *name, const std::string &text);
// A path from the build machine, handed over in an environment variable, as Windows sees it.
std::string hostPathFromEnv(const char *variable);

// Copies the stand-in launcher (OSTREL_STANDIN) into dir under each name, with its answers: the lines of
// standin.cfg beside it, such as "*=14", "jrew.exe=7,1500" (after 1.5 s) or "javaw.exe=0,forever".
bool placeStandin(const std::string &dir, const std::vector<std::string> &names,
                  const std::vector<std::string> &config);
