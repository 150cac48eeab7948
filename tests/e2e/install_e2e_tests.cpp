// Installation end to end: the real dialogs, stand-in VMs of every kind, real files and a real registry,
// on the NT family and, with the prefix set to win98, on the 9x family.
#include <gtest/gtest.h>

#include <process.h>

#include "machine.h"
#include "resource.h"

namespace {
constexpr const char *kAwtOriginal = "# AWT settings\r\nAWT.toolkit=sun.awt.windows.WToolkit\r\n";
constexpr const char *kAwtPatched =
    "# AWT settings\r\nAWT.toolkit=sun.awt.windows.WToolkit\r\n"
    "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\r\n"
    "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\r\n";
const char *const kDlls[] = {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"};

struct RegValue {
    bool present = false;
    DWORD type = 0;
    std::string data;
};

RegValue readClasspath() {
    RegValue v;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return v;
    DWORD size = 0;
    if (RegQueryValueExA(key, "CLASSPATH", nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
        v.data.assign(size, '\0');
        v.present = RegQueryValueExA(key, "CLASSPATH", nullptr, &v.type, reinterpret_cast<BYTE *>(&v.data[0]),
                                     &size) == ERROR_SUCCESS;
        v.data.resize(size);
    }
    RegCloseKey(key);
    return v;
}

void writeClasspath(const RegValue &v) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    if (v.present)
        RegSetValueExA(key, "CLASSPATH", 0, v.type, reinterpret_cast<const BYTE *>(v.data.data()),
                       static_cast<DWORD>(v.data.size()));
    else
        RegDeleteValueA(key, "CLASSPATH");
    RegCloseKey(key);
}

RegValue raw(DWORD type, const std::string &data) {
    RegValue v;
    v.present = true;
    v.type = type;
    v.data = data;
    return v;
}

RegValue text(DWORD type, const std::string &s) {
    return raw(type, s + '\0');
}

// A top-level window on a thread of its own that counts the "Environment" setting changes it is told of.
class SettingChangeListener {
  public:
    SettingChangeListener() {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, run, this, 0, &threadId_));
        WaitForSingleObject(ready_, 5000);
    }
    ~SettingChangeListener() {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    int count() const { return count_; }

  private:
    static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_SETTINGCHANGE && lp && strcmp(reinterpret_cast<const char *>(lp), "Environment") == 0)
            ++reinterpret_cast<SettingChangeListener *>(GetWindowLongPtrA(w, GWLP_USERDATA))->count_;
        return DefWindowProcA(w, msg, wp, lp);
    }
    static unsigned __stdcall run(void *p) {
        auto *self = static_cast<SettingChangeListener *>(p);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "OstrelSettingListener";
        RegisterClassA(&wc);
        HWND w = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists before it says ready
        SetEvent(self->ready_);
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        DestroyWindow(w);
        return 0;
    }
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    unsigned threadId_ = 0;
    volatile LONG count_ = 0;
};

class InstallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedClasspath_ = readClasspath();
        hadAutoexec_ = readFile(autoexec_, savedAutoexec_);
        DeleteFileA(autoexec_.c_str());
        removeDlls();
        writeClasspath({});
        m_.addPayload();
    }
    void TearDown() override {
        writeClasspath(savedClasspath_);
        SetFileAttributesA(autoexec_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(autoexec_.c_str());
        if (hadAutoexec_)
            writeFile(autoexec_, savedAutoexec_);
        removeDlls();
        setWindowsVersion(nullptr);
    }
    void removeDlls() {
        for (const char *dll : kDlls)
            DeleteFileA((systemDirectory() + "\\" + dll).c_str());
    }

    // A VM home with its bin folder and the given folders; a 1.1 VM also gets lib\awt.properties.
    std::string vm(const std::string &name, const std::string &answer,
                   std::initializer_list<const char *> dirs) {
        const std::string bin = m_.addVm(name, answer);
        const std::string home = bin.substr(0, bin.size() - 4);
        for (const char *d : dirs)
            makeDirs(home + d);
        if (answer == "3")
            writeFile(home + "\\lib\\awt.properties", kAwtOriginal);
        return home;
    }

    // Runs the installer over the VMs on PATH, presses Install in All, and returns the closing message.
    MessageBoxSeen installAll(const std::vector<std::string> &homes) {
        std::vector<std::string> path;
        for (const std::string &h : homes)
            path.push_back(h + "\\bin");
        InstallerRun run;
        EXPECT_TRUE(m_.start(run, path));
        HWND d = run.waitDialog(kListCaption);
        EXPECT_NE(d, nullptr);
        if (!d)
            return {};
        EXPECT_EQ(listItems(d, IDC_VM_LIST).size(), homes.size());
        clickButton(d, IDC_INSTALL_ALL);
        const std::optional<MessageBoxSeen> box = run.waitMessageBox(30000);
        EXPECT_TRUE(box.has_value());
        expectExitCodeZero(run);
        return box.value_or(MessageBoxSeen{});
    }

    SampleMachine m_;
    std::string autoexec_ = "C:\\autoexec.bat";
    RegValue savedClasspath_;
    std::string savedAutoexec_;
    bool hadAutoexec_ = false;
};

TEST_F(InstallTest, EachKindOfVmGetsExactlyItsFilesAndTheFirst11VmTheClasspath) {
    const std::string v14 = vm("J2sdk14", "15", {"\\jre\\lib\\ext"});
    const std::string v13 = vm("Jdk13", "7", {"\\lib"});
    const std::string v11a = vm("Jdk11a", "3", {});
    const std::string v11b = vm("Jdk11b", "3", {});
    SettingChangeListener listener;
    const MessageBoxSeen box = installAll({v14, v13, v11a, v11b});
    EXPECT_EQ(listener.count(), 1) << "running programs were not told of the new CLASSPATH";
    EXPECT_EQ(box.caption, kCompletedCaption);
    EXPECT_EQ(box.text, kSuccessText);

    EXPECT_EQ(fileContent(v14 + "\\jre\\lib\\accessibility.properties"), "payload:accessibility.properties");
    EXPECT_EQ(fileContent(v14 + "\\jre\\lib\\ext\\tamrix.jar"), "payload:tamrix-1_4.jar");
    EXPECT_EQ(fileContent(v14 + "\\jre\\lib\\ext\\ostrel.jar"), "payload:ostrel.jar");
    EXPECT_EQ(fileContent(v13 + "\\lib\\accessibility.properties"), "payload:accessibility.properties");
    EXPECT_EQ(fileContent(v13 + "\\lib\\tamrix.jar"), "payload:tamrix-1_2.jar");
    EXPECT_EQ(fileContent(v13 + "\\lib\\ostrel.jar"), "payload:ostrel.jar");
    // Both 1.1 VMs get their edit; only the first gets the jars.
    EXPECT_EQ(fileContent(v11a + "\\lib\\awt.properties"), kAwtPatched);
    EXPECT_EQ(fileContent(v11b + "\\lib\\awt.properties"), kAwtPatched);
    EXPECT_EQ(fileContent(v11a + "\\lib\\tamrix.jar"), "payload:tamrix-1_1.jar");
    EXPECT_EQ(fileContent(v11a + "\\lib\\ostrel.jar"), "payload:ostrel.jar");
    EXPECT_FALSE(fileExists(v11b + "\\lib\\tamrix.jar"));
    EXPECT_FALSE(fileExists(v11b + "\\lib\\ostrel.jar"));
    for (const char *dll : kDlls)
        EXPECT_EQ(fileContent(systemDirectory() + "\\" + dll), std::string("payload:") + dll);

    const RegValue cp = readClasspath();
    const std::string target = lowerAscii(v11a) + "\\lib";
    EXPECT_EQ(cp.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(cp.data, target + "\\tamrix.jar;" + target + "\\ostrel.jar" + '\0');
    EXPECT_FALSE(fileExists(autoexec_)); // the NT family keeps CLASSPATH in the registry
}

TEST_F(InstallTest, TheRegistryValueIsExtendedWhateverItHeldAndKeepsItsType) {
    const std::string v11 = vm("Jdk11", "3", {});
    const std::string add = lowerAscii(v11) + "\\lib\\tamrix.jar;" + lowerAscii(v11) + "\\lib\\ostrel.jar";
    struct Case {
        const char *name;
        RegValue before;
        RegValue after;
    } cases[] = {
        {"empty", text(REG_SZ, ""), text(REG_SZ, add)},
        {"text", text(REG_SZ, ".;C:\\lib\\x.zip"), text(REG_SZ, ".;C:\\lib\\x.zip;" + add)},
        {"expandable", text(REG_EXPAND_SZ, "%SystemRoot%\\java;."),
         text(REG_EXPAND_SZ, "%SystemRoot%\\java;.;" + add)},
        {"unterminated", raw(REG_SZ, "C:\\u.zip"), text(REG_SZ, "C:\\u.zip;" + add)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeClasspath(c.before);
        const MessageBoxSeen box = installAll({v11});
        EXPECT_EQ(box.caption, kCompletedCaption);
        const RegValue after = readClasspath();
        EXPECT_EQ(after.type, c.after.type);
        EXPECT_EQ(after.data, c.after.data);
    }
}

TEST_F(InstallTest, AValueThatIsNotAStringIsLeftAloneAndReported) {
    const std::string v11 = vm("Jdk11", "3", {});
    const DWORD number = 7;
    const RegValue dword{true, REG_DWORD,
                         std::string(reinterpret_cast<const char *>(&number), sizeof number)};
    writeClasspath(dword);
    const MessageBoxSeen box = installAll({v11});
    EXPECT_EQ(box.caption, kIncompleteCaption);
    EXPECT_EQ(box.text,
              std::string(kIncompleteText) + "\n" + "HKEY_LOCAL_MACHINE\\" + kEnvironmentKey + "\\CLASSPATH");
    const RegValue after = readClasspath();
    EXPECT_EQ(after.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(after.data, dword.data);
    EXPECT_EQ(fileContent(v11 + "\\lib\\tamrix.jar"), "payload:tamrix-1_1.jar"); // the rest was still done
}

TEST_F(InstallTest, FailuresAreListedAndNothingOnTheMachineIsLost) {
    const std::string v14 = vm("J2sdk14", "15", {"\\lib\\ext"});
    const std::string v13 = vm("Jdk13", "7", {"\\lib"});
    const std::string v11 = vm("Jdk11", "3", {});
    removeTree(v11 + "\\lib"); // a destination folder that does not exist
    DeleteFileA((m_.startDir() + "\\installerFiles\\tamrix-1_4.jar").c_str()); // a payload file missing
    writeFile(v13 + "\\lib\\ostrel.jar", "the user's own ostrel.jar");
    SetFileAttributesA((v13 + "\\lib\\ostrel.jar").c_str(), FILE_ATTRIBUTE_READONLY);
    const MessageBoxSeen box = installAll({v14, v13, v11});
    SetFileAttributesA((v13 + "\\lib\\ostrel.jar").c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(box.caption, kIncompleteCaption);
    const std::string t11 = lowerAscii(v11) + "\\lib";
    EXPECT_EQ(box.text, std::string(kIncompleteText) + "\n" + lowerAscii(v14) + "\\lib\\ext\\tamrix.jar\n" +
                            lowerAscii(v13) + "\\lib\\ostrel.jar\n" + t11 + "\\awt.properties\n" + t11 +
                            "\\tamrix.jar\n" + t11 + "\\ostrel.jar");
    EXPECT_EQ(fileContent(v13 + "\\lib\\ostrel.jar"), "the user's own ostrel.jar");
    EXPECT_EQ(fileContent(v14 + "\\lib\\ext\\ostrel.jar"), "payload:ostrel.jar"); // the rest was done
    EXPECT_EQ(fileContent(v13 + "\\lib\\tamrix.jar"), "payload:tamrix-1_2.jar");
}

class Win9xInstallTest : public InstallTest {
  protected:
    void SetUp() override {
        InstallTest::SetUp();
        setWindowsVersion("win98");
    }
};

TEST_F(Win9xInstallTest, AutoexecIsWrittenAndARestartIsAsked) {
    const std::string v11 = vm("Jdk11", "3", {});
    const std::string v13 = vm("Jdk13", "7", {"\\lib"});
    const std::string t = lowerAscii(v11) + "\\lib";
    const std::string added =
        "set CLASSPATH=.;" + t + "\\tamrix.jar;" + t + "\\ostrel.jar;" + t + "\\classes.zip\r\n";
    struct Case {
        const char *name;
        const char *before; // nullptr: no autoexec.bat
        std::string after;
    } cases[] = {
        {"absent", nullptr, added},
        {"without a CLASSPATH line", "@echo off\r\nPATH C:\\WINDOWS\r\n",
         "@echo off\r\nPATH C:\\WINDOWS\r\n" + added},
        {"with CLASSPATH lines", "SET CLASSPATH=C:\\old.zip\r\nrem x\r\nset CLASSPATH=\r\n",
         "SET CLASSPATH=C:\\old.zip;" + t + "\\tamrix.jar;" + t + "\\ostrel.jar\r\nrem x\r\nset CLASSPATH=;" +
             t + "\\tamrix.jar;" + t + "\\ostrel.jar\r\n"},
    };
    SettingChangeListener listener;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(autoexec_.c_str());
        if (c.before)
            writeFile(autoexec_, c.before);
        const MessageBoxSeen box = installAll({v11, v13});
        EXPECT_EQ(box.caption, kRestartCaption);
        EXPECT_EQ(box.text, kSuccessText);
        EXPECT_EQ(fileContent(autoexec_), c.after);
    }
    EXPECT_FALSE(readClasspath().present); // the 9x family keeps CLASSPATH in autoexec.bat only
    EXPECT_EQ(listener.count(), 0);
    EXPECT_EQ(fileContent(v11 + "\\lib\\awt.properties"), kAwtPatched);
    EXPECT_EQ(fileContent(v11 + "\\lib\\tamrix.jar"), "payload:tamrix-1_1.jar");
    EXPECT_EQ(fileContent(v13 + "\\lib\\tamrix.jar"), "payload:tamrix-1_2.jar");
}

TEST_F(Win9xInstallTest, WithoutA11VmNothingAsksForARestart) {
    const std::string v14 = vm("J2sdk14", "15", {"\\jre\\lib\\ext"});
    writeFile(autoexec_, "@echo off\r\n");
    const MessageBoxSeen box = installAll({v14});
    EXPECT_EQ(box.caption, kCompletedCaption);
    EXPECT_EQ(box.text, kSuccessText);
    EXPECT_EQ(fileContent(autoexec_), "@echo off\r\n");
    EXPECT_EQ(fileContent(v14 + "\\jre\\lib\\ext\\tamrix.jar"), "payload:tamrix-1_4.jar");
}
} // namespace
