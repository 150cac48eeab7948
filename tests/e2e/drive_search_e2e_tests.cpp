// The disk search end to end: the real installer.exe in a prefix whose drives are test folders (see
// tests/wine/drive_search_session.sh), stand-in VMs on those drives, and a scripted user.
#include <gtest/gtest.h>

#include <algorithm>

#include "machine.h"
#include "resource.h"
#include "scratch_drive.h"

namespace {

// A VM on a test drive whose launchers (java.exe among them) answer as a usable VM; its bin folder.
std::string placeVm(const ScratchDrive &drive, const std::string &home) {
    const std::string bin = drive / (home + "\\bin");
    EXPECT_TRUE(placeStandin(bin, {"java.exe", "javaw.exe"}, {"*=2"}));
    return bin;
}

// Presses a button of the dialog with this caption once it is there.
void press(InstallerRun &run, const char *caption, int button) {
    HWND d = run.waitDialog(caption);
    ASSERT_NE(d, nullptr) << "no dialog \"" << caption << "\"";
    ASSERT_TRUE(clickButton(d, button));
    ASSERT_TRUE(run.waitGone(d)) << caption;
}

// In the drive dialog: selects these items, in this order, and presses "Search drive(s)".
void searchDrives(InstallerRun &run, const std::vector<std::string> &items) {
    HWND d = run.waitDialog(kDrivesCaption);
    ASSERT_NE(d, nullptr) << "no drive dialog";
    EXPECT_EQ(controlText(d, IDC_SEARCH), "Search drive(s)");
    const std::vector<std::string> shown = listItems(d, IDC_DRIVE_LIST);
    for (const std::string &item : items) {
        const auto at = std::find(shown.begin(), shown.end(), item);
        ASSERT_NE(at, shown.end()) << item;
        toggleListItem(d, IDC_DRIVE_LIST, static_cast<int>(at - shown.begin()));
    }
    for (int i = 0; i < 100 && selectedItems(d, IDC_DRIVE_LIST).size() != items.size(); ++i)
        Sleep(10);
    ASSERT_TRUE(clickButton(d, IDC_SEARCH));
    ASSERT_TRUE(run.waitGone(d));
}

TEST(DiskSearch, NothingFoundLeadsBackToTheNoVmsDialogAndALaterSearchListsItsFindsLastFoundFirst) {
    SampleMachine m;
    ScratchDrive d('D'), e('E'), f('F');
    d.files({"tools\\bin\\jre.exe", "tools\\bin\\javaw.exe"}); // no java.exe: nothing to report
    const std::string onE = placeVm(e, "jre-e");
    const std::string onF = placeVm(f, "jdk-f");
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {}));
    press(run, kNoVmsCaption, IDC_SEARCH);
    searchDrives(run, {"[D:]"});
    press(run, kNoVmsCaption, IDC_SEARCH); // the same dialog again: nothing was found
    EXPECT_TRUE(m.vmStarts().empty());
    searchDrives(run, {"[F:]", "[E:]"}); // E: is searched first, whatever the order of choosing
    HWND list = run.waitDialog(kListCaption);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(controlExists(list, IDC_SEARCH)) << "the list after a search offers no further search";
    EXPECT_EQ(listItems(list, IDC_VM_LIST), (std::vector<std::string>{lowerAscii(onF), lowerAscii(onE)}));
    EXPECT_EQ(m.vmStarts().size(), 2u);
    ASSERT_TRUE(clickButton(list, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
}

TEST(DiskSearch, FromTheListOfCommonPlacesTheSearchAddsItsFindsAheadOfTheEarlierVms) {
    SampleMachine m;
    ScratchDrive g('G');
    const std::string earlier = m.addVm("jdk-on-path");
    const std::string onG = placeVm(g, "found\\jdk");
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {earlier}));
    press(run, kListCaption, IDC_SEARCH);
    searchDrives(run, {"[G:]"});
    HWND list = run.waitDialog(kListCaption);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(controlExists(list, IDC_SEARCH));
    EXPECT_EQ(listItems(list, IDC_VM_LIST), (std::vector<std::string>{lowerAscii(onG), lowerAscii(earlier)}));
    EXPECT_EQ(standinRecords(earlier).size(), 1u) << "a VM verified before is not verified again";
    ASSERT_TRUE(clickButton(list, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
}

// Cancel by the button or the close box while the search walks T:'s 20,000 directories: the closing
// message follows within a second.
void cancelDuringTheSearchOfABigTree(bool useCloseBox) {
    SampleMachine m;
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {}));
    press(run, kNoVmsCaption, IDC_SEARCH);
    searchDrives(run, {"[T:]"});
    HWND searching = run.waitDialog(kSearchingCaption);
    ASSERT_NE(searching, nullptr);
    EXPECT_EQ(controlText(searching, IDC_PROMPT), "Searching  in:");
    for (int i = 0; i < 500 && controlText(searching, IDC_STATUS).rfind("T:\\Folder", 0) != 0; ++i)
        Sleep(10);
    ASSERT_EQ(controlText(searching, IDC_STATUS).rfind("T:\\Folder", 0), 0u) << "the search is not under way";
    const DWORD pressed = GetTickCount();
    if (useCloseBox)
        pressCloseBox(searching);
    else
        ASSERT_TRUE(clickButton(searching, IDC_CANCEL));
    const std::optional<MessageBoxSeen> box = run.waitMessageBox(15000, false);
    ASSERT_TRUE(box.has_value());
    EXPECT_LT(GetTickCount() - pressed, 1000u);
    EXPECT_EQ(box->caption, kCanceledCaption);
    EXPECT_EQ(box->text, kCanceledText);
    clickButton(box->window, IDOK);
    expectExitCodeZero(run);
}

TEST(DiskSearch, CancelDuringTheSearchOfABigTreeEndsTheRunWithinASecond) {
    cancelDuringTheSearchOfABigTree(false);
}
TEST(DiskSearch, TheCloseBoxDuringTheSearchOfABigTreeEndsTheRunWithinASecond) {
    cancelDuringTheSearchOfABigTree(true);
}

TEST(DiskSearch, CancelOrCloseInTheDriveDialogEndsTheRun) {
    for (const bool useCloseBox : {false, true}) {
        SCOPED_TRACE(useCloseBox ? "close box" : "Cancel");
        SampleMachine m;
        InstallerRun run;
        ASSERT_TRUE(m.start(run, {}));
        press(run, kNoVmsCaption, IDC_SEARCH);
        HWND d = run.waitDialog(kDrivesCaption);
        ASSERT_NE(d, nullptr);
        toggleListItem(d, IDC_DRIVE_LIST, 1);
        if (useCloseBox)
            pressCloseBox(d);
        else
            ASSERT_TRUE(clickButton(d, IDC_CANCEL));
        expectClosing(run, kCanceledCaption, kCanceledText);
    }
}
// The states after a search that the tests above do not reach: cancelling the verification of the finds,
// and installing from the list after a search, on both platform families.
TEST(DiskSearch, CancelDuringTheVerificationAfterASearchEndsTheRun) {
    SampleMachine m;
    ScratchDrive g('G');
    const std::string slow = g / "slow\\bin";
    ASSERT_TRUE(placeStandin(slow, {"java.exe", "javaw.exe"}, {"*=2,1500"}));
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {}));
    press(run, kNoVmsCaption, IDC_SEARCH);
    searchDrives(run, {"[G:]"});
    HWND verifying = run.waitDialog("Checking Java VMs for compatibility");
    ASSERT_NE(verifying, nullptr);
    ASSERT_TRUE(clickButton(verifying, IDC_CANCEL));
    expectClosing(run, kCanceledCaption, kCanceledText);
    Sleep(1700); // the probe under way ends by itself before its drive is emptied
}

class InstallAfterSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        m_.addPayload();
        readFile(autoexec_, savedAutoexec_);
        hadAutoexec_ = fileExists(autoexec_);
        DeleteFileA(autoexec_.c_str());
    }
    void TearDown() override {
        setWindowsVersion(nullptr);
        DeleteFileA(autoexec_.c_str());
        if (hadAutoexec_)
            writeFile(autoexec_, savedAutoexec_);
        for (const char *dll : {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
            DeleteFileA((systemDirectory() + "\\" + dll).c_str());
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                          "System\\CurrentControlSet\\Control\\Session Manager\\Environment", 0,
                          KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "CLASSPATH");
            RegCloseKey(key);
        }
    }

    // Searches G: from the no-VMs dialog, presses Install in All in the list, and returns the closing box.
    MessageBoxSeen searchAndInstallAll() {
        InstallerRun run;
        EXPECT_TRUE(m_.start(run, {}));
        press(run, kNoVmsCaption, IDC_SEARCH);
        searchDrives(run, {"[G:]"});
        HWND list = run.waitDialog(kListCaption);
        EXPECT_NE(list, nullptr);
        if (!list)
            return {};
        EXPECT_FALSE(controlExists(list, IDC_SEARCH));
        clickButton(list, IDC_INSTALL_ALL);
        const std::optional<MessageBoxSeen> box = run.waitMessageBox(30000);
        expectExitCodeZero(run);
        return box.value_or(MessageBoxSeen{});
    }

    SampleMachine m_;
    ScratchDrive g_{'G'};
    std::string autoexec_ = "C:\\autoexec.bat";
    std::string savedAutoexec_;
    bool hadAutoexec_ = false;
};

TEST_F(InstallAfterSearch, TheListAfterASearchInstallsIntoTheFoundVms) {
    ASSERT_TRUE(placeStandin(g_ / "jdk13\\bin", {"java.exe", "javaw.exe"}, {"*=7"}));
    g_.dirs({"jdk13\\jre\\lib\\ext"});
    const MessageBoxSeen box = searchAndInstallAll();
    EXPECT_EQ(box.caption, "Installation Completed");
    EXPECT_EQ(box.text, "Installation of the Java Ostrel was successful.");
    EXPECT_EQ(fileContent(g_ / "jdk13\\jre\\lib\\ext\\tamrix.jar"), "payload:tamrix-1_2.jar");
    EXPECT_EQ(fileContent(g_ / "jdk13\\jre\\lib\\accessibility.properties"),
              "payload:accessibility.properties");
}

TEST_F(InstallAfterSearch, OnThe9xFamilyAFound11VmIsInstalledAndARestartAsked) {
    setWindowsVersion("win98");
    ASSERT_TRUE(placeStandin(g_ / "jdk11\\bin", {"java.exe", "javaw.exe"}, {"*=3"}));
    ASSERT_TRUE(writeFile(g_ / "jdk11\\lib\\awt.properties", "AWT.toolkit=x\r\n"));
    const MessageBoxSeen box = searchAndInstallAll();
    EXPECT_EQ(box.caption, "Installation Completed.  You must reboot your system.");
    EXPECT_EQ(box.text, "Installation of the Java Ostrel was successful.");
    const std::string target = lowerAscii(g_ / "jdk11\\lib");
    EXPECT_EQ(fileContent(autoexec_), "set CLASSPATH=.;" + target + "\\tamrix.jar;" + target +
                                          "\\ostrel.jar;" + target + "\\classes.zip\r\n");
    EXPECT_EQ(fileContent(g_ / "jdk11\\lib\\tamrix.jar"), "payload:tamrix-1_1.jar");
}
} // namespace
