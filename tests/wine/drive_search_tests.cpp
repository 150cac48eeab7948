// The drive dialog and the drive search on real drives: a prefix whose drives are test folders (see
// drive_search_session.sh for what lies on each). The dialog is worked from a second thread as a user
// would; the search reports either to the real searching dialog or to a window that records every
// message it receives.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <process.h>

#include "discovery/drive_dialog.h"
#include "dialog_script.h"
#include "discovery/drive_search.h"
#include "driver.h"
#include "resource.h"
#include "scratch_drive.h"
#include "shell/handles.h"
#include "shell/installer.h"
#include "shell/progress_dialogs.h"
#include "shell/protocol.h"
#include "test_support.h"

namespace {
constexpr const char *kDriveCaption = "Drives to search on";

// One message that the worker sent or posted to its dialog.
struct Report {
    UINT message;
    std::string text;
    bool operator==(const Report &o) const { return message == o.message && text == o.text; }
};

void PrintTo(const Report &r, std::ostream *os) {
    *os << (r.message == WM_PROGRESS_TEXT ? "progress "
            : r.message == WM_VM_FOUND    ? "found "
                                          : "done")
        << r.text;
}

Report progress(const std::string &dir) {
    return {WM_PROGRESS_TEXT, dir};
}
Report found(const std::string &dir) {
    return {WM_VM_FOUND, dir};
}
const Report kDone{WM_WORK_DONE, ""};

std::vector<std::string> textsOf(const std::vector<Report> &reports, UINT message) {
    std::vector<std::string> texts;
    for (const Report &r : reports)
        if (r.message == message)
            texts.push_back(r.text);
    return texts;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// Runs driveSearchWorker on a thread of its own, as the searching dialog would, with a window of this
// thread in the dialog's place that records every message. Optionally sets the cancel token while the
// worker waits for the handling of its n-th report, as a Cancel click between two reports would.
class RecordedSearch {
  public:
    // The drives to search, by letter; the reports in the order received.
    std::vector<Report> run(const std::string &drives, int cancelAtReport = 0) {
        static const ATOM cls = registerClass();
        (void)cls;
        for (std::int32_t &flag : g_selectedDrives)
            flag = 0;
        for (char letter : drives)
            g_selectedDrives[letter - 'A'] = 1;
        s_current = this;
        cancelAtReport_ = cancelAtReport;
        reports_.clear();
        const UniqueObject token(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        token_ = token.get();
        HWND window = CreateWindowA("OstrelSearchRecorder", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
        g_searchingDialog = window;
        g_cancelToken = token_;
        const UniqueObject worker(
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, workerThread, nullptr, 0, nullptr)));
        workerEnded_ = pump(worker.get(), 60000);
        if (!workerEnded_) {
            SetEvent(token_); // stop a search that runs away, before the window goes
            pump(worker.get(), 60000);
        }
        pump(nullptr, 200); // anything still posted after the worker's end
        DestroyWindow(window);
        g_cancelToken = nullptr;
        s_current = nullptr;
        return reports_;
    }

    bool workerEnded() const { return workerEnded_; }
    // Milliseconds from the cancellation to the end of the worker thread.
    DWORD stopMs() const { return stoppedAt_ - cancelledAt_; }

  private:
    static ATOM registerClass() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = recorderProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "OstrelSearchRecorder";
        return RegisterClassA(&wc);
    }

    static unsigned __stdcall workerThread(void *) {
        driveSearchWorker();
        return 0;
    }

    static LRESULT CALLBACK recorderProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
        RecordedSearch *self = s_current;
        if (self == nullptr ||
            (message != WM_PROGRESS_TEXT && message != WM_VM_FOUND && message != WM_WORK_DONE))
            return DefWindowProcA(w, message, wParam, lParam);
        self->reports_.push_back({message, lParam ? reinterpret_cast<const char *>(lParam) : ""});
        if (self->cancelAtReport_ != 0 && static_cast<int>(self->reports_.size()) == self->cancelAtReport_) {
            self->cancelledAt_ = GetTickCount();
            SetEvent(self->token_);
        }
        return 1;
    }

    // Handles this thread's messages until the thread ends (true) or the time is up.
    bool pump(HANDLE thread, DWORD timeoutMs) {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            const DWORD spent = GetTickCount() - start;
            if (spent >= timeoutMs)
                return false;
            const DWORD r =
                MsgWaitForMultipleObjects(thread ? 1 : 0, &thread, FALSE, timeoutMs - spent, QS_ALLINPUT);
            if (thread && r == WAIT_OBJECT_0) {
                stoppedAt_ = GetTickCount();
                return true;
            }
        }
    }

    static RecordedSearch *s_current;
    std::vector<Report> reports_;
    HANDLE token_ = nullptr;
    int cancelAtReport_ = 0;
    bool workerEnded_ = false;
    DWORD cancelledAt_ = 0, stoppedAt_ = 0;
};
RecordedSearch *RecordedSearch::s_current = nullptr;

// The drive dialog, shown while a user script works it from another thread.
int showDriveDialogWith(UserScript &script) {
    return showWithScript(showDriveDialog, script);
}

// Selects the items with these texts, in this order, and presses the search button.
std::function<void(HWND)> choose(const std::vector<std::string> &items) {
    return [items](HWND d) {
        const std::vector<std::string> shown = listItems(d, IDC_DRIVE_LIST);
        for (const std::string &item : items) {
            const auto at = std::find(shown.begin(), shown.end(), item);
            EXPECT_NE(at, shown.end()) << item;
            if (at != shown.end())
                toggleListItem(d, IDC_DRIVE_LIST, static_cast<int>(at - shown.begin()));
        }
        Sleep(100);
        clickButton(d, IDC_SEARCH);
    };
}

std::vector<char> selectedLetters() {
    std::vector<char> letters;
    for (int i = 0; i < kDriveCount; ++i)
        if (g_selectedDrives[i] == 1)
            letters.push_back(static_cast<char>('A' + i));
    return letters;
}

std::vector<std::string> binDirs() {
    std::vector<std::string> dirs;
    for (const VmEntry *e = g_installer->vmList.get(); e != nullptr; e = e->next.get())
        dirs.push_back(e->binDir);
    return dirs;
}

class DriveSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_instance = GetModuleHandleA(nullptr);
        g_installer = &installer_;
        saved_ = currentDirectory();
    }
    void TearDown() override { SetCurrentDirectoryA(saved_.c_str()); }

    Installer installer_;
    std::string saved_;
};

// --- The drive dialog ---

TEST_F(DriveSearchTest, TheDialogListsEveryDriveFromCOnThatCanBeMadeCurrentInOrder) {
    // A: and B: exist in this prefix but are never offered; M: names a folder that does not exist.
    ScratchDrive d('D');
    d.dirs({"here"});
    ASSERT_TRUE(SetCurrentDirectoryA((d / "here").c_str()));
    std::vector<std::string> items;
    std::string prompt;
    UserScript s{kDriveCaption, [&](HWND dlg) {
                     items = listItems(dlg, IDC_DRIVE_LIST);
                     prompt = controlText(dlg, IDC_PROMPT);
                     clickButton(dlg, IDC_CANCEL);
                 }};
    EXPECT_EQ(showDriveDialogWith(s), 0);
    EXPECT_EQ(items,
              (std::vector<std::string>{"[C:]", "[D:]", "[E:]", "[F:]", "[G:]", "[H:]", "[I:]", "[T:]"}));
    EXPECT_EQ(prompt, "Select the drives you want to search on:");
    EXPECT_EQ(std::vector<int>(g_listedDrives, g_listedDrives + 9),
              (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 20, 0}));
    // Trying each drive changed the current drive and directory for a moment only.
    EXPECT_EQ(currentDirectory(), d / "here");
}

TEST_F(DriveSearchTest, EscapeLeavesTheDialogOpenAndTheCloseBoxEndsItWithZero) {
    for (std::int32_t &flag : g_selectedDrives)
        flag = 0;
    g_selectedDrives[5] = 1; // F: chosen before: a dialog that is closed must not change that
    bool openAfterEscape = false, openAfterEnter = false;
    UserScript s{kDriveCaption, [&](HWND dlg) {
                     toggleListItem(dlg, IDC_DRIVE_LIST, 0);
                     pressEscape(dlg);
                     Sleep(300);
                     openAfterEscape = IsWindowVisible(dlg) != 0;
                     PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, 0),
                                  0); // the Enter key with no button focused
                     Sleep(300);
                     openAfterEnter = IsWindowVisible(dlg) != 0;
                     pressCloseBox(dlg);
                 }};
    EXPECT_EQ(showDriveDialogWith(s), 0);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(selectedLetters(), std::vector<char>{'F'});
}

TEST_F(DriveSearchTest, DrivesAreSearchedInAlphabeticalOrderWhateverTheOrderOfChoosing) {
    ScratchDrive f('F');
    f.files({"vm\\bin\\java.exe"});
    const std::string onC = "C:\\ostrel-order-vm\\bin";
    ASSERT_TRUE(writeFile(onC + "\\java.exe", ""));
    UserScript s{kDriveCaption, choose({"[F:]", "[C:]"})};
    const int result = showDriveDialogWith(s);
    EXPECT_EQ(result, IDC_SEARCH);
    EXPECT_EQ(selectedLetters(), (std::vector<char>{'C', 'F'}));
    EXPECT_EQ(showSearchingDialog(), 1);
    removeTree("C:\\ostrel-order-vm");
    // Each find goes to the head of the list: the one found last, on F:, stands first.
    EXPECT_EQ(binDirs(), (std::vector<std::string>{f / "vm\\bin", onC}));
}

TEST_F(DriveSearchTest, ASecondSearchUsesOnlyTheDrivesChosenForIt) {
    ScratchDrive d('D'), e('E');
    d.files({"first\\bin\\java.exe"});
    e.files({"second\\bin\\java.exe"});
    UserScript first{kDriveCaption, choose({"[D:]", "[E:]"})};
    ASSERT_EQ(showDriveDialogWith(first), IDC_SEARCH);
    UserScript second{kDriveCaption, choose({"[E:]"})};
    ASSERT_EQ(showDriveDialogWith(second), IDC_SEARCH);
    EXPECT_EQ(selectedLetters(), std::vector<char>{'E'});
    EXPECT_EQ(showSearchingDialog(), 1);
    EXPECT_EQ(binDirs(), std::vector<std::string>{e / "second\\bin"});
}

TEST_F(DriveSearchTest, SearchingWithNothingSelectedEndsAtOnceAndFindsNothing) {
    ScratchDrive d('D');
    d.files({"vm\\bin\\java.exe"});
    for (std::int32_t &flag : g_selectedDrives)
        flag = 1;
    UserScript s{kDriveCaption, [](HWND dlg) { clickButton(dlg, IDC_SEARCH); }};
    EXPECT_EQ(showDriveDialogWith(s), IDC_SEARCH);
    EXPECT_TRUE(selectedLetters().empty());
    const DWORD start = GetTickCount();
    EXPECT_EQ(showSearchingDialog(), 1);
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_TRUE(binDirs().empty());
}

// --- What the search reports ---

TEST_F(DriveSearchTest, BeforeEachDescentTheDirectoryBeingSearchedIsShown) {
    ScratchDrive d('D');
    d.dirs({"a\\b\\leaf", "a\\b\\other", "a\\b\\third"});
    RecordedSearch search;
    const std::vector<Report> reports = search.run("D");
    // A directory without subdirectories never shows its own path; one with three shows it three times.
    EXPECT_EQ(reports, (std::vector<Report>{progress(d / ""), progress(d / "a"), progress(d / "a\\b"),
                                            progress(d / "a\\b"), progress(d / "a\\b"), kDone}));
}

TEST_F(DriveSearchTest, ARootHoldingJavaExeIsReportedAsTheRootAndNothingBelowIsSearched) {
    ScratchDrive e('E');
    e.files({"java.exe", "jdk\\bin\\java.exe"});
    RecordedSearch search;
    EXPECT_EQ(search.run("E"), (std::vector<Report>{found("E:\\"), kDone}));
}

TEST_F(DriveSearchTest, EveryDirectoryHoldingJavaExeIsReportedOnceAndOnlyThose) {
    ScratchDrive d('D'), g('G');
    d.files({"jdk\\bin\\java.exe", "jdk\\bin\\javaw.exe", "jdk\\jre\\bin\\java.exe", // two finds of one VM
             "Upper\\BIN\\JAVA.EXE",                                                 // names ignore case
             "jreonly\\bin\\jre.exe", "jreonly\\bin\\jrew.exe",                      // not a java.exe
             ".hidden\\java.exe", ".hidden\\vm\\bin\\java.exe"});                    // never entered
    d.dirs({"jdk\\bin\\below-a-find"});
    g.files({"system\\vm\\java.exe"});
    ASSERT_TRUE(SetFileAttributesA((g / "system").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    RecordedSearch search;
    const std::vector<Report> reports = search.run("GD");
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), kDone);
    const std::vector<std::string> finds = textsOf(reports, WM_VM_FOUND);
    ASSERT_EQ(finds.size(), 4u);
    EXPECT_EQ(sorted({finds[0], finds[1], finds[2]}),
              sorted({d / "jdk\\bin", d / "jdk\\jre\\bin", d / "Upper\\BIN"}));
    EXPECT_EQ(finds[3], g / "system\\vm") << "a hidden, system folder is searched, after D:";
    for (const std::string &text : textsOf(reports, WM_PROGRESS_TEXT)) {
        EXPECT_EQ(text.find(".hidden"), std::string::npos) << text;
        EXPECT_EQ(text.find("jdk\\bin"), std::string::npos) << "searched below a find: " << text;
    }
}

TEST_F(DriveSearchTest, LinksAreNotFollowedSoACycleEndsAndNothingIsSearchedTwice) {
    // H:\loop\back and H:\loop\vm\up lead back up the tree, H:\root to the root, H:\elsewhere to a VM
    // outside every drive. Wine reports each as a directory that is a reparse point.
    for (const char *link : {"H:\\loop\\back", "H:\\loop\\vm\\up", "H:\\root", "H:\\elsewhere"}) {
        const DWORD attributes = GetFileAttributesA(link);
        EXPECT_EQ(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
                  DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT})
            << link;
    }
    ASSERT_TRUE(fileExists("H:\\elsewhere\\java.exe"));
    RecordedSearch search;
    const DWORD start = GetTickCount();
    const std::vector<Report> reports = search.run("H");
    EXPECT_TRUE(search.workerEnded());
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(reports,
              (std::vector<Report>{progress("H:\\"), progress("H:\\loop"), found("H:\\loop\\vm"), kDone}));
}

TEST_F(DriveSearchTest, AFolderThatCannotBeReadIsPassedOverAndItsSiblingsAreSearchedOnce) {
    // I:\a\locked (holding java.exe) cannot be read; I:\a\open and I:\b hold java.exe.
    WIN32_FIND_DATAA entry;
    SetLastError(0xdeadbeef);
    const UniqueFind probe(FindFirstFileA("I:\\a\\locked\\*", &entry));
    if (probe)
        GTEST_SKIP() << "this session can read every folder (root keeping its capabilities)";
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    RecordedSearch search;
    const std::vector<Report> reports = search.run("I");
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), kDone);
    EXPECT_EQ(sorted(textsOf(reports, WM_VM_FOUND)), (std::vector<std::string>{"I:\\a\\open", "I:\\b"}));
    // Progress texts: the root before a and before b, and I:\a before each of its two subdirectories.
    EXPECT_EQ(sorted(textsOf(reports, WM_PROGRESS_TEXT)),
              (std::vector<std::string>{"I:\\", "I:\\", "I:\\a", "I:\\a"}));
}

TEST_F(DriveSearchTest, NoDriveChosenOrADriveGoneSinceTheDialogPostsOnlyCompletion) {
    RecordedSearch search;
    EXPECT_EQ(search.run(""), std::vector<Report>{kDone});
    EXPECT_EQ(search.run("M"), std::vector<Report>{kDone}) << "M: names a folder that does not exist";
}

// --- Cancellation and the current directory ---

TEST_F(DriveSearchTest, TheCurrentDriveAndDirectoryAreThoseFromBeforeACompleteSearch) {
    ScratchDrive d('D'), e('E');
    d.dirs({"start\\point"});
    e.files({"x\\y\\java.exe"});
    ASSERT_TRUE(SetCurrentDirectoryA((d / "start\\point").c_str()));
    RecordedSearch search;
    EXPECT_EQ(search.run("E"),
              (std::vector<Report>{progress("E:\\"), progress(e / "x"), found(e / "x\\y"), kDone}));
    EXPECT_EQ(currentDirectory(), d / "start\\point");
}

TEST_F(DriveSearchTest, AfterACancellationTheWorkerSendsNothingMoreAndRestoresTheCurrentDirectory) {
    ScratchDrive d('D'), e('E');
    d.dirs({"p\\leaf1", "p\\leaf2", "p\\leaf3"});
    e.dirs({"start"});
    ASSERT_TRUE(SetCurrentDirectoryA((e / "start").c_str()));
    RecordedSearch search;
    // Cancelled while "D:\p" is on show: no further text for p's other subdirectories, no visit of the
    // rest of D:, none of T:'s 20,000 directories, and no completion.
    const std::vector<Report> reports = search.run("DT", 2);
    EXPECT_TRUE(search.workerEnded());
    ASSERT_EQ(reports.size(), 2u) << "reports after the cancellation";
    EXPECT_EQ(reports[1], progress(d / "p"));
    EXPECT_LT(search.stopMs(), 1000u);
    EXPECT_EQ(currentDirectory(), e / "start");
}
} // namespace
