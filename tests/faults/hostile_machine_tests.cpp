// Hostile machine states, each a scenario that runs the real installer to its end: a PATH of 32 KiB of
// odd pieces, JavaHome values of every type and shape, VM folders of 250 to 300 characters, an
// awt.properties that is read-only or held open, a missing or locked payload, a VM that never exits, a
// drive with link cycles. After each, the installer has ended with exit code 0 and one closing message
// that tells the truth, and every file and registry value is either as it was or completely changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "discovery/registry_keys.h"
#include "fault_support.h"
#include "resource.h"

namespace {
constexpr const char *kAutoexec = "C:\\autoexec.bat";
constexpr const char *kAwtOriginal = "# AWT settings\r\nAWT.toolkit=sun.awt.windows.WToolkit\r\n";
constexpr const char *kUserClasspath = ".;C:\\user\\classes.zip";
const char *const kDlls[] = {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"};

std::string awtPatched() {
    return std::string(kAwtOriginal) + kEventQueueLine + kAssistiveLine;
}

std::string upperAscii(std::string s) {
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string withoutTrailingBackslashes(std::string s) {
    while (!s.empty() && s.back() == '\\')
        s.pop_back();
    return s;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// A folder of exactly `length` characters below base, made of components of at most 60.
std::string pathOfLength(const std::string &base, const std::string &tag, size_t length) {
    std::string path = base + "\\" + tag;
    char fill = 'a';
    while (path.size() < length) {
        const size_t room = length - path.size();
        if (room == 1) {
            path += fill; // too short for a component of its own: lengthen the last one
            break;
        }
        path += "\\" + std::string(std::min<size_t>(room - 1, 60), fill);
        fill = fill == 'z' ? 'a' : static_cast<char>(fill + 1);
    }
    return path;
}

class Hostile : public ::testing::Test {
  protected:
    void SetUp() override {
        hadAutoexec_ = readFile(kAutoexec, savedAutoexec_);
        DeleteFileA(kAutoexec);
        removeDlls();
        const ValueState user{REG_SZ, std::string(kUserClasspath) + '\0'};
        writeClasspath(&user);
        m_.addPayload();
    }
    void TearDown() override {
        setWindowsVersion(nullptr);
        SetFileAttributesA(kAutoexec, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(kAutoexec);
        if (hadAutoexec_)
            writeFile(kAutoexec, savedAutoexec_);
        removeDlls();
        for (const std::string &dir : driveDirs_)
            removeTree(dir);
        if (runs_ == 0)
            return; // skipped
        countRuns("hostile machine", runs_, inputs_, failures_);
        addSummaryLine(scenario_ + ": " + std::to_string(runs_) + (runs_ == 1 ? " run, " : " runs, ") +
                       std::to_string(inputs_) + " " + inputKind_ + ", " + std::to_string(failures_) +
                       " failures");
    }

    void scenario(const std::string &name, int inputs, const std::string &kind) {
        scenario_ = name;
        inputs_ = inputs;
        inputKind_ = kind;
    }
    // One counted run: it failed when an assertion failed while it ran.
    template <typename Body> void countedRun(Body body) {
        const int before = failedAssertions();
        body();
        ++runs_;
        failures_ += failedAssertions() > before ? 1 : 0;
    }

    void removeDlls() {
        for (const char *dll : kDlls)
            DeleteFileA((systemDirectory() + "\\" + dll).c_str());
    }

    // A VM home with stand-in launchers answering `answer` and the given folders; a 1.1 VM (answer 3)
    // also gets lib\awt.properties. Returns the home.
    std::string vm(const std::string &name, const char *answer, std::initializer_list<const char *> dirs) {
        const std::string bin = m_.addVm(name, answer);
        const std::string home = bin.substr(0, bin.size() - 4);
        for (const char *d : dirs)
            makeDirs(home + d);
        if (std::string(answer) == "3")
            writeFile(home + "\\lib\\awt.properties", kAwtOriginal);
        return home;
    }

    MachinePicture picture() const {
        MachinePicture p;
        p.addTree(m_.root());
        for (const std::string &dir : driveDirs_)
            p.addTree(dir);
        for (const char *dll : kDlls)
            p.addFile(systemDirectory() + "\\" + dll);
        for (const char *f : {kAutoexec, "C:\\___OstrelTempFile___", "C:\\___OstrelOldFile___"})
            p.addFile(f);
        p.addRegistryValue(kEnvironmentKey, "CLASSPATH");
        p.addRegistryTree(kVendorKey);
        return p;
    }

    // What an installation may write into a VM of the 1.2 generation or later, and into a 1.1 VM.
    static void copiesInto(PossibleWrites &p, const std::string &home, const char *libDir, const char *extDir,
                           const char *tamrix) {
        p.files[home + libDir + "\\accessibility.properties"] = "payload:accessibility.properties";
        p.files[home + extDir + "\\tamrix.jar"] = std::string("payload:") + tamrix;
        p.files[home + extDir + "\\ostrel.jar"] = "payload:ostrel.jar";
    }
    static void awtOf(PossibleWrites &p, const std::string &home) {
        p.files[home + "\\lib\\awt.properties"] = awtPatched();
    }
    // The 1.1 jars in the target, and CLASSPATH naming them (the registry on the NT family, autoexec.bat
    // on the 9x family).
    static void target11(PossibleWrites &p, const std::string &home, bool win9x = false) {
        const std::string target = lowerAscii(home) + "\\lib";
        p.files[target + "\\tamrix.jar"] = "payload:tamrix-1_1.jar";
        p.files[target + "\\ostrel.jar"] = "payload:ostrel.jar";
        const std::string jars = target + "\\tamrix.jar;" + target + "\\ostrel.jar";
        if (win9x) {
            p.files[kAutoexec] = "set CLASSPATH=.;" + jars + ";" + target + "\\classes.zip\r\n";
            return;
        }
        const std::string key = valueKey(kEnvironmentKey, "CLASSPATH");
        p.values[key] = ValueState{REG_SZ, std::string(kUserClasspath) + ";" + jars + '\0'};
        p.valueNames[key] = std::string("HKEY_LOCAL_MACHINE\\") + kEnvironmentKey + "\\CLASSPATH";
    }
    static void dlls(PossibleWrites &p) {
        for (const char *dll : kDlls)
            p.files[systemDirectory() + "\\" + dll] = std::string("payload:") + dll;
    }

    // Starts the installer with this PATH and the extra environment, waits for the list of VMs found in
    // common places, returns its items in *listed, and presses "Install in All".
    RunEnd installAll(InstallerRun &run, const std::string &path, std::vector<std::string> *listed,
                      std::vector<InstallerRun::EnvChange> env = {}) {
        env.emplace_back("PATH", path);
        EXPECT_TRUE(run.start(installerPath(), m_.startDir(), env));
        HWND list = run.waitDialog(kListCaption, 30000);
        EXPECT_NE(list, nullptr) << "no list of VMs";
        if (!list)
            return finishRun(run, 1000);
        *listed = listItems(list, IDC_VM_LIST);
        EXPECT_TRUE(clickButton(list, IDC_INSTALL_ALL));
        return finishRun(run, 30000);
    }

    static std::string incompleteText(const std::vector<std::string> &lines) {
        std::string text = kIncompleteText;
        for (const std::string &l : lines)
            text += "\n" + l;
        return text;
    }

    SampleMachine m_;
    SavedClasspath savedClasspath_;
    std::vector<std::string> driveDirs_; // folders made on the fault drive, removed at the end
    std::string savedAutoexec_;
    bool hadAutoexec_ = false;
    std::string scenario_ = "hostile", inputKind_ = "inputs";
    int runs_ = 0, inputs_ = 0, failures_ = 0;
};

// PATH: 32 KiB of every odd piece. Only the pieces that name a VM folder whole find it; nothing else is
// started, listed or touched, and the installation into what was found completes.
TEST_F(Hostile, PathOf32KiBWithEveryOddPiece) {
    const std::string h14 = vm("J2sdk14", "15", {"\\jre\\lib\\ext"});
    const std::string h11 = vm("Jdk11", "3", {});
    const std::string h13 = vm("Jdk13", "7", {"\\lib"});
    const std::string b14 = h14 + "\\bin", b11 = h11 + "\\bin", b13 = h13 + "\\bin";
    const std::string root = m_.root();
    std::vector<std::string> pieces = {
        "", // a leading ";"
        b14,
        "",
        "", // ";;;"
        "\"" + b11 + "\"",
        " " + b13,
        "\t" + b13,
        b13 + " ", // a trailing blank: no "bin" component, so no layout
        ".\\bin",
        "..\\bin",
        ".",
        "\\\\server\\share",
        "\\\\server\\share\\bin",
        "\\\\?\\" + b13,
        b11 + "\\",
        b11 + "\\\\",
        "%OSTREL_FAULT_VMS%\\Jdk13\\bin", // the only piece that names Jdk13 whole, once expanded
        "%OSTREL_NO_SUCH_VARIABLE%\\bin",
        "%",
        "%%",
        root + "\\no-such-folder\\bin",
        "C:",
        "C:\\",
        "C:bin",
        "bin",
        "Jdk13\\bin",
        "C:\\" + std::string(300, 'x'),
        root + "\\" + std::string(5000, 'y'),
        b11, // a folder named twice, and once more in other letters
        upperAscii(b11),
        systemDirectory(),
    };
    const std::string fillers[] = {root + "\\missing-#\\bin",
                                   "",
                                   " ",
                                   "\"" + root + "\\quoted #\"",
                                   ".\\bin#",
                                   "\\\\server#\\share\\bin",
                                   "%OSTREL_UNDEFINED_#%\\bin",
                                   root + "\\trailing-#\\\\",
                                   "C:\\Program Files\\Missing #\\bin",
                                   ";"};
    std::string path;
    for (const std::string &p : pieces)
        path += p + ";";
    const size_t target = 32 * 1024 - 8; // an environment value holds at most 32767 characters
    for (int i = 0;; ++i) {
        std::string piece = fillers[i % (sizeof fillers / sizeof fillers[0])];
        const std::string::size_type hash = piece.find('#');
        if (hash != std::string::npos)
            piece.replace(hash, 1, std::to_string(i));
        if (path.size() + piece.size() + 1 + 40 > target)
            break;
        path += piece + ";";
    }
    path += root + "\\" + std::string(target - path.size() - root.size() - 2, 'p') + ";"; // ends with ";"
    ASSERT_EQ(path.size(), target);
    const int pieceCount = static_cast<int>(std::count(path.begin(), path.end(), ';')) + 1;
    scenario("hostile PATH (" + std::to_string(path.size()) + " characters)", pieceCount, "pieces");

    countedRun([&] {
        PossibleWrites possible;
        copiesInto(possible, h14, "\\jre\\lib", "\\jre\\lib\\ext", "tamrix-1_4.jar");
        copiesInto(possible, h13, "\\lib", "\\lib", "tamrix-1_2.jar");
        awtOf(possible, h11);
        target11(possible, h11);
        dlls(possible);
        const MachinePicture before = picture();
        InstallerRun run;
        std::vector<std::string> listed;
        const RunEnd end = installAll(run, path, &listed, {{"OSTREL_FAULT_VMS", root}});
        const std::vector<std::string> failed =
            expectTruthfulInstallation(end, before, before.retake(), possible);
        EXPECT_TRUE(failed.empty()) << "nothing here stands in the way of the installation";

        const std::set<std::string> allowed = {lowerAscii(b14), lowerAscii(b11), lowerAscii(b11) + "\\",
                                               lowerAscii(b11) + "\\\\", lowerAscii(b13)};
        std::set<std::string> vms;
        for (const std::string &item : listed) {
            EXPECT_TRUE(allowed.count(item)) << "listed: " << item;
            vms.insert(withoutTrailingBackslashes(item));
        }
        EXPECT_EQ(vms, (std::set<std::string>{lowerAscii(b14), lowerAscii(b11), lowerAscii(b13)}));
    });
}

// JavaHome values of every registry type, empty, unterminated, very long, and in odd shapes: only
// string values that name a VM home whole find it; none of the values changes.
TEST_F(Hostile, JavaHomeValuesOfEveryTypeAndShape) {
    const std::string h14 = vm("J2sdk14", "15", {"\\jre\\lib\\ext"});
    const std::string h11 = vm("Jdk11", "3", {});
    const std::string h13 = vm("Jdk13", "7", {"\\lib"});
    const std::string hOther =
        vm("Jdk15", "15", {"\\jre\\lib\\ext"}); // under a key the installer never reads
    const std::string hLong = pathOfLength(m_.root(), "long", 300);
    ASSERT_TRUE(placeLongStandin(hLong + "\\bin", "15"));
    ASSERT_TRUE(makeLongDirs(hLong + "\\jre\\lib\\ext"));

    auto terminated = [](const std::string &s) { return s + '\0'; };
    const DWORD seven = 7;
    const unsigned long long big = 0x123456789ull;
    struct Value {
        DWORD type;
        std::string data;
    };
    const Value values[22] = {
        {REG_DWORD, std::string(reinterpret_cast<const char *>(&seven), sizeof seven)},
        {REG_BINARY, terminated(h14)},
        {REG_MULTI_SZ, terminated(h14) + terminated("C:\\other") + '\0'},
        {REG_EXPAND_SZ, terminated("%OSTREL_FAULT_VMS%\\Jdk13")}, // references are not expanded
        {REG_EXPAND_SZ, terminated(h13)},
        {REG_NONE, terminated(h14)},
        {REG_SZ, terminated("")},
        {REG_SZ, ""},  // no bytes at all
        {REG_SZ, h11}, // no terminating NUL
        {REG_SZ, terminated("C:\\" + std::string(100000, 'x'))},
        {REG_SZ, terminated(hLong)}, // a home of 300 characters, there on disk
        {REG_SZ, terminated(h11 + "\\")},
        {REG_SZ, terminated(h14) + terminated("garbage after the terminator")},
        {REG_QWORD, std::string(reinterpret_cast<const char *>(&big), sizeof big)},
        {REG_LINK, h14},
        {REG_SZ, ""},   // 15: set below, to an odd number of bytes of wide text
        {REG_NONE, ""}, // 16: no JavaHome value, another name
        {REG_SZ, terminated("\"" + h13 + "\"")},
        {REG_SZ, terminated("Jdk13")}, // relative: there is no Jdk13 in the start-up folder
        {REG_SZ, terminated(std::string(1, '\0') + h14)},
        {REG_NONE, ""}, // 20: no JavaHome value, a subkey of that name
        {REG_SZ, terminated(h14)},
    };
    for (int k = 0; k < 22; ++k) {
        if (k == 16 || k == 20)
            continue;
        ASSERT_TRUE(setMachineValue(kJavaHomeKeys[k], kJavaHomeValue, values[k].type, values[k].data.data(),
                                    static_cast<DWORD>(values[k].data.size())))
            << k;
    }
    {
        // Wide text whose last character is cut in half.
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kJavaHomeKeys[15], 0, KEY_SET_VALUE, &key),
                  ERROR_SUCCESS);
        const wchar_t odd[] = L"C:\\x";
        RegSetValueExW(key, L"JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE *>(odd), 7);
        RegCloseKey(key);
    }
    // Keys that hold no JavaHome value: another name, and a subkey of that name.
    const std::string otherName = terminated(h14);
    setMachineValue(kJavaHomeKeys[16], "JavaHome2", REG_SZ, otherName.data(),
                    static_cast<DWORD>(otherName.size()));
    setMachineString((std::string(kJavaHomeKeys[20]) + "\\JavaHome").c_str(), "", h14);
    // A version that is not in the table.
    setMachineString("Software\\Pellior\\Java Development Kit\\1.5", kJavaHomeValue, hOther);
    scenario("hostile JavaHome values", 22 + 1, "values and keys");

    countedRun([&] {
        PossibleWrites possible;
        copiesInto(possible, h14, "\\jre\\lib", "\\jre\\lib\\ext", "tamrix-1_4.jar");
        copiesInto(possible, h13, "\\lib", "\\lib", "tamrix-1_2.jar");
        awtOf(possible, h11);
        target11(possible, h11);
        dlls(possible);
        const MachinePicture before = picture();
        InstallerRun run;
        std::vector<std::string> listed;
        const RunEnd end = installAll(run, "", &listed, {{"OSTREL_FAULT_VMS", m_.root()}});
        const std::vector<std::string> failed =
            expectTruthfulInstallation(end, before, before.retake(), possible);
        EXPECT_TRUE(failed.empty());

        // In the order of the table: the literal REG_EXPAND_SZ, the home with a trailing backslash, and
        // the home followed by garbage after its terminator (named again by the last key). The value
        // without a terminator may count as the text it holds; nothing else may.
        std::vector<std::string> expected = {lowerAscii(h13) + "\\bin", lowerAscii(h11) + "\\\\bin",
                                             lowerAscii(h14) + "\\bin"};
        if (std::count(listed.begin(), listed.end(), lowerAscii(h11) + "\\bin") != 0)
            expected.insert(expected.begin() + 1, lowerAscii(h11) + "\\bin");
        EXPECT_EQ(listed, expected);
        EXPECT_TRUE(standinRecords(hOther + "\\bin").empty()) << "a VM under an unknown key was started";
    });
}

// VM folders whose paths run from 228 to 300 characters. What the installer cannot name whole it skips:
// a VM it cannot start or enter is not offered, and a file it cannot name is listed as not written and
// left as it was; everything else is installed.
TEST_F(Hostile, VmFoldersOf250To300Characters) {
    const std::string root = m_.root();
    struct LongVm {
        size_t homeLength;
        const char *answer;
        const char *dirs;
    };
    // The home's length decides, with the temporary file that each write goes through: 232 fits the jars
    // but not accessibility.properties, 236 fits awt.properties but not its temporary file, 240 fits the
    // launcher but no file, 250 fits the folder but not the launcher's path, 262 and 296 not even the
    // folder.
    const LongVm vms[] = {{232, "7", "\\lib"},
                          {236, "3", "\\lib"},
                          {240, "15", "\\jre\\lib\\ext"},
                          {250, "15", "\\jre\\lib\\ext"},
                          {262, "15", "\\jre\\lib\\ext"},
                          {296, "7", "\\lib"}};
    std::vector<std::string> homes, path;
    for (const LongVm &v : vms) {
        const std::string home = pathOfLength(root, "h" + std::to_string(v.homeLength), v.homeLength);
        ASSERT_EQ(home.size(), v.homeLength);
        ASSERT_TRUE(placeLongStandin(home + "\\bin", v.answer)) << home;
        ASSERT_TRUE(makeLongDirs(home + v.dirs)) << home;
        homes.push_back(home);
        path.push_back(home + "\\bin");
    }
    ASSERT_TRUE(writeFile(homes[1] + "\\lib\\awt.properties", kAwtOriginal)); // 255 characters
    // A file of the user's at a destination that cannot be named whole.
    const std::string userFile = homes[0] + "\\lib\\accessibility.properties";
    ASSERT_TRUE(writeLongFile(userFile, "the user's own accessibility.properties"));
    m_.addRegistryHome(0, homes[5]);
    m_.addRegistryHome(1, homes[4]);
    std::string pathText;
    for (const std::string &p : path)
        pathText += p + ";";
    scenario("hostile long paths", static_cast<int>(sizeof vms / sizeof vms[0]) + 2, "VM folders and values");

    countedRun([&] {
        PossibleWrites possible;
        copiesInto(possible, homes[0], "\\lib", "\\lib", "tamrix-1_2.jar");
        awtOf(possible, homes[1]);
        target11(possible, homes[1]);
        copiesInto(possible, homes[2], "\\jre\\lib", "\\jre\\lib\\ext", "tamrix-1_4.jar");
        dlls(possible);
        const MachinePicture before = picture();
        InstallerRun run;
        std::vector<std::string> listed;
        const RunEnd end = installAll(run, pathText, &listed);
        const std::vector<std::string> failed =
            expectTruthfulInstallation(end, before, before.retake(), possible);

        EXPECT_EQ(listed,
                  (std::vector<std::string>{lowerAscii(path[0]), lowerAscii(path[1]), lowerAscii(path[2])}));
        const std::string a = lowerAscii(homes[0]), b = lowerAscii(homes[1]), c = lowerAscii(homes[2]);
        EXPECT_EQ(end.text,
                  incompleteText({a + "\\lib\\accessibility.properties", b + "\\lib\\awt.properties",
                                  c + "\\jre\\lib\\accessibility.properties",
                                  c + "\\jre\\lib\\ext\\tamrix.jar", c + "\\jre\\lib\\ext\\ostrel.jar",
                                  b + "\\lib\\tamrix.jar", b + "\\lib\\ostrel.jar"}));
        std::string user;
        EXPECT_TRUE(readLongFile(userFile, user));
        EXPECT_EQ(user, "the user's own accessibility.properties");
        EXPECT_EQ(failed.size(), 7u);
    });
}

// awt.properties read-only, held open without sharing, and held open by a reader: each is listed as not
// written and stays exactly as it was, with nothing left beside it; the other 1.1 VM is patched.
class HostileAwt : public Hostile {
  protected:
    void run(bool win9x) {
        const std::string readOnly = vm("Jdk11ro", "3", {});
        const std::string exclusive = vm("Jdk11excl", "3", {});
        const std::string reader = vm("Jdk11reader", "3", {});
        const std::string plain = vm("Jdk11ok", "3", {});
        const std::string h14 = vm("J2sdk14", "15", {"\\jre\\lib\\ext"});
        const std::string awt = "\\lib\\awt.properties";
        ASSERT_TRUE(SetFileAttributesA((readOnly + awt).c_str(), FILE_ATTRIBUTE_READONLY));
        if (win9x)
            setWindowsVersion("win98");
        scenario(std::string("hostile awt.properties, ") + (win9x ? "9x family" : "NT family"), 3,
                 "read-only or held files");

        countedRun([&] {
            PossibleWrites possible;
            for (const std::string &h : {readOnly, exclusive, reader, plain})
                awtOf(possible, h);
            target11(possible, readOnly, win9x); // the first 1.1 VM in the list
            copiesInto(possible, h14, "\\jre\\lib", "\\jre\\lib\\ext", "tamrix-1_4.jar");
            dlls(possible);
            const MachinePicture before = picture();
            RunEnd end;
            {
                const FileHolder held(exclusive + awt, GENERIC_READ, 0);
                const FileHolder read(reader + awt, GENERIC_READ, FILE_SHARE_READ);
                ASSERT_TRUE(held.holding() && read.holding());
                InstallerRun run;
                std::vector<std::string> listed;
                end = installAll(run,
                                 readOnly + "\\bin;" + exclusive + "\\bin;" + reader + "\\bin;" + plain +
                                     "\\bin;" + h14 + "\\bin",
                                 &listed);
            } // released before the files are looked at
            const std::vector<std::string> failed = expectTruthfulInstallation(
                end, before, before.retake(), possible, win9x ? kAutoexec : nullptr);
            EXPECT_EQ(failed,
                      (std::vector<std::string>{lowerAscii(readOnly + awt), lowerAscii(exclusive + awt),
                                                lowerAscii(reader + awt)}));
        });
    }
};

TEST_F(HostileAwt, ReadOnlyOrHeldOpenOnTheNtFamily) {
    run(false);
}

TEST_F(HostileAwt, ReadOnlyOrHeldOpenOnThe9xFamily) {
    run(true);
}

// No installerFiles at all: every copy is listed as not written, and no destination is touched; what
// needs no payload (awt.properties, CLASSPATH) is done.
TEST_F(Hostile, MissingInstallerFiles) {
    const std::string h14 = vm("J2sdk14", "15", {"\\jre\\lib\\ext"});
    const std::string h11 = vm("Jdk11", "3", {});
    ASSERT_TRUE(writeFile(h14 + "\\jre\\lib\\ext\\ostrel.jar", "the user's own ostrel.jar"));
    removeTree(m_.startDir() + "\\installerFiles");
    ASSERT_FALSE(fileExists(m_.startDir() + "\\installerFiles"));
    scenario("hostile payload: installerFiles missing", 8, "files to copy");

    countedRun([&] {
        PossibleWrites possible;
        copiesInto(possible, h14, "\\jre\\lib", "\\jre\\lib\\ext", "tamrix-1_4.jar");
        awtOf(possible, h11);
        target11(possible, h11);
        dlls(possible);
        const MachinePicture before = picture();
        InstallerRun run;
        std::vector<std::string> listed;
        const RunEnd end = installAll(run, h14 + "\\bin;" + h11 + "\\bin", &listed);
        const std::vector<std::string> failed =
            expectTruthfulInstallation(end, before, before.retake(), possible);
        const std::string a = lowerAscii(h14) + "\\jre\\lib", t = lowerAscii(h11) + "\\lib";
        std::vector<std::string> expected = {a + "\\accessibility.properties", a + "\\ext\\tamrix.jar",
                                             a + "\\ext\\ostrel.jar"};
        for (const char *dll : kDlls)
            expected.push_back(lowerAscii(systemDirectory() + "\\" + dll));
        expected.push_back(t + "\\tamrix.jar");
        expected.push_back(t + "\\ostrel.jar");
        EXPECT_EQ(failed, expected);
    });
}

// A payload file held open without sharing by another process, and a destination held open by a running
// VM: each copy that meets one is listed as not written, its destination keeps its content, every other
// file is installed.
TEST_F(Hostile, PayloadFileLockedByAnotherProcess) {
    const std::string h14 = vm("J2sdk14", "15", {"\\jre\\lib\\ext"});
    const std::string h13 = vm("Jdk13", "7", {"\\lib"});
    const std::string h11 = vm("Jdk11", "3", {});
    ASSERT_TRUE(writeFile(h14 + "\\jre\\lib\\ext\\ostrel.jar", "the user's own ostrel.jar"));
    const std::string inUse = h13 + "\\lib\\tamrix.jar";
    ASSERT_TRUE(writeFile(inUse, "the tamrix.jar that a running VM has open"));
    scenario("hostile payload: a locked payload file, a destination in use", 2, "held files");

    countedRun([&] {
        PossibleWrites possible;
        copiesInto(possible, h14, "\\jre\\lib", "\\jre\\lib\\ext", "tamrix-1_4.jar");
        copiesInto(possible, h13, "\\lib", "\\lib", "tamrix-1_2.jar");
        awtOf(possible, h11);
        target11(possible, h11);
        dlls(possible);
        const MachinePicture before = picture();
        RunEnd end;
        {
            const FileHolder lock(m_.startDir() + "\\installerFiles\\ostrel.jar",
                                  GENERIC_READ | GENERIC_WRITE, 0);
            const FileHolder vmHolds(inUse, GENERIC_READ, FILE_SHARE_READ);
            ASSERT_TRUE(lock.holding() && vmHolds.holding());
            InstallerRun run;
            std::vector<std::string> listed;
            end = installAll(run, h14 + "\\bin;" + h13 + "\\bin;" + h11 + "\\bin", &listed);
        } // released before the files are looked at
        const std::vector<std::string> failed =
            expectTruthfulInstallation(end, before, before.retake(), possible);
        EXPECT_EQ(failed, (std::vector<std::string>{lowerAscii(h14) + "\\jre\\lib\\ext\\ostrel.jar",
                                                    lowerAscii(inUse), lowerAscii(h13) + "\\lib\\ostrel.jar",
                                                    lowerAscii(h11) + "\\lib\\ostrel.jar"}));
    });
}

// A disk that fills up in the middle of a copy (the copy of a payload file larger than what the disk
// takes): the destination keeps its old content, or, when it is new, is not left behind half-written;
// the closing message lists it; every other file is installed.
TEST_F(Hostile, DiskFullDuringACopy) {
    const long limit = envNumber("FILE_SIZE_LIMIT", 0);
    const std::string drive = faultDrive();
    if (limit == 0 || drive.empty())
        GTEST_SKIP() << "runs under tests/faults/fault_session.sh and tests/wine/file_size_limit.sh only";
    // The session made setup\installerFiles\ostrel.jar, larger than this process may write.
    const std::string setup = drive + "\\full-disk";
    const std::string bigJar = setup + "\\installerFiles\\ostrel.jar";
    std::string big;
    ASSERT_TRUE(readFile(bigJar, big));
    ASSERT_GT(big.size(), static_cast<size_t>(limit));
    driveDirs_ = {setup};
    for (const char *name : {"accessibility.properties", "tamrix-1_1.jar", "tamrix-1_2.jar", "tamrix-1_4.jar",
                             "JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
        ASSERT_TRUE(writeFile(setup + "\\installerFiles\\" + name, std::string("payload:") + name));
    ASSERT_TRUE(CopyFileA(hostPathFromEnv("OSTREL_TESTER_CLASS").c_str(),
                          (setup + "\\OstrelTester.class").c_str(), FALSE));
    const std::string h14 = vm("J2sdk14", "15", {"\\jre\\lib\\ext"});
    const std::string h13 = vm("Jdk13", "7", {"\\lib"});
    const std::string h11 = vm("Jdk11", "3", {});
    ASSERT_TRUE(writeFile(h14 + "\\jre\\lib\\ext\\ostrel.jar", "the user's own ostrel.jar"));
    ASSERT_TRUE(writeFile(h11 + "\\lib\\ostrel.jar", "an earlier ostrel.jar"));
    scenario("hostile full disk", 3, "copies that do not fit");

    countedRun([&] {
        PossibleWrites possible;
        copiesInto(possible, h14, "\\jre\\lib", "\\jre\\lib\\ext", "tamrix-1_4.jar");
        copiesInto(possible, h13, "\\lib", "\\lib", "tamrix-1_2.jar");
        awtOf(possible, h11);
        target11(possible, h11);
        dlls(possible);
        for (auto &f : possible.files)
            if (f.first.size() > 11 && f.first.compare(f.first.size() - 11, 11, "\\ostrel.jar") == 0)
                f.second = big;
        const MachinePicture before = picture();
        InstallerRun run;
        ASSERT_TRUE(
            run.start(installerPath(), setup, {{"PATH", h14 + "\\bin;" + h13 + "\\bin;" + h11 + "\\bin"}}));
        HWND list = run.waitDialog(kListCaption, 30000);
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(clickButton(list, IDC_INSTALL_ALL));
        const RunEnd end = finishRun(run, 30000);
        const std::vector<std::string> failed =
            expectTruthfulInstallation(end, before, before.retake(), possible);
        EXPECT_EQ(failed, (std::vector<std::string>{lowerAscii(h14) + "\\jre\\lib\\ext\\ostrel.jar",
                                                    lowerAscii(h13) + "\\lib\\ostrel.jar",
                                                    lowerAscii(h11) + "\\lib\\ostrel.jar"}));
    });
}

// A VM that never exits keeps its probe waiting, yet the Cancel button and the close box end the run at
// once with the cancellation message; no further VM is started and nothing changes. The stand-in that
// still runs is ended at the end, by its process id.
TEST_F(Hostile, VmThatNeverExitsCanStillBeCancelled) {
    const std::string stuck = m_.root() + "\\Stuck\\bin";
    ASSERT_TRUE(placeStandin(stuck, {"java.exe", "javaw.exe"}, {"javaw.exe=0,forever"}));
    const std::string next = vm("Next14", "15", {"\\jre\\lib\\ext"}) + "\\bin";
    scenario("hostile VM that never exits", 1, "stuck VM");

    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel button");
        countedRun([&] {
            const MachinePicture before = picture();
            InstallerRun run;
            ASSERT_TRUE(run.start(installerPath(), m_.startDir(), {{"PATH", stuck + ";" + next}}));
            HWND verifying = run.waitDialog(kVerifyingCaption);
            ASSERT_NE(verifying, nullptr);
            for (int i = 0; i < 500 && controlText(verifying, IDC_STATUS) != stuck; ++i)
                Sleep(10);
            ASSERT_EQ(controlText(verifying, IDC_STATUS), stuck);
            Sleep(500); // the probe is well under way, and will never end by itself
            if (closeBox)
                pressCloseBox(verifying);
            else
                ASSERT_TRUE(clickButton(verifying, IDC_CANCEL));
            const RunEnd end = finishRun(run);
            expectOneClosingMessage(end, kCanceledCaption, kCanceledText);
            EXPECT_LT(end.messageAfterMs, 2500u) << "the cancellation waited for the VM";
            EXPECT_TRUE(standinRecords(next).empty()) << "a VM was started after the cancellation";
            const std::vector<std::string> ended = endLeftoverVms(run.processId());
            EXPECT_EQ(ended.size(), 1u) << "the VM that never exits should have been left running";
            for (const std::string &problem : unexpectedChanges(before, before.retake()))
                ADD_FAILURE() << problem;
        });
    }
}

// A drive with link cycles (a link to a folder's parent, and one to the drive's root): the search ends,
// finds each VM once by its real path, and the installation into them completes.
TEST_F(Hostile, DriveWithLinkCycles) {
    const std::string drive = faultDrive();
    if (drive.empty())
        GTEST_SKIP() << "needs the fault drive of tests/faults/fault_session.sh";
    // The session made drive\cycle\inner\up (-> ..) and drive\cycle\root (-> the drive).
    ASSERT_TRUE(fileExists(drive + "\\cycle\\inner\\up")) << "no link cycle on " << drive;
    const std::string inCycle = drive + "\\cycle\\inner\\jdk14";
    const std::string apps = drive + "\\apps";
    driveDirs_ = {inCycle, apps};
    ASSERT_TRUE(placeStandin(inCycle + "\\bin", {"java.exe", "javaw.exe"}, {"*=15"}));
    makeDirs(inCycle + "\\jre\\lib\\ext");
    const std::string h13 = apps + "\\jre13";
    ASSERT_TRUE(placeStandin(h13 + "\\bin", {"java.exe", "javaw.exe"}, {"*=7"}));
    makeDirs(h13 + "\\lib");
    scenario("hostile drive with link cycles", 2, "links");

    countedRun([&] {
        PossibleWrites possible;
        copiesInto(possible, lowerAscii(inCycle), "\\jre\\lib", "\\jre\\lib\\ext", "tamrix-1_4.jar");
        copiesInto(possible, lowerAscii(h13), "\\lib", "\\lib", "tamrix-1_2.jar");
        dlls(possible);
        const MachinePicture before = picture();
        InstallerRun run;
        ASSERT_TRUE(run.start(installerPath(), m_.startDir(), {{"PATH", ""}}));
        HWND none = run.waitDialog(kNoVmsCaption);
        ASSERT_NE(none, nullptr);
        ASSERT_TRUE(clickButton(none, IDC_SEARCH));
        HWND drives = run.waitDialog(kDrivesCaption);
        ASSERT_NE(drives, nullptr);
        const std::vector<std::string> items = listItems(drives, IDC_DRIVE_LIST);
        const auto item = std::find(items.begin(), items.end(), "[" + drive + "]");
        ASSERT_NE(item, items.end());
        ASSERT_TRUE(toggleListItem(drives, IDC_DRIVE_LIST, static_cast<int>(item - items.begin())));
        ASSERT_TRUE(clickButton(drives, IDC_SEARCH));
        HWND list = run.waitDialog(kListCaption, 60000);
        ASSERT_NE(list, nullptr) << "the search did not end";
        EXPECT_EQ(sorted(listItems(list, IDC_VM_LIST)),
                  sorted({lowerAscii(h13) + "\\bin", lowerAscii(inCycle) + "\\bin"}));
        ASSERT_TRUE(clickButton(list, IDC_INSTALL_ALL));
        const RunEnd end = finishRun(run, 30000);
        EXPECT_TRUE(expectTruthfulInstallation(end, before, before.retake(), possible).empty());
    });
}
} // namespace
