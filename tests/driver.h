// Works the real installer.exe as a user would (across processes) and lays out the machine it runs on.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// One run of installer.exe, in a job that the run ends: no stand-in VM outlives its test and its output.
struct InstallerRun {
    PROCESS_INFORMATION pi = {};
    HANDLE job = CreateJobObjectA(nullptr, nullptr); // its processes end when it closes, or this one ends
    InstallerRun();
    ~InstallerRun() { endAll(), CloseHandle(job); }
    // Starts exe in dir, with these variables set in its environment (and in this process's).
    bool start(const std::string &exe, const std::string &dir,
               const std::vector<std::pair<std::string, std::string>> &env, const std::string &args = "");
    // The visible dialog with this caption, or any (its caption in *seen); null after the time-out.
    HWND waitDialog(const char *caption, DWORD timeoutMs = 15000, std::string *seen = nullptr);
    bool waitGone(HWND dialog, DWORD timeoutMs);
    bool waitExit(DWORD timeoutMs, DWORD &exitCode);
    int endAll(); // ends the installer and all it started; how many of those still ran
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION processes(); // counts of the job's processes, ended ones too
    std::string running(); // the job's live processes and the installer's dialogs, for a failure to show
};

std::vector<std::pair<HWND, std::string>> processDialogs(DWORD pid); // visible dialogs, with their captions
std::string controlText(HWND dialog, int id);
std::vector<std::string> listItems(HWND dialog, int id);
bool clickButton(HWND dialog, int id); // false when the button is missing or disabled
void toggleListItem(HWND dialog, int listId, int index);
void typeKey(HWND dialog, UINT key); // into the control that has the focus
void pressCloseBox(HWND dialog);

bool makeDirs(const std::string &path);
bool writeFile(const std::string &path, const std::string &content); // creates its folder
bool readFile(const std::string &path, std::string &content);
// Calls visit for everything under dir, the contents of a folder first; links are never followed.
void walkTree(const std::string &dir,
              const std::function<void(const std::string &path, DWORD attributes)> &visit);
void removeTree(const std::string &path, bool self = true);
bool setMachineValue(const std::string &key, const char *name, DWORD type, const std::string &data);
std::string hostPathFromEnv(const char *variable); // a path of the build machine, as Windows sees it
// Copies the stand-in launcher (OSTREL_STANDIN) into dir under each name, with its answers: the lines of
// its standin.cfg, such as "*=14", "jrew.exe=7,1500" (after 1.5 s) or "javaw.exe=0,forever".
bool placeStandin(const std::string &dir, const std::vector<std::string> &names,
                  const std::vector<std::string> &config);
