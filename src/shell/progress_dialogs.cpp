#include "shell/progress_dialogs.h"

#include <new>
#include <string>

#include "discovery/drive_search.h"
#include "platform/threads.h"
#include "resource.h"
#include "shared/installer.h"
#include "shared/protocol.h"
#include "verify/verify_worker.h"

UniqueObject g_cancelToken;
HWND g_searchingDialog = nullptr;
HWND g_verifyingDialog = nullptr;

namespace {
// What a worker thread runs, and the dialog it reports to.
struct Worker {
    WorkerRoutine routine;
    HWND *dialog;
};
Worker g_searchingThread = {driveSearchWorker, &g_searchingDialog};
Worker g_verifyingThread = {verifyWorker, &g_verifyingDialog};

unsigned __stdcall workerThread(void *worker) {
    const Worker &w = *static_cast<Worker *>(worker);
    const HWND dialog = *w.dialog;
    try {
        w.routine();
    } catch (const std::bad_alloc &) {
        // Out of memory: the work cannot be finished, so the run ends as after a cancel.
        (void)PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
    return 0;
}

void startWorker(Worker *worker) {
    // Never joined: the dialog only waits for messages, so the handle goes at once.
    (void)startThread(workerThread, worker);
}

// Ends the dialog. After a cancellation the token stays open for the worker that may still poll it;
// after completion the worker has finished, and the token can go.
void endProgress(HWND dialog, int result) {
    if (result == 0 && g_cancelToken)
        (void)SetEvent(g_cancelToken.get());
    else
        g_cancelToken.reset();
    EndDialog(dialog, result);
}

// The status text on show. The drive search sends the same directory before each of its subdirectories;
// setting an unchanged text again would only repaint it, at a cost the search would wait for.
std::string g_statusShown;

void showStatus(HWND dialog, const char *text) {
    if (g_statusShown == text)
        return;
    SetDlgItemTextA(dialog, IDC_STATUS, text);
    try {
        g_statusShown = text;
    } catch (const std::bad_alloc &) {
        g_statusShown.clear(); // the next text is then shown whatever it is
    }
}

INT_PTR progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, Worker &worker) {
    switch (message) {
    case WM_INITDIALOG:
        *worker.dialog = dialog;
        g_statusShown.clear();
        g_cancelToken.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        startWorker(&worker);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDC_CANCEL)
            return FALSE;
        endProgress(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        endProgress(dialog, 0);
        return FALSE;
    case WM_PROGRESS_TEXT:
        showStatus(dialog, reinterpret_cast<const char *>(lParam));
        return TRUE;
    case WM_VM_FOUND:
        try {
            g_installer->keepFind(reinterpret_cast<const char *>(lParam), "drive search");
        } catch (const std::bad_alloc &) {
            endProgress(dialog, 0); // no memory to keep it: the search ends as cancelled
        }
        return TRUE;
    case WM_WORK_DONE:
        endProgress(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}
} // namespace

INT_PTR CALLBACK searchingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return progressDialogProc(dialog, message, wParam, lParam, g_searchingThread);
}

INT_PTR CALLBACK verifyingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return progressDialogProc(dialog, message, wParam, lParam, g_verifyingThread);
}

int showVerifyingDialog() {
    return static_cast<int>(
        DialogBoxParamA(g_instance, "INSTALLERVERIFYINGJVMSCREEN", nullptr, verifyingDialogProc, 0));
}

int showSearchingDialog() {
    return static_cast<int>(
        DialogBoxParamA(g_instance, "INSTALLERSEARCHINGSCREEN", nullptr, searchingDialogProc, 0));
}
