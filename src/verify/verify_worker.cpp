#include "verify/verify_worker.h"

#include <windows.h>

#include "shared/installer.h"
#include "shared/protocol.h"

void verifyWorker() {
    const HWND dialog = g_verifyingDialog;
    const HANDLE token = g_cancelToken.get(); // this dialog's token, whatever later dialogs create
    const bool finished = verifyEach(g_installer->vmList.get(), token, [&](const VmEntry &e) {
        if (!workerMayContinue(token))
            return false;
        SendMessageA(dialog, WM_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>(e.binDir.c_str()));
        return true;
    });
    // After a cancellation the dialog is gone, so nothing more is reported.
    if (finished && workerMayContinue(token))
        PostMessageA(dialog, WM_WORK_DONE, 0, 0);
}
