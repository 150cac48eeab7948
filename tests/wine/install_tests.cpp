// Installer::install on its own, for the outcomes that the wizard's pruning keeps it from meeting.
#include <gtest/gtest.h>

#include "shell/installer.h"
#include "test_support.h"

namespace {
const char *const kPayload[] = {"accessibility.properties", "tamrix-1_1.jar", "tamrix-1_2.jar",
                                "tamrix-1_4.jar",           "ostrel.jar",     "JavaOstrel.dll",
                                "WindowsOstrel.dll",        "JAWTOstrel.dll"};
const char *const kDlls[] = {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"};

class InstallUnit : public ::testing::Test {
  protected:
    void SetUp() override {
        installer_.sourceDir = tmp_ / "setup";
        for (const char *name : kPayload)
            writeFile(installer_.sourceDir + "\\installerFiles\\" + name, name);
        removeDlls();
    }
    void TearDown() override { removeDlls(); }
    void removeDlls() {
        for (const char *dll : kDlls)
            DeleteFileA((systemDirectory() + "\\" + dll).c_str());
    }
    bool dllsCopied() {
        for (const char *dll : kDlls)
            if (!fileExists(systemDirectory() + "\\" + dll))
                return false;
        return true;
    }

    // A resolved 1.2/1.3 VM with its folders, pushed at the head (so push in reverse list order).
    VmEntry &vm13(const std::string &name, bool selected) {
        const std::string home = tmp_ / name;
        makeDirs(home + "\\lib\\ext");
        EXPECT_TRUE(pushVmEntry(installer_.vmList, (home + "\\bin").c_str()));
        VmEntry &e = *installer_.vmList;
        e.homeDir = home;
        e.libDir = "\\lib";
        e.extDir = "\\lib\\ext";
        e.compatible = e.layoutResolved = 1;
        e.selected = selected ? 1 : 0;
        return e;
    }

    Installer installer_;
    TempDir tmp_;
};

TEST_F(InstallUnit, NoVmSelectedStillCopiesTheDlls) {
    vm13("a", false);
    EXPECT_EQ(installer_.install(), 0);
    EXPECT_TRUE(dllsCopied());
    EXPECT_TRUE(installer_.failedDestinations.empty());
    EXPECT_FALSE(fileExists(tmp_ / "a\\lib\\ext\\ostrel.jar"));
}

TEST_F(InstallUnit, ASelectedUnusableVmStopsTheInstallationThereAndNothingAfterIt) {
    vm13("third", true).layoutResolved = 0; // unusable, and selected
    vm13("second", true);
    vm13("first", true);
    EXPECT_EQ(installer_.install(), -1);
    EXPECT_TRUE(fileExists(tmp_ / "first\\lib\\ext\\ostrel.jar"));
    EXPECT_TRUE(fileExists(tmp_ / "second\\lib\\ext\\ostrel.jar"));
    EXPECT_FALSE(fileExists(tmp_ / "third\\lib\\ext\\ostrel.jar"));
    EXPECT_FALSE(dllsCopied());
}

TEST_F(InstallUnit, AnUnselectedUnusableVmIsPassedOver) {
    vm13("unusable", false).compatible = 0;
    vm13("good", true);
    EXPECT_EQ(installer_.install(), 0);
    EXPECT_TRUE(fileExists(tmp_ / "good\\lib\\ext\\tamrix.jar"));
    EXPECT_TRUE(dllsCopied());
}

TEST_F(InstallUnit, AVmWithoutTheDirectoriesItsKindNeedsCountsAsUnusable) {
    // Marked 1.4 and 1.1 at once: the 1.4 branch needs a library folder that such an entry lacks.
    VmEntry &both = vm13("both", true);
    both.isJava11 = both.isJava14 = 1;
    both.libDir.clear();
    EXPECT_EQ(installer_.install(), -1);
    EXPECT_FALSE(fileExists(tmp_ / "both\\accessibility.properties"));
    VmEntry &noExt = vm13("noext", true);
    noExt.extDir.clear();
    installer_.vmList->next->selected = 0;
    EXPECT_EQ(installer_.install(), -1);
    EXPECT_FALSE(fileExists(tmp_ / "noext\\tamrix.jar"));
}

TEST_F(InstallUnit, APathTooLongForThePlatformIsSkippedAndReportedNotCut) {
    VmEntry &e = vm13("long", true);
    e.extDir = "\\" + std::string(300, 'x'); // beyond what a destination may be
    EXPECT_EQ(installer_.install(), 0);
    ASSERT_EQ(installer_.failedDestinations.size(), 2u);
    EXPECT_EQ(installer_.failedDestinations[0], e.homeDir + e.extDir + "\\tamrix.jar");
    EXPECT_EQ(installer_.failedDestinations[1], e.homeDir + e.extDir + "\\ostrel.jar");
    EXPECT_TRUE(fileExists(tmp_ / "long\\lib\\accessibility.properties"));
}
} // namespace
