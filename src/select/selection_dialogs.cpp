#include "select/selection_dialogs.h"

#include <new>

#include "resource.h"
#include "shared/installer.h"
#include "shared/protocol.h"

int g_vmListCount = 0;
std::vector<VmEntry *> g_vmListEntries;

namespace {
void releaseListEntries() {
    std::vector<VmEntry *>().swap(g_vmListEntries);
    g_vmListCount = 0;
}

void endListDialog(HWND dialog, int choice) {
    releaseListEntries();
    EndDialog(dialog, choice);
}

// Fills the list box with the entries' binDir texts in list order; false when memory ran out.
bool fillVmList(HWND dialog) {
    try {
        g_vmListEntries.clear();
        for (VmEntry *e = g_installer->vmList.get(); e != nullptr; e = e->next.get())
            g_vmListEntries.push_back(e);
    } catch (const std::bad_alloc &) {
        return false;
    }
    g_vmListCount = static_cast<int>(g_vmListEntries.size());
    for (VmEntry *e : g_vmListEntries)
        SendDlgItemMessageA(dialog, IDC_VM_LIST, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(e->binDir.c_str()));
    return true;
}

// Marks the entries behind the selected list items; false when memory ran out.
bool markSelectedItems(HWND dialog) {
    const LRESULT count = SendDlgItemMessageA(dialog, IDC_VM_LIST, LB_GETSELCOUNT, 0, 0);
    if (count <= 0)
        return true;
    std::vector<int> indexes;
    try {
        indexes.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc &) {
        return false;
    }
    const LRESULT got = SendDlgItemMessageA(dialog, IDC_VM_LIST, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                            reinterpret_cast<LPARAM>(indexes.data()));
    for (LRESULT i = 0; i < got; ++i) {
        const int item = indexes[static_cast<size_t>(i)];
        if (item >= 0 && item < g_vmListCount)
            g_vmListEntries[static_cast<size_t>(item)]->selected = 1;
    }
    return true;
}

INT_PTR onVmListCommand(HWND dialog, int id) {
    switch (id) {
    case IDC_CANCEL:
        endListDialog(dialog, CHOICE_CANCEL);
        return TRUE;
    case IDC_INSTALL:
        endListDialog(dialog, markSelectedItems(dialog) ? CHOICE_INSTALL : CHOICE_CANCEL);
        return TRUE;
    case IDC_INSTALL_ALL:
        for (VmEntry *e : g_vmListEntries)
            e->selected = 1;
        endListDialog(dialog, CHOICE_INSTALL);
        return TRUE;
    case IDC_SEARCH:
        endListDialog(dialog, CHOICE_SEARCH_DISKS);
        return TRUE;
    case IDC_VM_LIST:
        EnableWindow(GetDlgItem(dialog, IDC_INSTALL), TRUE);
        return FALSE;
    default:
        return FALSE;
    }
}

int showDialog(const char *templateName, DLGPROC proc) {
    return static_cast<int>(DialogBoxParamA(g_instance, templateName, nullptr, proc, 0));
}
} // namespace

INT_PTR CALLBACK vmListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        if (!fillVmList(dialog))
            endListDialog(dialog, CHOICE_CANCEL);
        return FALSE;
    case WM_COMMAND:
        return onVmListCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        endListDialog(dialog, CHOICE_CANCEL);
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK noVmsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CANCEL:
            EndDialog(dialog, CHOICE_CANCEL);
            return TRUE;
        case IDC_SEARCH:
            EndDialog(dialog, CHOICE_SEARCH_DISKS);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        EndDialog(dialog, CHOICE_CANCEL);
        return FALSE;
    default:
        return FALSE;
    }
}

int showNoVmsDialog() {
    return showDialog("INSTALLERNOVMSSCREEN", noVmsDialogProc);
}
int showPathListDialog() {
    return showDialog("INSTALLERJVMPATHLISTSCREEN", vmListDialogProc);
}
int showVmListDialog() {
    return showDialog("INSTALLERJVMLISTSCREEN", vmListDialogProc);
}
