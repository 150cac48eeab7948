// The wizard end to end: the real installer.exe, its real dialogs, and a scripted user.
#include <gtest/gtest.h>

#include "machine.h"
#include "resource.h"

namespace {

// The distinct texts that a progress dialog's status field shows until the dialog ends.
std::vector<std::string> statusTexts(InstallerRun &run, HWND dialog) {
    std::vector<std::string> seen;
    while (IsWindow(dialog) && IsWindowVisible(dialog)) {
        const std::string text = controlText(dialog, IDC_STATUS);
        if (!text.empty() && text != "<missing>" && (seen.empty() || seen.back() != text))
            seen.push_back(text);
        Sleep(20);
    }
    (void)run;
    return seen;
}

TEST(Wizard, NothingFoundShowsTheNoVmsDialogAndCancelEndsTheRun) {
    SampleMachine m;
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {m.root() + "\\empty"}));
    HWND d = run.waitDialog(kNoVmsCaption);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(controlText(d, IDC_PROMPT),
              "No Java virtual machines found which will support the Java Ostrel.  Search more?");
    EXPECT_EQ(controlText(d, IDC_SEARCH), "Search Disks");
    ASSERT_TRUE(clickButton(d, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
}

TEST(Wizard, EscapeLeavesTheNoVmsDialogOpenAndTheCloseBoxCancels) {
    SampleMachine m;
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {}));
    HWND d = run.waitDialog(kNoVmsCaption);
    ASSERT_NE(d, nullptr);
    pressEscape(d);
    EXPECT_FALSE(run.waitGone(d, 1500)) << "Escape closed the dialog";
    pressCloseBox(d);
    EXPECT_TRUE(run.waitGone(d));
    // The same key does reach a dialog that handles it: Escape on the closing box dismisses it.
    HWND box = run.waitDialog(kCanceledCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(controlText(box, 0xFFFF), kCanceledText);
    pressEscape(box);
    expectExitCodeZero(run, "Escape did not reach the message box");
}

TEST(Wizard, VmsFromPathAndRegistryAreListedInDiscoveryOrder) {
    SampleMachine m;
    const std::string p1 = m.addVm("jdk-path-one");
    const std::string p2 = m.addVm("jre-path-two", "2", {"jre.exe", "javaw.exe"});
    m.addVm("reg-jre14");
    m.addVm("reg-jdk11");
    m.addRegistryHome(21, m.root() + "\\reg-jre14");
    m.addRegistryHome(0, m.root() + "\\reg-jdk11");
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {p1, m.root() + "\\no-such-dir", p2}));
    HWND d = run.waitDialog(kListCaption);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(controlText(d, IDC_PROMPT), "Java virtual machines found in common places:");
    const std::vector<std::string> expected = {lowerAscii(p1), lowerAscii(p2),
                                               lowerAscii(m.root() + "\\reg-jdk11\\bin"),
                                               lowerAscii(m.root() + "\\reg-jre14\\bin")};
    EXPECT_EQ(listItems(d, IDC_VM_LIST), expected);
    EXPECT_FALSE(controlEnabled(d, IDC_INSTALL));
    ASSERT_TRUE(clickButton(d, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
}

TEST(Wizard, ArgumentsOnTheCommandLineChangeNothing) {
    SampleMachine m;
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {}, "/S /D=C:\\elsewhere --help"));
    HWND d = run.waitDialog(kNoVmsCaption);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(clickButton(d, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
}

TEST(Wizard, StartUpDirectoryTooLongEndsTheRunAsCanceledWithoutADialog) {
    SampleMachine m;
    // 256 characters or more: beyond what the installer can name its own files by.
    std::string deep = m.root();
    while (deep.size() < 250)
        deep += "\\" + std::string(std::min<size_t>(40, 256 - deep.size()), 'd');
    while (deep.size() < 257)
        deep += "\\x";
    ASSERT_TRUE(makeDirs(deep)) << deep;
    ASSERT_GE(deep.size(), 256u);
    m.addVm("jdk");
    InstallerRun run;
    ASSERT_TRUE(run.start(installerPath(), deep, {{"PATH", m.root() + "\\jdk\\bin"}}));
    expectClosing(run, kCanceledCaption, kCanceledText);
}
TEST(Verification, TheVerifyingDialogShowsEachCandidateInListOrder) {
    SampleMachine m;
    const std::string a = m.addVm("vm-a", "2,500");
    const std::string b = m.addVm("vm-b", "14,500");
    const std::string c = m.addVm("vm-c", "6,500");
    m.addRegistryHome(2, m.root() + "\\vm-c");
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {b, a}));
    HWND d = run.waitDialog(kVerifyingCaption);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(controlText(d, IDC_PROMPT), "Verifying the Java VM at:");
    EXPECT_EQ(statusTexts(run, d), (std::vector<std::string>{b, a, c}));
    // Every VM ran the tester once, from the start-up folder that holds it, without a CLASSPATH.
    const std::vector<StandinRecord> starts = m.vmStarts();
    ASSERT_EQ(starts.size(), 3u);
    for (const StandinRecord &r : starts) {
        EXPECT_EQ(r.commandLine, "javaw.exe OstrelTester");
        EXPECT_EQ(r.currentDirectory, m.startDir());
        EXPECT_TRUE(r.testerPresent);
        EXPECT_FALSE(r.classpathSet);
    }
    HWND list = run.waitDialog(kListCaption);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(clickButton(list, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
}

TEST(Verification, AClasspathOfTheUserNeverReachesAVm) {
    SampleMachine m;
    const std::string a = m.addVm("vm-a");
    InstallerRun run;
    ASSERT_TRUE(
        run.start(installerPath(), m.startDir(), {{"PATH", a}, {"CLASSPATH", "C:\\user\\classes.zip"}}));
    HWND list = run.waitDialog(kListCaption);
    ASSERT_NE(list, nullptr);
    const std::vector<StandinRecord> starts = standinRecords(a);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_FALSE(starts[0].classpathSet);
    ASSERT_TRUE(clickButton(list, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
}

// Cancel by the button or by the close box while a slow probe runs: the run ends at once, and no
// further VM is started, not even after the slow probe has ended.
void cancelDuringSlowProbe(bool useCloseBox) {
    SampleMachine m;
    const std::string slow = m.addVm("vm-slow", "2,2500");
    const std::string next = m.addVm("vm-next", "2");
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {slow, next}));
    HWND d = run.waitDialog(kVerifyingCaption);
    ASSERT_NE(d, nullptr);
    for (int i = 0; i < 200 && controlText(d, IDC_STATUS) != slow; ++i)
        Sleep(10);
    ASSERT_EQ(controlText(d, IDC_STATUS), slow);
    const DWORD pressed = GetTickCount();
    if (useCloseBox)
        pressCloseBox(d);
    else
        ASSERT_TRUE(clickButton(d, IDC_CANCEL));
    const std::optional<MessageBoxSeen> box = run.waitMessageBox(15000, false);
    ASSERT_TRUE(box.has_value());
    EXPECT_LT(GetTickCount() - pressed, 1000u) << "the cancellation waited for the probe";
    EXPECT_EQ(box->caption, kCanceledCaption);
    EXPECT_EQ(box->text, kCanceledText);
    Sleep(3500); // the slow probe has ended meanwhile, and the installer is still running
    EXPECT_TRUE(standinRecords(next).empty()) << "a VM was started after the cancellation";
    clickButton(box->window, IDOK);
    expectExitCodeZero(run);
}

TEST(Verification, CancelDuringASlowProbeEndsTheRunAtOnce) {
    cancelDuringSlowProbe(false);
}
TEST(Verification, TheCloseBoxDuringASlowProbeEndsTheRunAtOnce) {
    cancelDuringSlowProbe(true);
}

TEST(Verification, EscapeDoesNotCancelVerification) {
    SampleMachine m;
    const std::string slow = m.addVm("vm-slow", "2,1500");
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {slow}));
    HWND d = run.waitDialog(kVerifyingCaption);
    ASSERT_NE(d, nullptr);
    pressEscape(d);
    HWND list = run.waitDialog(kListCaption); // verification went on to its end
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(listItems(list, IDC_VM_LIST), std::vector<std::string>{lowerAscii(slow)});
    ASSERT_TRUE(clickButton(list, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
}
TEST(Pruning, OnlyUsableVmsWithAKnownLayoutAreListedOnceEach) {
    SampleMachine m;
    const std::string v11 = m.addVm("Jdk11", "3");
    const std::string v13 = m.addVm("Jdk13", "7");
    makeDirs(m.root() + "\\Jdk13\\jre\\lib\\ext");
    const std::string rejected = m.addVm("Jdk90", "5");
    const std::string noLib = m.addVm("Jdk14", "15"); // a later VM without a library folder
    const std::string silent = m.addVm("Broken", "0");
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {rejected, v13, noLib, lowerAscii(v11), silent, v11, v13}));
    HWND d = run.waitDialog(kListCaption);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(listItems(d, IDC_VM_LIST), (std::vector<std::string>{lowerAscii(v13), lowerAscii(v11)}));
    ASSERT_TRUE(clickButton(d, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
}

TEST(Pruning, NothingUsableLeadsToTheNoVmsDialog) {
    SampleMachine m;
    const std::string rejected = m.addVm("jdk9", "5");
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {rejected}));
    HWND d = run.waitDialog(kNoVmsCaption);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(m.vmStarts().size(), 1u); // it was verified, and then left out
    ASSERT_TRUE(clickButton(d, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
}
} // namespace
