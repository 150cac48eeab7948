// The selection dialogs on the real templates, worked from a second thread as a user would, with the
// marks they leave in the VM list checked directly.
#include <gtest/gtest.h>

#include <functional>
#include <process.h>

#include "dialog_script.h"
#include "driver.h"
#include "resource.h"
#include "select/selection_dialogs.h"
#include "shell/installer.h"
#include "shell/protocol.h"

namespace {
constexpr const char *kListCaption = "Available Java virtual machines";

class SelectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_instance = GetModuleHandleA(nullptr);
        g_installer = &installer_;
        for (const char *dir : {"c:\\three\\bin", "c:\\two\\bin", "c:\\one\\bin"})
            ASSERT_TRUE(pushVmEntry(installer_.vmList, dir));
    }

    int show(int (*dialog)(), UserScript &script) { return showWithScript(dialog, script); }

    std::vector<int> marks() const {
        std::vector<int> m;
        for (const VmEntry *e = installer_.vmList.get(); e != nullptr; e = e->next.get())
            m.push_back(e->selected);
        return m;
    }

    Installer installer_;
};

TEST_F(SelectionTest, ListShowsEveryEntryInListOrderAndInstallWaitsForTheList) {
    std::vector<std::string> items;
    bool enabledBefore = true, enabledAfter = false;
    UserScript s{kListCaption, [&](HWND d) {
                     items = listItems(d, IDC_VM_LIST);
                     enabledBefore = controlEnabled(d, IDC_INSTALL);
                     EXPECT_FALSE(clickButton(d, IDC_INSTALL)); // a disabled button cannot be pressed
                     toggleListItem(d, IDC_VM_LIST, 0);
                     toggleListItem(d, IDC_VM_LIST, 2);
                     for (int i = 0; i < 100 && !controlEnabled(d, IDC_INSTALL); ++i)
                         Sleep(10);
                     enabledAfter = controlEnabled(d, IDC_INSTALL);
                     clickButton(d, IDC_INSTALL);
                 }};
    EXPECT_EQ(show(showPathListDialog, s), CHOICE_INSTALL);
    EXPECT_EQ(items, (std::vector<std::string>{"c:\\one\\bin", "c:\\two\\bin", "c:\\three\\bin"}));
    EXPECT_FALSE(enabledBefore);
    EXPECT_TRUE(enabledAfter);
    EXPECT_EQ(marks(), (std::vector<int>{1, 0, 1}));
    EXPECT_TRUE(g_vmListEntries.empty()); // released on the way out
}

TEST_F(SelectionTest, SelectingAndDeselectingLeavesInstallEnabledAndMarksNothing) {
    UserScript s{kListCaption, [](HWND d) {
                     toggleListItem(d, IDC_VM_LIST, 1);
                     toggleListItem(d, IDC_VM_LIST, 1);
                     for (int i = 0; i < 100 && !controlEnabled(d, IDC_INSTALL); ++i)
                         Sleep(10);
                     Sleep(100);
                     EXPECT_TRUE(clickButton(d, IDC_INSTALL));
                 }};
    EXPECT_EQ(show(showPathListDialog, s), CHOICE_INSTALL);
    EXPECT_EQ(marks(), (std::vector<int>{0, 0, 0}));
}

TEST_F(SelectionTest, InstallInAllMarksEveryEntryWhateverIsSelected) {
    UserScript s{kListCaption, [](HWND d) {
                     toggleListItem(d, IDC_VM_LIST, 1);
                     Sleep(100);
                     clickButton(d, IDC_INSTALL_ALL);
                 }};
    EXPECT_EQ(show(showVmListDialog, s), CHOICE_INSTALL);
    EXPECT_EQ(marks(), (std::vector<int>{1, 1, 1}));
}

TEST_F(SelectionTest, SearchAndCancelMarkNothing) {
    UserScript search{kListCaption, [](HWND d) {
                          toggleListItem(d, IDC_VM_LIST, 0);
                          Sleep(100);
                          clickButton(d, IDC_SEARCH);
                      }};
    EXPECT_EQ(show(showPathListDialog, search), CHOICE_SEARCH_DISKS);
    UserScript cancel{kListCaption, [](HWND d) {
                          toggleListItem(d, IDC_VM_LIST, 0);
                          Sleep(100);
                          clickButton(d, IDC_CANCEL);
                      }};
    EXPECT_EQ(show(showVmListDialog, cancel), CHOICE_CANCEL);
    EXPECT_EQ(marks(), (std::vector<int>{0, 0, 0}));
}

TEST_F(SelectionTest, TheLaterListHasNoSearchButton) {
    bool hasSearch = true;
    std::string prompt;
    UserScript s{kListCaption, [&](HWND d) {
                     hasSearch = controlExists(d, IDC_SEARCH);
                     prompt = controlText(d, IDC_PROMPT);
                     clickButton(d, IDC_CANCEL);
                 }};
    EXPECT_EQ(show(showVmListDialog, s), CHOICE_CANCEL);
    EXPECT_FALSE(hasSearch);
    EXPECT_EQ(prompt, "Select the Java virtual machines to install the Java Ostrel into:");
}

TEST_F(SelectionTest, EscapeLeavesEachDialogOpenAndTheCloseBoxCancels) {
    struct Case {
        const char *caption;
        int (*dialog)();
    } cases[] = {{kListCaption, showPathListDialog},
                 {kListCaption, showVmListDialog},
                 {"No Java VMs found", showNoVmsDialog}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.caption);
        bool stillOpen = false;
        UserScript s{c.caption, [&](HWND d) {
                         pressEscape(d);
                         Sleep(400);
                         stillOpen = IsWindowVisible(d) != 0;
                         pressCloseBox(d);
                     }};
        EXPECT_EQ(show(c.dialog, s), CHOICE_CANCEL);
        EXPECT_TRUE(stillOpen);
    }
    EXPECT_EQ(marks(), (std::vector<int>{0, 0, 0}));
}

TEST_F(SelectionTest, NoVmsDialogGivesSearchOrCancel) {
    UserScript search{"No Java VMs found", [](HWND d) { clickButton(d, IDC_SEARCH); }};
    EXPECT_EQ(show(showNoVmsDialog, search), CHOICE_SEARCH_DISKS);
    UserScript cancel{"No Java VMs found", [](HWND d) { clickButton(d, IDC_CANCEL); }};
    EXPECT_EQ(show(showNoVmsDialog, cancel), CHOICE_CANCEL);
}
} // namespace
