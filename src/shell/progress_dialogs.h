// The two progress dialogs, each running one worker thread (the protocol between them: shared/protocol.h).
#pragma once

#include <windows.h>

INT_PTR CALLBACK searchingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK verifyingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// "INSTALLERVERIFYINGJVMSCREEN": 0 when cancelled or closed, 1 when every candidate was verified.
int showVerifyingDialog();
// "INSTALLERSEARCHINGSCREEN": 0 when cancelled or closed, 1 when the search finished.
int showSearchingDialog();
