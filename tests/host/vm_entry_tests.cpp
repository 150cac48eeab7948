#include "discovery/vm_entry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
std::vector<std::string> binDirs(const VmEntry *head) {
    std::vector<std::string> dirs;
    for (const VmEntry *e = head; e != nullptr; e = e->next.get())
        dirs.push_back(e->binDir);
    return dirs;
}
} // namespace

TEST(VmList, PushingPutsTheNewestAtTheHead) {
    std::unique_ptr<VmEntry> list;
    ASSERT_TRUE(pushVmEntry(list, "a"));
    ASSERT_TRUE(pushVmEntry(list, "b"));
    ASSERT_TRUE(pushVmEntry(list, "c"));
    EXPECT_EQ(binDirs(list.get()), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(countVmEntries(list.get()), 3);
}

TEST(VmList, NewEntryStartsUnsetWhateverTheListHeld) {
    std::unique_ptr<VmEntry> list;
    ASSERT_TRUE(pushVmEntry(list, "old"));
    list->compatible = list->layoutResolved = list->isJava11 = list->isJava14 = list->selected = 1;
    list->homeDir = "h";
    ASSERT_TRUE(pushVmEntry(list, "new"));
    const VmEntry &e = *list;
    EXPECT_EQ(e.binDir, "new");
    EXPECT_TRUE(e.homeDir.empty() && e.libDir.empty() && e.extDir.empty());
    EXPECT_EQ(e.compatible + e.layoutResolved + e.isJava11 + e.isJava14 + e.selected, 0);
}

TEST(VmList, SameDirectoryTwiceGivesTwoEntriesWithOwnCopies) {
    std::string dir = "C:\\jdk\\bin";
    std::unique_ptr<VmEntry> list;
    ASSERT_TRUE(pushVmEntry(list, dir.c_str()));
    ASSERT_TRUE(pushVmEntry(list, dir.c_str()));
    dir[0] = 'X'; // the entries own their text
    EXPECT_EQ(binDirs(list.get()), (std::vector<std::string>{"C:\\jdk\\bin", "C:\\jdk\\bin"}));
}

TEST(VmList, NullTextCreatesNothing) {
    std::unique_ptr<VmEntry> list;
    EXPECT_FALSE(pushVmEntry(list, nullptr));
    EXPECT_EQ(list, nullptr);
    std::unique_ptr<PathEntry> paths;
    EXPECT_FALSE(pushPathEntry(paths, nullptr));
    EXPECT_EQ(paths, nullptr);
}

TEST(VmList, VeryLongListIsFreedWithoutExhaustingTheStack) {
    std::unique_ptr<PathEntry> list;
    for (int i = 0; i < 300000; ++i)
        ASSERT_TRUE(pushPathEntry(list, "d"));
    list.reset(); // a recursive release would overflow the stack here
    SUCCEED();
}
