// The dialogs in which the user chooses VMs, or learns that none was found.
#pragma once

#include <windows.h>

#include <vector>

struct VmEntry;

// State of the open list dialog: the entries of vmList when it opened, element i behind list item i.
extern int g_vmListCount;
extern std::vector<VmEntry *> g_vmListEntries;

INT_PTR CALLBACK vmListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK noVmsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Each shows one template modally and returns its result, a wizard choice.
int showNoVmsDialog();
int showPathListDialog();
int showVmListDialog();
