#include "discovery/drive_dialog.h"

#include <new>

#include "discovery/drive_search.h"
#include "platform/handles.h"
#include "resource.h"
#include "shared/installer.h"

std::int32_t g_listedDrives[kDriveCount] = {};
std::int32_t g_selectedDrives[kDriveCount] = {};

namespace {
// Records, in ascending order, every drive from C: on that can be made current now. A drive without a
// medium is left out here rather than failing later in the search.
void listUsableDrives() {
    const CurrentDirectoryGuard restore;
    const CriticalErrorBoxesOff quiet;
    int listed = 0;
    for (int drive = kFirstOfferedDrive; drive <= kDriveCount; ++drive) {
        if (makeDriveCurrent(drive))
            g_listedDrives[listed++] = drive;
    }
    for (int k = listed; k < kDriveCount; ++k)
        g_listedDrives[k] = 0;
}

void fillDriveList(HWND dialog) {
    for (int k = 0; k < kDriveCount && g_listedDrives[k] != 0; ++k) {
        const char item[] = {'[', driveLetter(g_listedDrives[k]), ':', ']', '\0'};
        SendDlgItemMessageA(dialog, IDC_DRIVE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
}

// The drives behind the selected items become the drives to search; nothing else is.
void recordSelectedDrives(HWND dialog) {
    for (std::int32_t &flag : g_selectedDrives)
        flag = 0;
    int items[kDriveCount];
    const LRESULT got = SendDlgItemMessageA(dialog, IDC_DRIVE_LIST, LB_GETSELITEMS, kDriveCount,
                                            reinterpret_cast<LPARAM>(items));
    for (LRESULT i = 0; i < got; ++i) {
        const int k = items[i];
        if (k < 0 || k >= kDriveCount)
            continue;
        const int drive = g_listedDrives[k];
        if (drive >= kFirstOfferedDrive && drive <= kDriveCount)
            g_selectedDrives[drive - 1] = 1;
    }
}

INT_PTR onDriveCommand(HWND dialog, int id) {
    switch (id) {
    case IDC_CANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_SEARCH:
        recordSelectedDrives(dialog);
        EndDialog(dialog, IDC_SEARCH);
        return TRUE;
    default:
        return FALSE; // among them IDCANCEL from the Escape key: it must not close the dialog
    }
}
} // namespace

INT_PTR CALLBACK driveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        try {
            listUsableDrives();
        } catch (const std::bad_alloc &) {
            EndDialog(dialog, 0); // out of memory: the run ends as after a cancel
            return FALSE;
        }
        fillDriveList(dialog);
        return FALSE;
    case WM_COMMAND:
        return onDriveCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

int showDriveDialog() {
    return static_cast<int>(
        DialogBoxParamA(g_instance, "INSTALLERDISKTOSEARCHIN", nullptr, driveDialogProc, 0));
}
