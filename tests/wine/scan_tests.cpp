// The PATH and registry scan on real folders and a real registry.
#include <gtest/gtest.h>

#include <vector>

#include "discovery/registry_keys.h"
#include "shell/handles.h"
#include "shell/installer.h"
#include "test_support.h"

namespace {
constexpr const char *kVendorRoot = "Software\\Pellior";

std::vector<std::string> binDirs(const Installer &in) {
    std::vector<std::string> dirs;
    for (const VmEntry *e = in.vmList.get(); e != nullptr; e = e->next.get())
        dirs.push_back(e->binDir);
    return dirs;
}

std::vector<std::string> pathDirs(const Installer &in) {
    std::vector<std::string> dirs;
    for (const PathEntry *e = in.pathList.get(); e != nullptr; e = e->next.get())
        dirs.push_back(e->dir);
    return dirs;
}

class ScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        deleteMachineTree(kVendorRoot);
        char buf[32768];
        DWORD n = GetEnvironmentVariableA("PATH", buf, sizeof buf);
        hadPath_ = n > 0 && n < sizeof buf;
        if (hadPath_)
            savedPath_.assign(buf, n);
        cwd_ = currentDirectory();
    }
    void TearDown() override {
        deleteMachineTree(kVendorRoot);
        SetEnvironmentVariableA("PATH", hadPath_ ? savedPath_.c_str() : nullptr);
        SetCurrentDirectoryA(cwd_.c_str());
    }

    // A folder holding the named launchers.
    std::string vm(const std::string &rel, std::initializer_list<const char *> launchers) {
        const std::string dir = tmp_ / rel;
        makeDirs(dir);
        for (const char *name : launchers)
            writeFile(dir + "\\" + name, "MZ");
        return dir;
    }

    void setPath(const std::string &value) { ASSERT_TRUE(SetEnvironmentVariableA("PATH", value.c_str())); }

    // Runs the three discovery steps in the wizard's order.
    void discover(Installer &in) {
        in.scanPath();
        in.scanRegistry();
        in.collectCandidates();
    }

    TempDir tmp_;
    std::string savedPath_;
    bool hadPath_ = false;
    std::string cwd_;
};

using PathScan = ScanTest;
using RegistryScan = ScanTest;
using LauncherTest = ScanTest;

TEST_F(PathScan, EmptyPiecesYieldNothingAndOrderFollowsPath) {
    const std::string a = vm("a", {"java.exe"});
    const std::string b = vm("b", {"java.exe"});
    setPath(a + ";;" + b + ";");
    Installer in;
    discover(in);
    EXPECT_EQ(binDirs(in), (std::vector<std::string>{a, b}));
    EXPECT_EQ(pathDirs(in), (std::vector<std::string>{b, a})); // the last piece at the head
}

TEST_F(PathScan, ReferencesAreExpandedBeforeSplitting) {
    const std::string a = vm("exp\\one", {"java.exe"});
    const std::string b = vm("exp\\two", {"jre.exe"});
    ASSERT_TRUE(SetEnvironmentVariableA("OSTREL_TEST_PIECES", (a + ";" + b).c_str()));
    setPath("%OSTREL_TEST_PIECES%");
    Installer in;
    discover(in);
    EXPECT_EQ(binDirs(in), (std::vector<std::string>{a, b}));
    SetEnvironmentVariableA("OSTREL_TEST_PIECES", nullptr);
}

TEST_F(PathScan, UnsetPathLeavesTheListEmptyAndTheRegistryScanStillRuns) {
    ASSERT_TRUE(SetEnvironmentVariableA("PATH", nullptr));
    const std::string home = tmp_ / "jdk";
    vm("jdk\\bin", {"java.exe"});
    ASSERT_TRUE(setMachineString(kJavaHomeKeys[2], kJavaHomeValue, home));
    Installer in;
    EXPECT_EQ(in.scanPath(), 0);
    EXPECT_EQ(in.pathList, nullptr);
    in.scanRegistry();
    in.collectCandidates();
    EXPECT_EQ(binDirs(in), (std::vector<std::string>{home + "\\bin"}));
}

TEST_F(PathScan, NothingAnywhereGivesAnEmptyList) {
    setPath(tmp_ / "nothing-here");
    Installer in;
    discover(in);
    EXPECT_EQ(in.vmList, nullptr);
}

TEST_F(PathScan, DirectoryNamedTwiceGivesTwoEntries) {
    const std::string a = vm("twice", {"java.exe"});
    setPath(a + ";" + a);
    Installer in;
    discover(in);
    EXPECT_EQ(binDirs(in), (std::vector<std::string>{a, a}));
}

TEST_F(LauncherTest, EitherLauncherNameMakesACandidate) {
    EXPECT_EQ(Installer::hasLauncher(vm("j", {"java.exe"}).c_str()), 1);
    EXPECT_EQ(Installer::hasLauncher(vm("r", {"jre.exe"}).c_str()), 1);
    EXPECT_EQ(Installer::hasLauncher(vm("w", {"javaw.exe", "jrew.exe"}).c_str()), 0);
    EXPECT_EQ(Installer::hasLauncher(vm("upper", {"JAVA.EXE"}).c_str()), 1);
}

TEST_F(LauncherTest, MissingDirectoryIsNoCandidateWhateverTheCurrentDirectoryHolds) {
    const std::string here = vm("here", {"java.exe", "jre.exe"});
    ASSERT_TRUE(SetCurrentDirectoryA(here.c_str()));
    EXPECT_EQ(Installer::hasLauncher((tmp_ / "does-not-exist").c_str()), 0);
    EXPECT_EQ(currentDirectory(), here);
}

TEST_F(LauncherTest, PiecesNotBeginningWithALetterAreRejectedWithoutTouchingTheDisk) {
    // The current directory holds bin\java.exe, so each of these would be found if it were looked up.
    vm("cwd\\bin", {"java.exe"});
    ASSERT_TRUE(SetCurrentDirectoryA((tmp_ / "cwd").c_str()));
    EXPECT_EQ(Installer::hasLauncher(".\\bin"), 0);
    EXPECT_EQ(Installer::hasLauncher("\"bin\""), 0);
    EXPECT_EQ(Installer::hasLauncher(" bin"), 0);
    EXPECT_EQ(Installer::hasLauncher("\\\\server\\share\\bin"), 0);
    EXPECT_EQ(Installer::hasLauncher(nullptr), 0);
    // A relative piece that begins with a letter passes the test and is looked up from here.
    EXPECT_EQ(Installer::hasLauncher("bin"), 1);
}

TEST_F(LauncherTest, CurrentDirectoryIsTheSameAfterEveryTest) {
    const std::string before = currentDirectory();
    Installer::hasLauncher(vm("x", {"java.exe"}).c_str());
    Installer::hasLauncher(vm("y", {}).c_str());
    Installer::hasLauncher((tmp_ / "missing").c_str());
    EXPECT_EQ(currentDirectory(), before);
}

TEST_F(RegistryScan, KeysAreReadInTableOrderAfterThePathEntries) {
    const std::string p = vm("onpath", {"java.exe"});
    setPath(p);
    // Written out of order on purpose: the result must follow the table, not the order of creation.
    const int keys[] = {21, 0, 11, 7};
    for (int k : keys) {
        const std::string home = tmp_ / ("home" + std::to_string(k));
        vm("home" + std::to_string(k) + "\\bin", {"java.exe"});
        ASSERT_TRUE(setMachineString(kJavaHomeKeys[k], kJavaHomeValue, home));
    }
    Installer in;
    discover(in);
    EXPECT_EQ(binDirs(in), (std::vector<std::string>{p, tmp_ / "home0\\bin", tmp_ / "home7\\bin",
                                                     tmp_ / "home11\\bin", tmp_ / "home21\\bin"}));
    EXPECT_EQ(currentDirectory(), cwd_);
}

TEST_F(RegistryScan, EveryKeyOfTheTableIsRead) {
    Installer in;
    for (const char *key : kJavaHomeKeys)
        ASSERT_TRUE(setMachineString(key, kJavaHomeValue, std::string("C:\\k\\") + key));
    in.scanRegistry();
    std::vector<std::string> expected;
    for (const char *key : kJavaHomeKeys)
        expected.insert(expected.begin(), std::string("C:\\k\\") + key + "\\bin");
    EXPECT_EQ(pathDirs(in), expected);
}

TEST_F(RegistryScan, TrailingBackslashGivesADoubledSeparatorThatStillFindsTheLauncher) {
    ASSERT_TRUE(SetEnvironmentVariableA("PATH", nullptr));
    vm("trail\\bin", {"java.exe"});
    ASSERT_TRUE(setMachineString(kJavaHomeKeys[0], kJavaHomeValue, tmp_ / "trail\\"));
    Installer in;
    discover(in);
    EXPECT_EQ(pathDirs(in), (std::vector<std::string>{tmp_ / "trail\\\\bin"}));
    EXPECT_EQ(binDirs(in), (std::vector<std::string>{tmp_ / "trail\\\\bin"}));
}

TEST_F(RegistryScan, TwoKeysNamingOneHomeGiveTwoEntries) {
    const std::string home = tmp_ / "shared";
    vm("shared\\bin", {"java.exe"});
    ASSERT_TRUE(setMachineString(kJavaHomeKeys[3], kJavaHomeValue, home));
    ASSERT_TRUE(setMachineString(kJavaHomeKeys[14], kJavaHomeValue, home));
    Installer in;
    discover(in);
    EXPECT_EQ(binDirs(in), (std::vector<std::string>{home + "\\bin", home + "\\bin"}));
}

TEST_F(RegistryScan, UnusableValuesAreSkippedAndTheRestStillRead) {
    const DWORD number = 42;
    const char unterminated[] = {'C', ':', '\\', 'u'};
    const char multi[] = "C:\\m\0C:\\n\0";
    ASSERT_TRUE(setMachineValue(kJavaHomeKeys[0], kJavaHomeValue, REG_DWORD, &number, sizeof number));
    ASSERT_TRUE(setMachineValue(kJavaHomeKeys[1], kJavaHomeValue, REG_BINARY, "C:\\b", 4));
    ASSERT_TRUE(setMachineValue(kJavaHomeKeys[2], kJavaHomeValue, REG_MULTI_SZ, multi, sizeof multi));
    ASSERT_TRUE(setMachineValue(kJavaHomeKeys[3], kJavaHomeValue, REG_SZ, unterminated, sizeof unterminated));
    ASSERT_TRUE(setMachineString(kJavaHomeKeys[4], "OtherValue", "C:\\other"));    // no JavaHome at all
    ASSERT_TRUE(setMachineValue(kJavaHomeKeys[5], kJavaHomeValue, REG_SZ, "", 0)); // no data, no NUL
    ASSERT_TRUE(setMachineString(kJavaHomeKeys[6], kJavaHomeValue, "C:\\good"));
    Installer in;
    in.scanRegistry();
    const std::vector<std::string> dirs = pathDirs(in);
    ASSERT_FALSE(dirs.empty());
    EXPECT_EQ(dirs.front(), "C:\\good\\bin");
    for (size_t i = 1; i < dirs.size(); ++i) {
        // Where the platform terminates the unterminated string itself, its text arrives whole; nothing
        // else may arrive, and nothing ever arrives cut short.
        EXPECT_EQ(dirs[i], "C:\\u\\bin") << "unexpected entry " << dirs[i];
    }
}

TEST_F(RegistryScan, VeryLongValueIsTakenWhole) {
    const std::string home = "C:\\" + std::string(3000, 'L');
    ASSERT_TRUE(setMachineString(kJavaHomeKeys[9], kJavaHomeValue, home));
    Installer in;
    in.scanRegistry();
    EXPECT_EQ(pathDirs(in), (std::vector<std::string>{home + "\\bin"}));
}

TEST_F(RegistryScan, NoKeysAndNoPathLeaveTheListEmpty) {
    ASSERT_TRUE(SetEnvironmentVariableA("PATH", nullptr));
    Installer in;
    discover(in);
    EXPECT_EQ(in.pathList, nullptr);
    EXPECT_EQ(in.vmList, nullptr);
}
} // namespace
