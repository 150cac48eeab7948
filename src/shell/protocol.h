// Private window messages and wizard choices shared by the shell, its dialogs and their workers.
#pragma once

#include <windows.h>

// Worker to progress dialog; wParam is always 0.
constexpr UINT WM_PROGRESS_TEXT = 0x500; // sent, lParam: the text to show
constexpr UINT WM_VM_FOUND = 0x501;      // sent, lParam: a directory holding java.exe
constexpr UINT WM_WORK_DONE = 0x502;     // posted, lParam 0

// Posted once to the hidden main window to start the run.
constexpr UINT WM_INSTALLER_RUN = 0x550;

// Results of the selection dialogs.
constexpr int CHOICE_CANCEL = 0;
constexpr int CHOICE_INSTALL = 1;
constexpr int CHOICE_SEARCH_DISKS = 2;
