// The two progress dialogs, each running one worker thread, and the protocol between dialog and worker.
#pragma once

#include <windows.h>

#include "shell/handles.h"

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
bool workerMayContinue(HANDLE token);

INT_PTR CALLBACK searchingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK verifyingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// "INSTALLERVERIFYINGJVMSCREEN": 0 when cancelled or closed, 1 when every candidate was verified.
int showVerifyingDialog();
// "INSTALLERSEARCHINGSCREEN": 0 when cancelled or closed, 1 when the search finished.
int showSearchingDialog();
