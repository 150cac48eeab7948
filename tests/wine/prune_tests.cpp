// Layout resolution and pruning on real folders.
#include <gtest/gtest.h>

#include <vector>

#include "shell/handles.h"
#include "shell/installer.h"
#include "test_support.h"

namespace {
struct Verdict {
    int compatible, isJava11, isJava14;
};
constexpr Verdict k11 = {1, 1, 0};
constexpr Verdict k13 = {1, 0, 0};
constexpr Verdict k14 = {1, 0, 1};
constexpr Verdict kRejected = {0, 0, 0};

class LayoutTest : public ::testing::Test {
  protected:
    void SetUp() override { cwd_ = currentDirectory(); }
    void TearDown() override { SetCurrentDirectoryA(cwd_.c_str()); }

    // Pushes an entry for binDir with the tester's verdict; entries are pushed in reverse list order.
    VmEntry &push(const std::string &binDir, Verdict v) {
        EXPECT_TRUE(pushVmEntry(installer_.vmList, binDir.c_str()));
        VmEntry &e = *installer_.vmList;
        e.compatible = v.compatible;
        e.isJava11 = v.isJava11;
        e.isJava14 = v.isJava14;
        return e;
    }

    // A VM home with these folders below it.
    std::string home(const std::string &name, std::initializer_list<const char *> dirs) {
        const std::string h = tmp_ / name;
        makeDirs(h + "\\bin");
        for (const char *d : dirs)
            makeDirs(h + d);
        return h;
    }

    std::vector<std::string> listed() const {
        std::vector<std::string> dirs;
        for (const VmEntry *e = installer_.vmList.get(); e != nullptr; e = e->next.get())
            dirs.push_back(e->binDir);
        return dirs;
    }

    Installer installer_;
    TempDir tmp_;
    std::string cwd_;
};

struct Row {
    const char *name;
    std::initializer_list<const char *> dirs;
    Verdict verdict;
    bool resolved;
    const char *libDir;
    const char *extDir;
};

TEST_F(LayoutTest, EachKindOfLayoutResolvesAsDesigned) {
    const Row rows[] = {
        {"v11", {}, k11, true, "", "\\lib"},
        {"v11lib", {"\\lib"}, k11, true, "", "\\lib"},
        {"jreext", {"\\jre\\lib\\ext", "\\lib\\ext"}, k13, true, "\\jre\\lib", "\\jre\\lib\\ext"},
        {"libext", {"\\lib\\ext"}, k14, true, "\\lib", "\\lib\\ext"},
        {"libonly", {"\\lib"}, k13, true, "\\lib", "\\lib"},
        {"jrenoext", {"\\jre\\lib", "\\lib\\ext"}, k14, false, "\\jre\\lib", ""},
        {"nothing", {}, k13, false, "", ""},
        {"contradiction", {"\\lib\\ext"}, {1, 1, 1}, false, "", ""},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const std::string h = home(std::string("Upper-") + r.name, r.dirs);
        VmEntry &e = push(h + "\\BIN", r.verdict);
        EXPECT_EQ(e.resolveLayout(), r.resolved ? 1 : 0);
        EXPECT_EQ(e.layoutResolved, r.resolved ? 1 : 0);
        EXPECT_EQ(e.binDir, lowerAscii(h + "\\BIN"));
        EXPECT_EQ(e.homeDir, lowerAscii(h));
        EXPECT_EQ(e.libDir, r.libDir);
        EXPECT_EQ(e.extDir, r.extDir);
        EXPECT_EQ(currentDirectory(), cwd_);
    }
}

TEST_F(LayoutTest, PathsThatAreNotPlainBinFoldersLeaveTheList) {
    const std::string h = home("jdk", {"\\lib\\ext"});
    std::string slashes = h + "\\bin";
    for (char &c : slashes)
        if (c == '\\')
            c = '/';
    push(slashes, k13);              // no backslash-separated "bin"
    push("bin", k13);                // "bin" first: no home before it
    push(h + "\\binaries", k13);     // no component named "bin"
    push(h + "\\\\bin", k13);        // doubled separator: still c:\...\jdk
    push(h + "\\bin\\..\\bin", k13); // the first "bin" decides
    installer_.resolveAndPrune();
    EXPECT_EQ(listed(),
              (std::vector<std::string>{lowerAscii(h + "\\bin\\..\\bin"), lowerAscii(h + "\\\\bin")}));
    for (const VmEntry *e = installer_.vmList.get(); e != nullptr; e = e->next.get())
        EXPECT_EQ(e->homeDir, lowerAscii(h));
    EXPECT_EQ(currentDirectory(), cwd_);
}

TEST_F(LayoutTest, RejectedAndUnresolvedEntriesLeaveAndTheRestKeepTheirOrder) {
    const std::string a = home("a", {"\\lib"});
    const std::string b = home("b", {});
    const std::string c = home("c", {"\\jre\\lib\\ext"});
    push(c + "\\bin", k14);
    push(b + "\\bin", k13); // no library folder
    push(a + "\\bin", kRejected);
    push(a + "\\bin", k11);
    installer_.resolveAndPrune();
    EXPECT_EQ(listed(), (std::vector<std::string>{lowerAscii(a + "\\bin"), lowerAscii(c + "\\bin")}));
}

TEST_F(LayoutTest, RepeatsLeaveInEveryPositionAndTheFirstOfEachStays) {
    const std::string a = home("A", {}), b = home("B", {}), c = home("C", {});
    // List order: rejected-a, A, B, a, C, b, B, c
    push(c + "\\BIN", k11);
    push(lowerAscii(b) + "\\bin", k11);
    push(b + "\\bin", k11);
    push(c + "\\bin", k11);
    push(lowerAscii(a + "\\bin"), k11);
    push(b + "\\bin", k11);
    push(a + "\\Bin", k11);
    push(a + "\\bin", kRejected); // the rejected first entry does not count as the one to keep
    installer_.resolveAndPrune();
    EXPECT_EQ(listed(), (std::vector<std::string>{lowerAscii(a + "\\bin"), lowerAscii(b + "\\bin"),
                                                  lowerAscii(c + "\\bin")}));
}

TEST_F(LayoutTest, ASecondPassResolvesOnlyNewEntriesAndKeepsOlderLayouts) {
    const std::string old = home("old", {"\\lib\\ext"});
    push(old + "\\bin", k13);
    installer_.resolveAndPrune();
    ASSERT_EQ(listed().size(), 1u);
    const VmEntry *kept = installer_.vmList.get();
    // The folders change before the second pass: a layout derived once is final.
    removeTree(old + "\\lib");
    const std::string added = home("added", {"\\lib"});
    push(added + "\\bin", k14);
    push(old + "\\BIN", k13); // found again by a search: resolved anew, it finds no library folder now
    installer_.resolveAndPrune();
    EXPECT_EQ(listed(), (std::vector<std::string>{lowerAscii(added + "\\bin"), lowerAscii(old + "\\bin")}));
    EXPECT_EQ(installer_.vmList->next.get(), kept);
    EXPECT_EQ(kept->libDir, "\\lib");
    EXPECT_EQ(kept->extDir, "\\lib\\ext");
    EXPECT_EQ(currentDirectory(), cwd_);
}

TEST_F(LayoutTest, AVeryLongHomeCountsAsAbsentAndIsNotCutShort) {
    std::string deep = tmp_.path();
    while (deep.size() < 250)
        deep += "\\" + std::string(std::min<size_t>(30, 255 - deep.size()), 'd');
    VmEntry &e = push(deep + "\\bin", k13);
    EXPECT_EQ(e.resolveLayout(), 0);
    EXPECT_EQ(e.layoutResolved, 0);
    EXPECT_EQ(currentDirectory(), cwd_);
}
} // namespace
