// The probe of one VM, with stand-in launchers that answer as configured and record how they were run.
#include <gtest/gtest.h>

#include "discovery/vm_entry.h"
#include "shell/handles.h"
#include "shell/installer.h"
#include "standin.h"
#include "test_support.h"

namespace {
class ProbeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = currentDirectory();
        // The probe runs from the start-up directory, which holds the tester.
        makeDirs(start_);
        writeFile(start_ + "\\OstrelTester.class", "tester");
        ASSERT_TRUE(SetCurrentDirectoryA(start_.c_str()));
    }
    void TearDown() override { SetCurrentDirectoryA(saved_.c_str()); }

    // A VM folder whose launchers answer as configured; returns the entry for it.
    VmEntry &vm(const std::vector<std::string> &launchers, const std::vector<std::string> &config) {
        const std::string bin = tmp_ / ("vm" + std::to_string(++count_) + "\\bin");
        EXPECT_TRUE(placeStandin(bin, launchers, config));
        EXPECT_TRUE(pushVmEntry(list_, bin.c_str()));
        return *list_;
    }

    std::vector<std::string> launchersRun(const VmEntry &e) {
        std::vector<std::string> names;
        for (const StandinRecord &r : standinRecords(e.binDir))
            names.push_back(r.launcher);
        return names;
    }

    TempDir tmp_;
    std::string start_ = tmp_ / "setup";
    std::string saved_;
    std::unique_ptr<VmEntry> list_;
    int count_ = 0;
};

TEST_F(ProbeTest, FirstAttemptRunsJavawWithTheClassNameFromTheStartUpDirectory) {
    VmEntry &e = vm({"javaw.exe", "jrew.exe"}, {"javaw.exe=14", "jrew.exe=2"});
    EXPECT_EQ(e.probe(), 1);
    EXPECT_EQ(e.compatible, 1);
    EXPECT_EQ(e.isJava11, 0);
    EXPECT_EQ(e.isJava14, 1);
    const std::vector<StandinRecord> runs = standinRecords(e.binDir);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].launcher, "javaw.exe");
    EXPECT_EQ(runs[0].commandLine, "javaw.exe OstrelTester");
    EXPECT_EQ(runs[0].currentDirectory, start_);
    EXPECT_TRUE(runs[0].testerPresent);
}

TEST_F(ProbeTest, SecondAttemptRunsJrewWithAnExplicitClassPath) {
    VmEntry &e = vm({"jrew.exe"}, {"jrew.exe=2"}); // no javaw.exe at all
    EXPECT_EQ(e.probe(), 1);
    EXPECT_EQ(e.isJava11, 1);
    const std::vector<StandinRecord> runs = standinRecords(e.binDir);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].commandLine, "jrew.exe -cp . OstrelTester");
    EXPECT_EQ(runs[0].currentDirectory, start_);
}

TEST_F(ProbeTest, NoAnswerFromJavawFallsBackToJrew) {
    for (const char *code : {"0", "-5", "2147483662" /* bit 31 with bits 1 to 3 */}) {
        SCOPED_TRACE(code);
        VmEntry &e = vm({"javaw.exe", "jrew.exe"}, {std::string("javaw.exe=") + code, "jrew.exe=6"});
        EXPECT_EQ(e.probe(), 1);
        EXPECT_EQ(launchersRun(e), (std::vector<std::string>{"javaw.exe", "jrew.exe"}));
        EXPECT_EQ(e.isJava11, 0);
        EXPECT_EQ(e.isJava14, 0);
    }
}

TEST_F(ProbeTest, AnyPositiveCodeFromJavawIsAnAnswer) {
    struct {
        const char *code;
        int compatible, isJava11, isJava14;
    } cases[] = {{"1", 0, 1, 0}, {"256", 0, 1, 0}, {"4", 0, 0, 0}, {"18", 1, 1, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        VmEntry &e = vm({"javaw.exe", "jrew.exe"}, {std::string("javaw.exe=") + c.code, "jrew.exe=14"});
        EXPECT_EQ(e.probe(), c.compatible);
        EXPECT_EQ(launchersRun(e), std::vector<std::string>{"javaw.exe"}); // no second attempt
        EXPECT_EQ(e.compatible, c.compatible);
        EXPECT_EQ(e.isJava11, c.isJava11);
        EXPECT_EQ(e.isJava14, c.isJava14);
    }
}

TEST_F(ProbeTest, NoAnswerAtAllLeavesTheGenerationFlagsAlone) {
    VmEntry &none = vm({}, {});
    none.isJava11 = 1;
    none.isJava14 = 1;
    none.compatible = 1;
    EXPECT_EQ(none.probe(), 0);
    EXPECT_EQ(none.compatible, 0);
    EXPECT_EQ(none.isJava11, 1);
    EXPECT_EQ(none.isJava14, 1);

    VmEntry &zeros = vm({"javaw.exe", "jrew.exe"}, {"*=0"});
    EXPECT_EQ(zeros.probe(), 0);
    EXPECT_EQ(launchersRun(zeros), (std::vector<std::string>{"javaw.exe", "jrew.exe"}));
    EXPECT_EQ(zeros.isJava11, 0);
}

TEST_F(ProbeTest, TheVmDoesNotInheritAClasspath) {
    ASSERT_TRUE(SetEnvironmentVariableA("CLASSPATH", "C:\\somewhere\\classes.zip"));
    clearClasspath();
    VmEntry &e = vm({"javaw.exe"}, {"javaw.exe=2"});
    e.probe();
    const std::vector<StandinRecord> runs = standinRecords(e.binDir);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_FALSE(runs[0].classpathSet);
}

} // namespace
