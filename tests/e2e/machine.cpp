#include "machine.h"

#include <gtest/gtest.h>

#include "discovery/registry_keys.h"

SampleMachine::SampleMachine() : root_("machine"), startDir_(root_ / "setup"), log_(root_ / "vm-starts.log") {
    deleteMachineTree(kVendorKey);
    makeDirs(startDir_);
    const std::string tester = hostPathFromEnv("OSTREL_TESTER_CLASS");
    CopyFileA(tester.c_str(), (startDir_ + "\\OstrelTester.class").c_str(), FALSE);
}

SampleMachine::~SampleMachine() {
    deleteMachineTree(kVendorKey);
}

std::string SampleMachine::addVm(const std::string &rel, const std::string &answer,
                                 const std::vector<std::string> &launchers) {
    const std::string bin = root_ / (rel + "\\bin");
    placeStandin(bin, launchers, {"*=" + answer});
    return bin;
}

void SampleMachine::addPayload() {
    for (const char *name : {"accessibility.properties", "tamrix-1_1.jar", "tamrix-1_2.jar", "tamrix-1_4.jar",
                             "ostrel.jar", "JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
        writeFile(startDir_ + "\\installerFiles\\" + name, std::string("payload:") + name);
}

void SampleMachine::addRegistryHome(int keyIndex, const std::string &home) {
    setMachineString(kJavaHomeKeys[keyIndex], kJavaHomeValue, home);
}

bool SampleMachine::start(InstallerRun &run, const std::vector<std::string> &pathPieces,
                          const std::string &args) {
    std::string path;
    for (const std::string &p : pathPieces)
        path += (path.empty() ? "" : ";") + p;
    return run.start(installerPath(), startDir_, {{"PATH", path}, {"OSTREL_STANDIN_LOG", log_}}, args);
}

std::string installerPath() {
    return hostPathFromEnv("OSTREL_INSTALLER");
}

void expectExitCodeZero(InstallerRun &run, const char *why) {
    DWORD code = 1234;
    ASSERT_TRUE(run.waitExit(10000, code)) << why;
    EXPECT_EQ(code, 0u);
}

void expectClosing(InstallerRun &run, const char *caption, const char *text) {
    const std::optional<MessageBoxSeen> box = run.waitMessageBox();
    ASSERT_TRUE(box.has_value()) << "no closing message box";
    EXPECT_EQ(box->caption, caption);
    EXPECT_EQ(box->text, text);
    expectExitCodeZero(run);
}
