// Paths in a double-byte code page (932): folder names whose second bytes look like a backslash or an
// ASCII capital. Runs with LC_ALL=ja_JP.UTF-8, which gives Wine's programs the code page 932.
#include <gtest/gtest.h>

#include "machine.h"
#include "resource.h"

namespace {
// "ソフト": the first character ends in 0x5C, a backslash byte by byte.
const std::string kSoft = "\x83\x5C\x83\x74\x83\x67";
// "アプリ": the first character ends in 0x41, an "A" byte by byte.
const std::string kApp = "\x83\x41\x83\x76\x83\x8A";

class DoubleByteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "the test needs Wine under LC_ALL=ja_JP.UTF-8";
        m_.addPayload();
        removeTree(soft_);
        removeTree(app_);
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "CLASSPATH");
            RegCloseKey(key);
        }
    }
    void TearDown() override {
        removeTree(soft_);
        removeTree(app_);
        for (const char *dll : {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
            DeleteFileA((std::string("C:\\windows\\system32\\") + dll).c_str());
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "CLASSPATH");
            RegCloseKey(key);
        }
    }

    std::string bin(const std::string &home, const std::string &answer) {
        const std::string b = home + "\\bin";
        EXPECT_TRUE(placeStandin(b, {"java.exe", "javaw.exe"}, {"*=" + answer}));
        return b;
    }

    SampleMachine m_;
    std::string soft_ = "C:\\" + kSoft;
    std::string app_ = "C:\\" + kApp;
};

TEST_F(DoubleByteTest, VmsInDoubleByteFoldersAreListedAndInstalledWhereTheirNamesSay) {
    const std::string jdk = soft_ + "\\jdk";     // a 1.3 VM
    const std::string jre = app_ + "\\JRE";      // a 1.4 VM
    const std::string jdk11 = soft_ + "\\jdk11"; // a 1.1 VM
    ASSERT_TRUE(makeDirs(jdk + "\\jre\\lib\\ext"));
    ASSERT_TRUE(makeDirs(jre + "\\lib\\ext"));
    ASSERT_TRUE(writeFile(jdk11 + "\\lib\\awt.properties", "AWT.toolkit=x\r\n"));
    const std::string b1 = bin(jdk, "7"), b3 = bin(jdk11, "3");
    bin(jre, "15");

    InstallerRun run;
    m_.addRegistryHome(19, jre); // the 1.4 VM is named by the registry, the others by PATH
    ASSERT_TRUE(m_.start(run, {b1, b3}));
    HWND d = run.waitDialog("Available Java virtual machines");
    ASSERT_NE(d, nullptr);
    // Only single-byte capitals are lower-cased; the folder names keep every byte.
    EXPECT_EQ(listItems(d, IDC_VM_LIST),
              (std::vector<std::string>{"c:\\" + kSoft + "\\jdk\\bin", "c:\\" + kSoft + "\\jdk11\\bin",
                                        "c:\\" + kApp + "\\jre\\bin"}));
    ASSERT_TRUE(clickButton(d, IDC_INSTALL_ALL));
    const std::optional<MessageBoxSeen> box = run.waitMessageBox(30000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Installation Completed");
    expectExitCodeZero(run);

    EXPECT_EQ(fileContent(jdk + "\\jre\\lib\\accessibility.properties"), "payload:accessibility.properties");
    EXPECT_EQ(fileContent(jdk + "\\jre\\lib\\ext\\tamrix.jar"), "payload:tamrix-1_2.jar");
    EXPECT_EQ(fileContent(jdk + "\\jre\\lib\\ext\\ostrel.jar"), "payload:ostrel.jar");
    EXPECT_EQ(fileContent(jre + "\\lib\\accessibility.properties"), "payload:accessibility.properties");
    EXPECT_EQ(fileContent(jre + "\\lib\\ext\\tamrix.jar"), "payload:tamrix-1_4.jar");
    EXPECT_EQ(fileContent(jre + "\\lib\\ext\\ostrel.jar"), "payload:ostrel.jar");
    EXPECT_EQ(fileContent(jdk11 + "\\lib\\tamrix.jar"), "payload:tamrix-1_1.jar");
    EXPECT_NE(fileContent(jdk11 + "\\lib\\awt.properties").find("AWT.assistive_technologies="),
              std::string::npos);

    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    char value[1024] = "";
    DWORD size = sizeof value - 1;
    EXPECT_EQ(RegQueryValueExA(key, "CLASSPATH", nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string target = "c:\\" + kSoft + "\\jdk11\\lib";
    EXPECT_EQ(std::string(value), target + "\\tamrix.jar;" + target + "\\ostrel.jar");
}
} // namespace
