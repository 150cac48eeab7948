// Cancel at a random moment: many runs of the real installer, each cancelled by the Cancel button or the
// close box (chosen at random) after a random delay, in whichever progress dialog is open then: the
// verifying dialog over slow stand-in VMs, or, on the fault session's own drive, the searching dialog
// and the verifying dialog after it. Every run must end with the cancellation message, at once, with
// exit code 0, and leave every file and registry value as it was.
//
// The delays and choices come from a seed that is printed; OSTREL_FAULT_SEED replays a whole group,
// OSTREL_FAULT_RUN=<n> one run of it, and OSTREL_FAULT_CANCEL_RUNS sets the number of runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "fault_support.h"
#include "resource.h"

namespace {
// A VM whose probe outlasts every delay drawn: the verifying dialog is still open when the cancel comes.
constexpr int kTailMs = 4000;
// A cancel must end the run without waiting for the probe or the search in progress.
constexpr DWORD kPromptMs = 2500;
constexpr const char *kTreeName = "fault-tree";

struct VmSpec {
    const char *name;
    const char *answer; // the tester's exit code
    std::vector<const char *> dirs;
};

// The VMs on PATH: one of each kind, so that an installation, had it happened, would change files and
// CLASSPATH.
const VmSpec kPathVms[] = {
    {"J2sdk14", "15", {"\\jre\\lib\\ext"}},
    {"Jdk11", "3", {"\\lib"}},
    {"Jdk13", "7", {"\\lib"}},
    {"Jre12", "7", {"\\lib\\ext"}},
};
const VmSpec kTailVm = {"Tail14", "15", {"\\jre\\lib\\ext"}};
// The VMs that the search finds on the fault drive, below the tree's root.
const char *const kDriveVms[] = {"d03\\d07\\jdk-a", "d08\\jre-b", "d11\\d11\\d11\\jdk-c"};
constexpr int kFanOut = 11; // folders per folder, three levels deep

std::string answerWithDelay(const char *answer, int delayMs) {
    return delayMs > 0 ? std::string(answer) + "," + std::to_string(delayMs) : std::string(answer);
}

void configure(const std::string &bin, const std::string &answer) {
    ASSERT_TRUE(writeFile(bin + "\\standin.cfg", "*=" + answer + "\r\n")) << bin;
}

// What one run did, for its line and the summary.
struct RunRecord {
    std::string where = "no progress dialog reached";
    bool closeBox = false;
    int delay = 0;
    DWORD messageMs = 0;
};

class RandomCancel : public ::testing::Test {
  protected:
    void SetUp() override {
        m_.addPayload();
        for (const VmSpec &vm : kPathVms)
            pathBins_.push_back(addVm(vm));
        tailBin_ = addVm(kTailVm);
        configure(tailBin_, answerWithDelay(kTailVm.answer, kTailMs));
        // A CLASSPATH of the user's own, which a run that went too far would extend.
        const std::string userClasspath = std::string(".;C:\\user\\classes.zip") + '\0';
        const ValueState value{REG_SZ, userClasspath};
        writeClasspath(&value);

        drive_ = faultDrive();
        if (!drive_.empty())
            makeTree();
    }
    void TearDown() override {
        if (!tree_.empty())
            removeTree(tree_);
        for (const char *dll : {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
            DeleteFileA((systemDirectory() + "\\" + dll).c_str());
    }

    std::string addVm(const VmSpec &vm) {
        const std::string bin = m_.addVm(vm.name, vm.answer);
        const std::string home = bin.substr(0, bin.size() - 4);
        for (const char *d : vm.dirs)
            makeDirs(home + d);
        if (std::string(vm.answer) == "3")
            writeFile(home + "\\lib\\awt.properties",
                      "# AWT settings\r\nAWT.toolkit=sun.awt.windows.WToolkit\r\n");
        return bin;
    }

    // A small drive to search: three levels of folders, and VMs among them.
    void makeTree() {
        tree_ = drive_ + "\\" + kTreeName;
        char name[8];
        for (int a = 1; a <= kFanOut; ++a)
            for (int b = 1; b <= kFanOut; ++b)
                for (int c = 1; c <= kFanOut; ++c) {
                    std::string path = tree_;
                    for (int level : {a, b, c}) {
                        std::snprintf(name, sizeof name, "d%02d", level);
                        path += std::string("\\") + name;
                    }
                    makeDirs(path);
                }
        for (const char *rel : kDriveVms) {
            const std::string home = tree_ + "\\" + rel;
            ASSERT_TRUE(placeStandin(home + "\\bin", {"java.exe", "javaw.exe"}, {"*=15"})) << home;
            makeDirs(home + "\\jre\\lib\\ext");
            driveBins_.push_back(home + "\\bin");
        }
    }

    MachinePicture picture() const {
        MachinePicture p;
        p.addTree(m_.root());
        if (!tree_.empty())
            p.addTree(tree_);
        for (const char *dll : {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
            p.addFile(systemDirectory() + "\\" + dll);
        p.addFile("C:\\autoexec.bat");
        p.addRegistryValue(kEnvironmentKey, "CLASSPATH");
        p.addRegistryTree(kVendorKey);
        return p;
    }

    // From the no-VMs dialog to the press of "Search drive(s)" with only the fault drive chosen.
    bool startSearch(InstallerRun &run) {
        HWND none = run.waitDialog(kNoVmsCaption);
        EXPECT_NE(none, nullptr) << "no no-VMs dialog";
        if (!none || !clickButton(none, IDC_SEARCH))
            return false;
        HWND drives = run.waitDialog(kDrivesCaption);
        EXPECT_NE(drives, nullptr) << "no drive dialog";
        if (!drives)
            return false;
        const std::vector<std::string> items = listItems(drives, IDC_DRIVE_LIST);
        const auto item = std::find(items.begin(), items.end(), "[" + drive_ + "]");
        EXPECT_NE(item, items.end()) << "the fault drive is not offered";
        if (item == items.end())
            return false;
        return toggleListItem(drives, IDC_DRIVE_LIST, static_cast<int>(item - items.begin())) &&
               clickButton(drives, IDC_SEARCH);
    }

    // A search without a cancel: how long the searching dialog stays open, and that it finds each VM of
    // the drive once.
    DWORD calibrateSearch() {
        for (const std::string &bin : driveBins_)
            configure(bin, "15");
        InstallerRun run;
        EXPECT_TRUE(m_.start(run, {}));
        if (!startSearch(run))
            return 0;
        const DWORD pressed = GetTickCount();
        HWND searching = run.waitDialog(kSearchingCaption);
        EXPECT_NE(searching, nullptr);
        if (!searching || !run.waitGone(searching, 60000))
            return 0;
        const DWORD took = GetTickCount() - pressed;
        HWND list = run.waitDialog(kListCaption, 30000);
        EXPECT_NE(list, nullptr) << "the search found nothing";
        if (!list)
            return 0;
        std::vector<std::string> expected;
        for (const std::string &bin : driveBins_)
            expected.push_back(lowerAscii(bin));
        std::vector<std::string> listed = listItems(list, IDC_VM_LIST);
        std::sort(expected.begin(), expected.end());
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, expected);
        clickButton(list, IDC_CANCEL);
        expectOneClosingMessage(finishRun(run), kCanceledCaption, kCanceledText);
        return took;
    }

    void oneRun(int number, bool searchRun, DWORD searchMs, RunRecord &record);

    SampleMachine m_;
    SavedClasspath savedClasspath_;
    std::vector<std::string> pathBins_, driveBins_;
    std::string tailBin_, drive_, tree_;
};

void RandomCancel::oneRun(int number, bool searchRun, DWORD searchMs, RunRecord &record) {
    std::mt19937 random = runGenerator(number);
    auto between = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const bool useCloseBox = between(0, 1) == 1;
    record.closeBox = useCloseBox;

    // This run's VMs: random delays, the PATH in a random order with the tail VM last.
    std::vector<std::string> path;
    int from = 0, window = 0;
    if (searchRun) {
        int verifying = 0;
        for (const std::string &bin : driveBins_) {
            const int delay = between(600, 1200);
            configure(bin, answerWithDelay("15", delay));
            verifying += delay;
        }
        // Half of these runs aim at the search, half at the verification after it.
        if (between(0, 1) == 0) {
            window = static_cast<int>(searchMs);
        } else {
            from = static_cast<int>(searchMs);
            window = from + verifying * 3 / 4;
        }
    } else {
        std::vector<size_t> order = {0, 1, 2, 3};
        std::shuffle(order.begin(), order.end(), random);
        for (size_t k : order) {
            const int delay = between(0, 500);
            configure(pathBins_[k], answerWithDelay(kPathVms[k].answer, delay));
            path.push_back(pathBins_[k]);
            window += delay + 40; // and the start of the stand-in
        }
        path.push_back(tailBin_);
    }
    const int delay = between(from, window);
    record.delay = delay;
    const MachinePicture before = picture();

    InstallerRun run;
    ASSERT_TRUE(m_.start(run, path));
    if (searchRun) {
        ASSERT_TRUE(startSearch(run));
    } else {
        ASSERT_NE(run.waitDialog(kVerifyingCaption), nullptr) << "no verifying dialog";
    }
    Sleep(static_cast<DWORD>(delay));

    // Whichever progress dialog is open now; between two of them, the next one.
    HWND target = nullptr;
    std::string caption;
    const DWORD looking = GetTickCount();
    while (!target && GetTickCount() - looking < 5000) {
        for (const auto &d : processDialogs(run.processId())) {
            caption = d.second;
            target = d.first;
        }
        if (!target)
            Sleep(5);
    }
    ASSERT_NE(target, nullptr) << "no dialog open " << delay << " ms into the run";
    const bool progress = caption == kVerifyingCaption || caption == kSearchingCaption;
    EXPECT_TRUE(progress) << "the work was over before the cancel, " << delay << " ms in: \"" << caption
                          << "\" is open";
    record.where = caption == kSearchingCaption ? "searching"
                   : !progress                  ? caption
                   : searchRun                  ? "verifying after a search"
                                                : "verifying";
    if (useCloseBox)
        pressCloseBox(target);
    else
        EXPECT_TRUE(clickButton(target, IDC_CANCEL));

    const RunEnd end = finishRun(run);
    record.messageMs = end.messageAfterMs;
    expectOneClosingMessage(end, kCanceledCaption, kCanceledText);
    EXPECT_LT(end.messageAfterMs, kPromptMs) << "the cancellation waited for the work in progress";
    (void)endLeftoverVms(run.processId()); // slow stand-ins that were still answering

    const std::vector<std::string> changes = unexpectedChanges(before, before.retake());
    for (const std::string &c : changes)
        ADD_FAILURE() << c;
}

TEST_F(RandomCancel, EveryRunEndsCancelledAtOnceAndChangesNothing) {
    const int runs = static_cast<int>(envNumber("FAULT_CANCEL_RUNS", 60));
    const int only = static_cast<int>(envNumber("FAULT_RUN", 0));
    DWORD searchMs = 0;
    if (!drive_.empty()) {
        // The shorter of two searches: the first may meet a cold cache.
        searchMs = std::min(calibrateSearch(), calibrateSearch());
        ASSERT_GT(searchMs, 0u) << "the search of the fault drive did not run through";
        std::printf("search of %s (%d folders): %lu ms\n", tree_.c_str(),
                    kFanOut + kFanOut * kFanOut + kFanOut * kFanOut * kFanOut,
                    static_cast<unsigned long>(searchMs));
    } else {
        std::printf("no fault drive (run under tests/faults/fault_session.sh): verifying dialog only\n");
    }
    int done = 0, failures = 0, closeBox = 0;
    std::map<std::string, int> dialogs;
    for (int number = 1; number <= runs; ++number) {
        if (only != 0 && number != only)
            continue;
        char trace[96];
        std::snprintf(trace, sizeof trace, "run %d (replay: OSTREL_FAULT_SEED=%lu OSTREL_FAULT_RUN=%d)",
                      number, static_cast<unsigned long>(faultSeed()), number);
        SCOPED_TRACE(trace);
        const int failedBefore = failedAssertions();
        RunRecord record;
        // Every third run cancels during a search and the verification after it.
        oneRun(number, !drive_.empty() && number % 3 == 0, searchMs, record);
        const bool failed = failedAssertions() > failedBefore;
        ++done;
        failures += failed ? 1 : 0;
        closeBox += record.closeBox ? 1 : 0;
        ++dialogs[record.where];
        std::printf("random cancel run %d: %s, %s after %d ms, closing message after %lu ms: %s\n", number,
                    record.where.c_str(), record.closeBox ? "close box" : "Cancel button", record.delay,
                    static_cast<unsigned long>(record.messageMs), failed ? "FAILED" : "ok");
        std::fflush(stdout);
    }

    std::string where;
    for (const auto &d : dialogs)
        where += (where.empty() ? "" : ", ") + d.first + " " + std::to_string(d.second);
    addSummaryLine("random cancel: " + std::to_string(done) + " runs (" + where + "; Cancel button " +
                   std::to_string(done - closeBox) + ", close box " + std::to_string(closeBox) + "; seed " +
                   std::to_string(faultSeed()) + "), " + std::to_string(failures) + " failures");
    EXPECT_EQ(failures, 0);
}
} // namespace
