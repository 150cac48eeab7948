#include "verify/verify_worker.h"

#include <windows.h>

#include "shell/installer.h"
#include "shell/progress_dialogs.h"
#include "shell/protocol.h"

void verifyWorker() {
    const HWND dialog = g_verifyingDialog;
    const HANDLE token = g_cancelToken.get(); // this dialog's token, whatever later dialogs create
    for (VmEntry *e = g_installer->vmList.get(); e != nullptr; e = e->next.get()) {
        if (!workerMayContinue(token))
            return; // cancelled: the dialog is gone, so nothing more is reported
        if (e->compatible == 1)
            continue;
        SendMessageA(dialog, WM_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>(e->binDir.c_str()));
        (void)e->probe(token); // a cancel ends the VM under test too
    }
    PostMessageA(dialog, WM_WORK_DONE, 0, 0);
}
