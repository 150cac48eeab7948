// The disk search end to end: the real installer.exe in a prefix whose drives are test folders (see
// tests/wine/drive_search_session.sh), stand-in VMs on those drives, and a scripted user.
#include <gtest/gtest.h>

#include <algorithm>

#include "machine.h"
#include "resource.h"
#include "scratch_drive.h"

namespace {
constexpr const char *kNoVms = "No Java VMs found";
constexpr const char *kDrives = "Drives to search on";
constexpr const char *kSearching = "Searching for Java VMs";
constexpr const char *kList = "Available Java virtual machines";
constexpr const char *kCanceledCaption = "Installation Canceled";
constexpr const char *kCanceledText = "Installation of the Java Ostrel was canceled.";

std::string lower(std::string s) {
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

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
    HWND d = run.waitDialog(kDrives);
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

void expectCanceled(InstallerRun &run) {
    const std::optional<MessageBoxSeen> box = run.waitMessageBox();
    ASSERT_TRUE(box.has_value()) << "no closing message box";
    EXPECT_EQ(box->caption, kCanceledCaption);
    EXPECT_EQ(box->text, kCanceledText);
    DWORD code = 1234;
    ASSERT_TRUE(run.waitExit(10000, code));
    EXPECT_EQ(code, 0u);
}

TEST(DiskSearch, NothingFoundLeadsBackToTheNoVmsDialogAndALaterSearchListsItsFindsLastFoundFirst) {
    SampleMachine m;
    ScratchDrive d('D'), e('E'), f('F');
    d.files({"tools\\bin\\jre.exe", "tools\\bin\\javaw.exe"}); // no java.exe: nothing to report
    const std::string onE = placeVm(e, "jre-e");
    const std::string onF = placeVm(f, "jdk-f");
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {}));
    press(run, kNoVms, IDC_SEARCH);
    searchDrives(run, {"[D:]"});
    press(run, kNoVms, IDC_SEARCH); // the same dialog again: nothing was found
    EXPECT_TRUE(m.vmStarts().empty());
    searchDrives(run, {"[F:]", "[E:]"}); // E: is searched first, whatever the order of choosing
    HWND list = run.waitDialog(kList);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(controlExists(list, IDC_SEARCH)) << "the list after a search offers no further search";
    EXPECT_EQ(listItems(list, IDC_VM_LIST), (std::vector<std::string>{lower(onF), lower(onE)}));
    EXPECT_EQ(m.vmStarts().size(), 2u);
    ASSERT_TRUE(clickButton(list, IDC_CANCEL));
    expectCanceled(run);
}

TEST(DiskSearch, FromTheListOfCommonPlacesTheSearchAddsItsFindsAheadOfTheEarlierVms) {
    SampleMachine m;
    ScratchDrive g('G');
    const std::string earlier = m.addVm("jdk-on-path");
    const std::string onG = placeVm(g, "found\\jdk");
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {earlier}));
    press(run, kList, IDC_SEARCH);
    searchDrives(run, {"[G:]"});
    HWND list = run.waitDialog(kList);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(controlExists(list, IDC_SEARCH));
    EXPECT_EQ(listItems(list, IDC_VM_LIST), (std::vector<std::string>{lower(onG), lower(earlier)}));
    EXPECT_EQ(standinRecords(earlier).size(), 1u) << "a VM verified before is not verified again";
    ASSERT_TRUE(clickButton(list, IDC_CANCEL));
    expectCanceled(run);
}

// Cancel by the button or the close box while the search walks T:'s 20,000 directories: the closing
// message follows within a second.
void cancelDuringTheSearchOfABigTree(bool useCloseBox) {
    SampleMachine m;
    InstallerRun run;
    ASSERT_TRUE(m.start(run, {}));
    press(run, kNoVms, IDC_SEARCH);
    searchDrives(run, {"[T:]"});
    HWND searching = run.waitDialog(kSearching);
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
    DWORD code = 1234;
    ASSERT_TRUE(run.waitExit(10000, code));
    EXPECT_EQ(code, 0u);
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
        press(run, kNoVms, IDC_SEARCH);
        HWND d = run.waitDialog(kDrives);
        ASSERT_NE(d, nullptr);
        toggleListItem(d, IDC_DRIVE_LIST, 1);
        if (useCloseBox)
            pressCloseBox(d);
        else
            ASSERT_TRUE(clickButton(d, IDC_CANCEL));
        expectCanceled(run);
    }
}
} // namespace
