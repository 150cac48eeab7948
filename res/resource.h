// Control ids shared by the dialog templates and the code.
#pragma once

// Buttons
#define IDC_CANCEL 10001
#define IDC_INSTALL 10002
#define IDC_INSTALL_ALL 10003
#define IDC_SEARCH 10004

// Static texts
#define IDC_PROMPT 10010
#define IDC_STATUS 30001

// List boxes
#define IDC_VM_LIST 40001
#define IDC_DRIVE_LIST 50001
