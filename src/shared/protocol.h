// Private window messages, the protocol between a progress dialog and its worker, and the wizard choices,
// shared by the shell, its dialogs and their workers.
#pragma once

#include <windows.h>

#include "platform/handles.h"

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

// The cancel token of the open progress dialog: a manual-reset event, set on Cancel and close. It is
// never closed while its worker may still poll it, so that every poll after a cancellation reports
// stop, also after the dialog is gone (a closed handle's value could be reused by a later object).
extern UniqueObject g_cancelToken;
// Window of the open searching or verifying dialog; written before its worker starts.
extern HWND g_searchingDialog;
extern HWND g_verifyingDialog;

// A worker: takes no argument, reports through messages, posts WM_WORK_DONE as its last act. One that
// runs out of memory ends its dialog as a cancel would.
using WorkerRoutine = void (*)();

// The worker's poll before each unit of work: true while it may go on.
inline bool workerMayContinue(HANDLE token) {
    return token != nullptr && WaitForSingleObject(token, 0) == WAIT_TIMEOUT;
}
