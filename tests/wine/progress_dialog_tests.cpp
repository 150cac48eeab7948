// The progress dialogs and their worker protocol, on the real templates, with test workers and with the
// real verify worker over stand-in VMs.
#include <gtest/gtest.h>

#include <atomic>
#include <process.h>
#include <vector>

#include "resource.h"
#include "shell/handles.h"
#include "shell/installer.h"
#include "shell/progress_dialogs.h"
#include "shell/protocol.h"
#include "standin.h"
#include "test_support.h"
#include "verify/verify_worker.h"

namespace {
std::vector<std::string> binDirs(const VmEntry *head) {
    std::vector<std::string> dirs;
    for (; head != nullptr; head = head->next.get())
        dirs.push_back(head->binDir);
    return dirs;
}

// What a test worker saw.
std::atomic<int> g_pollsAfterStop{0};
std::atomic<bool> g_workerEnded{false};
std::vector<std::string> g_statusSeen;

void findingWorker() {
    const HWND dialog = g_searchingDialog;
    const HANDLE token = g_cancelToken;
    const char *finds[] = {"C:\\first\\bin", "C:\\second\\bin", "C:\\third\\bin"};
    for (const char *dir : finds) {
        if (!workerMayContinue(token))
            return;
        SendMessageA(dialog, WM_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>(dir));
        char status[256] = "";
        GetDlgItemTextA(dialog, IDC_STATUS, status, sizeof status);
        g_statusSeen.push_back(status);
        std::string copy(dir);
        SendMessageA(dialog, WM_VM_FOUND, 0, reinterpret_cast<LPARAM>(copy.c_str()));
        copy.assign(copy.size(), 'X'); // the dialog must have copied the text
    }
    PostMessageA(dialog, WM_WORK_DONE, 0, 0);
    g_workerEnded = true;
}

// Polls until told to stop, then keeps polling for a while to see that the answer never changes back.
void stubbornWorker() {
    const HANDLE token = g_cancelToken;
    while (workerMayContinue(token))
        Sleep(5);
    for (int i = 0; i < 40; ++i) {
        if (!workerMayContinue(token))
            ++g_pollsAfterStop;
        Sleep(5);
    }
    g_workerEnded = true;
}

void idleWorker() {
    PostMessageA(g_searchingDialog, WM_WORK_DONE, 0, 0);
}
void idleVerifyingWorker() {
    PostMessageA(g_verifyingDialog, WM_WORK_DONE, 0, 0);
}

// Does something to the open dialog from another thread once it is there.
struct DialogAction {
    HWND *dialog;
    UINT message;
    WPARAM wParam;
    DWORD delayMs;
};

unsigned __stdcall actOnDialog(void *p) {
    const DialogAction *a = static_cast<DialogAction *>(p);
    for (int i = 0; i < 500 && (*a->dialog == nullptr || !IsWindowVisible(*a->dialog)); ++i)
        Sleep(10);
    Sleep(a->delayMs);
    PostMessageA(*a->dialog, a->message, a->wParam, 0);
    return 0;
}

HANDLE actLater(DialogAction &a) {
    return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, actOnDialog, &a, 0, nullptr));
}

class ProgressDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_instance = GetModuleHandleA(nullptr);
        g_installer = &installer_;
        g_searchingDialog = g_verifyingDialog = nullptr;
        g_pollsAfterStop = 0;
        g_workerEnded = false;
        g_statusSeen.clear();
        saved_ = currentDirectory();
        makeDirs(tmp_ / "setup");
        SetCurrentDirectoryA((tmp_ / "setup").c_str());
    }
    void TearDown() override {
        g_searchingWorker = idleWorker;
        g_verifyingWorker = verifyWorker;
        SetCurrentDirectoryA(saved_.c_str());
    }

    bool waitWorkerEnd() {
        for (int i = 0; i < 500 && !g_workerEnded; ++i)
            Sleep(10);
        return g_workerEnded;
    }

    // A stand-in VM at the head of the list.
    std::string addVm(const std::string &name, const std::string &answer) {
        const std::string bin = tmp_ / (name + "\\bin");
        EXPECT_TRUE(placeStandin(bin, {"javaw.exe"}, {"javaw.exe=" + answer}));
        EXPECT_TRUE(pushVmEntry(installer_.vmList, bin.c_str()));
        return bin;
    }

    Installer installer_;
    TempDir tmp_;
    std::string saved_;
};

TEST_F(ProgressDialogTest, FindsAreAddedAtTheHeadLastFoundFirstAndCompletionGivesOne) {
    ASSERT_TRUE(pushVmEntry(installer_.vmList, "C:\\earlier\\bin"));
    g_searchingWorker = findingWorker;
    EXPECT_EQ(showSearchingDialog(), 1);
    EXPECT_EQ(binDirs(installer_.vmList.get()),
              (std::vector<std::string>{"C:\\third\\bin", "C:\\second\\bin", "C:\\first\\bin",
                                        "C:\\earlier\\bin"}));
    EXPECT_EQ(g_statusSeen,
              (std::vector<std::string>{"C:\\first\\bin", "C:\\second\\bin", "C:\\third\\bin"}));
}

TEST_F(ProgressDialogTest, WorkerWithNothingToDoEndsTheDialogAtOnce) {
    g_searchingWorker = idleWorker;
    const DWORD start = GetTickCount();
    EXPECT_EQ(showSearchingDialog(), 1);
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(installer_.vmList, nullptr);
}

TEST_F(ProgressDialogTest, CancelAndCloseEndWithZeroAndEveryLaterPollSaysStop) {
    struct Way {
        const char *name;
        UINT message;
        WPARAM wParam;
    } ways[] = {{"Cancel button", WM_COMMAND, MAKEWPARAM(IDC_CANCEL, BN_CLICKED)},
                {"any command with the cancel id", WM_COMMAND, MAKEWPARAM(IDC_CANCEL, 0x1234)},
                {"close box", WM_CLOSE, 0}};
    for (const Way &w : ways) {
        SCOPED_TRACE(w.name);
        g_pollsAfterStop = 0;
        g_workerEnded = false;
        g_searchingDialog = nullptr;
        g_searchingWorker = stubbornWorker;
        DialogAction act{&g_searchingDialog, w.message, w.wParam, 100};
        HANDLE t = actLater(act);
        EXPECT_EQ(showSearchingDialog(), 0);
        // Another dialog opens meanwhile, with a token of its own: the old worker must still see stop.
        g_verifyingWorker = idleVerifyingWorker;
        EXPECT_EQ(showVerifyingDialog(), 1);
        ASSERT_TRUE(waitWorkerEnd());
        EXPECT_EQ(g_pollsAfterStop, 40);
        WaitForSingleObject(t, INFINITE);
        CloseHandle(t);
    }
}

TEST_F(ProgressDialogTest, EscapeDoesNotCancel) {
    g_searchingWorker = stubbornWorker;
    DialogAction escape{&g_searchingDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 50};
    DialogAction cancel{&g_searchingDialog, WM_COMMAND, MAKEWPARAM(IDC_CANCEL, 0), 600};
    HANDLE t1 = actLater(escape);
    HANDLE t2 = actLater(cancel);
    const DWORD start = GetTickCount();
    EXPECT_EQ(showSearchingDialog(), 0);
    EXPECT_GE(GetTickCount() - start, 550u) << "the dialog ended before the real cancel";
    for (HANDLE t : {t1, t2}) {
        WaitForSingleObject(t, INFINITE);
        CloseHandle(t);
    }
    waitWorkerEnd();
}

TEST_F(ProgressDialogTest, VerifyingProbesInListOrderAndSkipsCompatibleEntries) {
    const std::string c = addVm("c", "6");
    const std::string b = addVm("b", "14");
    const std::string a = addVm("a", "2");
    installer_.vmList->next->compatible = 1; // b was verified by an earlier pass
    const std::string log = tmp_ / "all.log";
    SetEnvironmentVariableA("OSTREL_STANDIN_LOG", log.c_str());
    EXPECT_EQ(showVerifyingDialog(), 1);
    SetEnvironmentVariableA("OSTREL_STANDIN_LOG", nullptr);
    std::vector<std::string> order;
    for (const StandinRecord &r : standinRecordsIn(log))
        order.push_back(r.currentDirectory + "|" + r.commandLine);
    const std::string here = tmp_ / "setup";
    EXPECT_EQ(order,
              (std::vector<std::string>{here + "|javaw.exe OstrelTester", here + "|javaw.exe OstrelTester"}));
    EXPECT_EQ(standinRecords(a).size(), 1u);
    EXPECT_TRUE(standinRecords(b).empty());
    EXPECT_EQ(standinRecords(c).size(), 1u);
    const VmEntry &ea = *installer_.vmList;
    const VmEntry &ec = *installer_.vmList->next->next;
    EXPECT_EQ(ea.compatible + ea.isJava11 + ea.isJava14, 2); // code 2: usable, 1.1
    EXPECT_EQ(ec.compatible, 1);
    EXPECT_EQ(ec.isJava11, 0);
}

TEST_F(ProgressDialogTest, EmptyListVerifiesAtOnce) {
    EXPECT_EQ(showVerifyingDialog(), 1);
}

TEST_F(ProgressDialogTest, CancelDuringASlowProbeEndsAtOnceAndStartsNoFurtherVm) {
    const std::string later = addVm("later", "2");
    const std::string slow = addVm("slow", "2,1500");
    DialogAction cancel{&g_verifyingDialog, WM_COMMAND, MAKEWPARAM(IDC_CANCEL, 0), 300};
    HANDLE t = actLater(cancel);
    const DWORD start = GetTickCount();
    EXPECT_EQ(showVerifyingDialog(), 0);
    EXPECT_LT(GetTickCount() - start, 1400u) << "the dialog waited for the probe";
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    Sleep(2500); // the slow probe ends; the worker must then stop without starting the next VM
    EXPECT_EQ(standinRecords(slow).size(), 1u);
    EXPECT_TRUE(standinRecords(later).empty());
    EXPECT_EQ(installer_.vmList->compatible, 1); // the running probe still wrote its verdict
}
} // namespace
