// Drives the real installer.exe as a user would: finds its dialogs by caption, reads and works their
// controls, reads the closing message box, and waits for the process to end.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct MessageBoxSeen {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};

class InstallerRun {
  public:
    // An environment change for the installer: a value, or nothing to remove the variable.
    using EnvChange = std::pair<std::string, std::optional<std::string>>;

    InstallerRun() = default;
    ~InstallerRun(); // ends a process that is still running
    InstallerRun(const InstallerRun &) = delete;
    InstallerRun &operator=(const InstallerRun &) = delete;

    // Starts exe with workDir as its current directory and the given changes to this process's
    // environment; extraArgs is appended to its command line.
    bool start(const std::string &exe, const std::string &workDir, const std::vector<EnvChange> &env = {},
               const std::string &extraArgs = "");

    // The installer's visible dialog with this caption, or null after the time-out.
    HWND waitDialog(const char *caption, DWORD timeoutMs = 15000);
    // Any visible dialog of the installer (its caption in *caption), or null after the time-out.
    HWND waitAnyDialog(std::string *caption, DWORD timeoutMs = 15000);
    // True when no dialog with this caption is open any more within the time-out.
    bool waitGone(HWND dialog, DWORD timeoutMs = 10000);

    // The closing message box: its caption and text; then OK is pressed unless pressOk is false.
    std::optional<MessageBoxSeen> waitMessageBox(DWORD timeoutMs = 15000, bool pressOk = true);

    bool waitExit(DWORD timeoutMs, DWORD &exitCode);
    DWORD processId() const { return pi_.dwProcessId; }

  private:
    PROCESS_INFORMATION pi_ = {};
};

// Control helpers; each works across processes.
std::string controlText(HWND dialog, int id);
std::vector<std::string> listItems(HWND dialog, int id);
std::vector<int> selectedItems(HWND dialog, int id);
bool controlEnabled(HWND dialog, int id);
bool controlExists(HWND dialog, int id);
// Presses a button as a click would; false when the button is missing or disabled.
bool clickButton(HWND dialog, int id);
// Toggles the selection of one item of a multiple-selection list box, with the notification a click sends.
bool toggleListItem(HWND dialog, int listId, int index);
// The Escape key, as the dialog manager receives it.
void pressEscape(HWND dialog);
// The caption's close box.
void pressCloseBox(HWND dialog);
// Saves what the screen shows of a window (caption and frame included) as a 24-bit BMP file.
bool saveWindowImage(HWND window, const std::string &bmpPath);
// Every visible dialog window of a process, with its caption.
std::vector<std::pair<HWND, std::string>> processDialogs(DWORD pid);
