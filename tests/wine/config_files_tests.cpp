// The editors of awt.properties and autoexec.bat on real files: what is on disk afterwards, in both
// platform families, and when a file cannot be read, written or replaced.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "install/config_files.h"
#include "install/file_replace.h"
#include "shell/handles.h"
#include "test_support.h"

namespace {
const std::string kQueue = "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\r\n";
const std::string kAssist = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\r\n";
const char kTarget[] = "C:\\jdk1.1.8\\lib";
const std::string kJars = ";C:\\jdk1.1.8\\lib\\tamrix.jar;C:\\jdk1.1.8\\lib\\ostrel.jar";
const std::string kAdded = "set "
                           "CLASSPATH=.;C:\\jdk1.1.8\\lib\\tamrix.jar;C:\\jdk1.1.8\\lib\\ostrel.jar;C:\\jdk1."
                           "1.8\\lib\\classes.zip\r\n";
const char kTemp[] = "___OstrelTempFile___";
const char kOld[] = "___OstrelOldFile___";

using Names = std::set<std::string>;

// Everything in a folder, so that a file left behind under any name shows.
Names namesIn(const std::string &dir) {
    Names names;
    WIN32_FIND_DATAA found;
    const UniqueFind find(FindFirstFileA((dir + "\\*").c_str(), &found));
    if (!find)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.insert(name);
    } while (FindNextFileA(find.get(), &found));
    return names;
}

std::string contentOf(const std::string &path) {
    std::string content;
    EXPECT_TRUE(readFile(path, content)) << path;
    return content;
}

bool isReadOnly(const std::string &path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Another program that holds the file open, sharing with others only what `share` allows.
UniqueFile holdOpen(const std::string &path, DWORD share) {
    return UniqueFile(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

int patchAwt(const TempDir &dir) {
    return patchAwtProperties(dir.path().c_str(), "\\awt.properties");
}

int patchAutoexecIn(const TempDir &dir) {
    return patchAutoexec((dir.path() + "\\").c_str(), "autoexec.bat", kTarget);
}

// A folder of the host that no one may write into, reached through the Z: drive of the test prefix.
bool hostProcVisible() {
    return fileExists("Z:\\proc\\version");
}

// ---- awt.properties

TEST(AwtPropertiesFile, RewrittenWithCrLfOnDiskAndNothingBeside) {
    TempDir dir;
    const std::string file = dir / "awt.properties";
    ASSERT_TRUE(writeFile(file, "# VM settings\r\nAWT.EventQueueClass=java.awt.EventQueue\r\n"
                                "AWT.Toolkit=sun.awt.windows.WToolkit\r\n"));
    EXPECT_EQ(patchAwt(dir), 1);
    const std::string once = contentOf(file);
    EXPECT_EQ(once, "# VM settings\r\n" + kQueue + "AWT.Toolkit=sun.awt.windows.WToolkit\r\n" + kAssist);
    EXPECT_EQ(namesIn(dir.path()), Names{"awt.properties"});

    EXPECT_EQ(patchAwt(dir), 1);
    EXPECT_EQ(contentOf(file), once);
}

TEST(AwtPropertiesFile, EveryByteOfTheOldFileSurvives) {
    TempDir dir;
    const std::string file = dir / "awt.properties";
    // A bare line feed becomes CR LF as in any text-mode write; a Ctrl-Z inside the file and what follows
    // it stay, and a long line stays whole; the last line gets its line end before the added lines.
    const std::string longLine = "comment=" + std::string(247, 'x') + "AWT.EventQueueClass=inside";
    ASSERT_TRUE(writeFile(file, "a=1\nb=\x1a\r\n" + longLine + "\r\n\x1a\r\nlast=\xe9"));
    EXPECT_EQ(patchAwt(dir), 1);
    EXPECT_EQ(contentOf(file),
              "a=1\r\nb=\x1a\r\n" + longLine + "\r\n\x1a\r\nlast=\xe9\r\n" + kQueue + kAssist);
}

TEST(AwtPropertiesFile, AStaleTemporaryFileIsOverwritten) {
    TempDir dir;
    const std::string file = dir / "awt.properties";
    ASSERT_TRUE(writeFile(file, "a=1\r\n"));
    ASSERT_TRUE(writeFile(dir / kTemp, std::string(20000, 'z')));
    ASSERT_TRUE(SetFileAttributesA((dir / kTemp).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(patchAwt(dir), 1);
    EXPECT_EQ(contentOf(file), "a=1\r\n" + kQueue + kAssist);
    EXPECT_EQ(namesIn(dir.path()), Names{"awt.properties"});
}

TEST(AwtPropertiesFile, AMissingFileIsNotCreated) {
    TempDir dir;
    EXPECT_EQ(patchAwt(dir), 0);
    EXPECT_EQ(namesIn(dir.path()), Names{});
    EXPECT_EQ(patchAwtProperties((dir / "no\\such").c_str(), "\\awt.properties"), 0);
    EXPECT_EQ(namesIn(dir.path()), Names{});
}

TEST(AwtPropertiesFile, AReadOnlyFileStaysAsItWas) {
    TempDir dir;
    const std::string file = dir / "awt.properties";
    ASSERT_TRUE(writeFile(file, "a=1\r\n"));
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(patchAwt(dir), 0);
    EXPECT_EQ(contentOf(file), "a=1\r\n");
    EXPECT_TRUE(isReadOnly(file));
    EXPECT_EQ(namesIn(dir.path()), Names{"awt.properties"});
}

TEST(AwtPropertiesFile, NoTemporaryFileCanBeMade) {
    TempDir dir;
    const std::string file = dir / "awt.properties";
    ASSERT_TRUE(writeFile(file, "a=1\r\n"));
    ASSERT_TRUE(CreateDirectoryA((dir / kTemp).c_str(), nullptr));
    EXPECT_EQ(patchAwt(dir), 0);
    EXPECT_EQ(contentOf(file), "a=1\r\n");
    EXPECT_EQ(namesIn(dir.path()), (Names{"awt.properties", kTemp}));
    EXPECT_TRUE(GetFileAttributesA((dir / kTemp).c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(AwtPropertiesFile, AFolderNoOneMayWriteInto) {
    if (!hostProcVisible())
        GTEST_SKIP() << "no Z:\\proc in this prefix";
    const std::string before = contentOf("Z:\\proc\\version");
    EXPECT_EQ(patchAwtProperties("Z:\\proc", "\\version"), 0);
    EXPECT_EQ(contentOf("Z:\\proc\\version"), before);
    EXPECT_FALSE(fileExists(std::string("Z:\\proc\\") + kTemp));
}

// ---- autoexec.bat

TEST(AutoexecFile, AMissingFileIsMadeWithTheAddedLine) {
    TempDir dir;
    EXPECT_EQ(patchAutoexecIn(dir), 1);
    EXPECT_EQ(contentOf(dir / "autoexec.bat"), kAdded);
    EXPECT_EQ(namesIn(dir.path()), Names{"autoexec.bat"});
}

TEST(AutoexecFile, ClasspathLinesAreExtendedOnDisk) {
    TempDir dir;
    const std::string file = dir / "autoexec.bat";
    ASSERT_TRUE(writeFile(file, "@ECHO OFF\r\nSET CLASSPATH=C:\\OLD.ZIP\r\nPATH C:\\WINDOWS\r\n"));
    EXPECT_EQ(patchAutoexecIn(dir), 1);
    EXPECT_EQ(contentOf(file), "@ECHO OFF\r\nSET CLASSPATH=C:\\OLD.ZIP" + kJars + "\r\nPATH C:\\WINDOWS\r\n");
    EXPECT_EQ(namesIn(dir.path()), Names{"autoexec.bat"});
}

TEST(AutoexecFile, TheAddedLineGoesBeforeAnEndOfFileMark) {
    TempDir dir;
    const std::string file = dir / "autoexec.bat";
    ASSERT_TRUE(writeFile(file, "@ECHO OFF\r\nPROMPT $p$g\x1a"));
    EXPECT_EQ(patchAutoexecIn(dir), 1);
    EXPECT_EQ(contentOf(file), "@ECHO OFF\r\nPROMPT $p$g\r\n" + kAdded + "\x1a");
}

TEST(AutoexecFile, AFileThatCannotBeReadIsNotReplacedByTheAddedLineAlone) {
    TempDir dir;
    const std::string file = dir / "autoexec.bat";
    ASSERT_TRUE(writeFile(file, "SET CLASSPATH=A\r\n"));
    {
        // No one else may read it, yet a rename could take its name.
        const UniqueFile held = holdOpen(file, FILE_SHARE_DELETE);
        ASSERT_TRUE(held);
        EXPECT_EQ(patchAutoexecIn(dir), 0);
    }
    EXPECT_EQ(contentOf(file), "SET CLASSPATH=A\r\n");
    EXPECT_EQ(namesIn(dir.path()), Names{"autoexec.bat"});
}

TEST(AutoexecFile, ARootNoOneMayWriteInto) {
    TempDir dir;
    EXPECT_EQ(patchAutoexec((dir / "no\\such\\").c_str(), "autoexec.bat", kTarget), 0);
    EXPECT_EQ(namesIn(dir.path()), Names{});
    if (!hostProcVisible())
        GTEST_SKIP() << "no Z:\\proc in this prefix";
    EXPECT_EQ(patchAutoexec("Z:\\proc\\", "autoexec.bat", kTarget), 0);
    EXPECT_FALSE(fileExists("Z:\\proc\\autoexec.bat"));
    EXPECT_FALSE(fileExists(std::string("Z:\\proc\\") + kTemp));
}

// ---- the replacement, in the way of each family

class Replacement : public ::testing::TestWithParam<PlatformFamily> {
  protected:
    bool replace() { return replaceFile(file_, new_, dir_ / kOld, GetParam()); }

    TempDir dir_;
    const std::string file_ = dir_ / "file.txt";
    const std::string new_ = dir_ / kTemp;
};

TEST_P(Replacement, TheNewFileTakesTheName) {
    ASSERT_TRUE(writeFile(file_, "old"));
    ASSERT_TRUE(writeFile(new_, "new"));
    EXPECT_TRUE(replace());
    EXPECT_EQ(contentOf(file_), "new");
    EXPECT_EQ(namesIn(dir_.path()), Names{"file.txt"});
}

TEST_P(Replacement, ANewFileWhereThereWasNone) {
    ASSERT_TRUE(writeFile(new_, "new"));
    EXPECT_TRUE(replace());
    EXPECT_EQ(contentOf(file_), "new");
    EXPECT_EQ(namesIn(dir_.path()), Names{"file.txt"});
}

TEST_P(Replacement, AReadOnlyFileIsNotReplaced) {
    ASSERT_TRUE(writeFile(file_, "old"));
    ASSERT_TRUE(writeFile(new_, "new"));
    ASSERT_TRUE(SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(replace());
    EXPECT_EQ(contentOf(file_), "old");
    EXPECT_TRUE(isReadOnly(file_));
    EXPECT_EQ(namesIn(dir_.path()), (Names{"file.txt", kTemp})); // the caller removes its new file
}

TEST_P(Replacement, AFileInUseIsNotReplaced) {
    ASSERT_TRUE(writeFile(file_, "old"));
    ASSERT_TRUE(writeFile(new_, "new"));
    {
        const UniqueFile held = holdOpen(file_, FILE_SHARE_READ);
        ASSERT_TRUE(held);
        EXPECT_FALSE(replace());
    }
    EXPECT_EQ(contentOf(file_), "old");
    EXPECT_EQ(namesIn(dir_.path()), (Names{"file.txt", kTemp}));
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, Replacement,
                         ::testing::Values(PlatformFamily::Nt, PlatformFamily::Win9x),
                         [](const ::testing::TestParamInfo<PlatformFamily> &info) {
                             return std::string(info.param == PlatformFamily::Nt ? "Nt" : "Win9x");
                         });

TEST(ReplacementWin9x, AStaleOldCopyIsDeleted) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir / "file.txt", "old"));
    ASSERT_TRUE(writeFile(dir / kTemp, "new"));
    ASSERT_TRUE(writeFile(dir / kOld, "older"));
    EXPECT_TRUE(replaceFile(dir / "file.txt", dir / kTemp, dir / kOld, PlatformFamily::Win9x));
    EXPECT_EQ(contentOf(dir / "file.txt"), "new");
    EXPECT_EQ(namesIn(dir.path()), Names{"file.txt"});
}

TEST(ReplacementWin9x, TheOldFileIsMovedBackWhenTheNewCannotMoveIn) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir / "file.txt", "old"));
    // The new file vanished after the old one was moved aside: here, it was never there.
    EXPECT_FALSE(replaceFile(dir / "file.txt", dir / kTemp, dir / kOld, PlatformFamily::Win9x));
    EXPECT_EQ(contentOf(dir / "file.txt"), "old");
    EXPECT_EQ(namesIn(dir.path()), Names{"file.txt"});
}

TEST(ReplacementWin9x, NothingMovesWhenTheOldNameIsTaken) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir / "file.txt", "old"));
    ASSERT_TRUE(writeFile(dir / kTemp, "new"));
    ASSERT_TRUE(CreateDirectoryA((dir / kOld).c_str(), nullptr));
    EXPECT_FALSE(replaceFile(dir / "file.txt", dir / kTemp, dir / kOld, PlatformFamily::Win9x));
    EXPECT_EQ(contentOf(dir / "file.txt"), "old");
    EXPECT_EQ(namesIn(dir.path()), (Names{"file.txt", kTemp, kOld}));
}

// ---- a prefix switched to the 9x family

// Sets the Windows version of the whole prefix and puts the old setting back at the end of the scope.
// Wine reads it when a process starts, so only processes started meanwhile see it.
class PrefixVersion {
  public:
    explicit PrefixVersion(const char *version) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        key_.reset(key);
        DWORD size = 0, type = 0;
        if (RegQueryValueExA(key, "Version", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            type == REG_SZ) {
            std::string old(size, '\0');
            if (RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE *>(&old[0]), &size) ==
                ERROR_SUCCESS) {
                old.resize(size);
                while (!old.empty() && old.back() == '\0')
                    old.pop_back();
                old_ = old;
                hadOld_ = true;
            }
        }
        set_ = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE *>(version),
                              static_cast<DWORD>(strlen(version) + 1)) == ERROR_SUCCESS;
    }
    ~PrefixVersion() {
        if (!key_)
            return;
        if (hadOld_)
            RegSetValueExA(key_.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE *>(old_.c_str()),
                           static_cast<DWORD>(old_.size() + 1));
        else
            RegDeleteValueA(key_.get(), "Version");
    }
    PrefixVersion(const PrefixVersion &) = delete;
    PrefixVersion &operator=(const PrefixVersion &) = delete;

    bool isSet() const { return set_; }

  private:
    UniqueKey key_;
    bool hadOld_ = false;
    bool set_ = false;
    std::string old_;
};

// Runs the editors' child program with the given arguments; its exit code, or 999 when it did not run.
DWORD runChild(const std::string &args) {
    const std::string child = hostPathFromEnv("OSTREL_CONFIG_CHILD");
    if (child.empty())
        return 999;
    std::string command = "\"" + child + "\" " + args;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 999;
    const UniqueObject process(info.hProcess);
    const UniqueObject thread(info.hThread);
    DWORD code = 999;
    if (WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.get(), &code);
    return code;
}

// One argument of a command line; backslashes before the closing quote are doubled, or they would escape it.
std::string quoted(const std::string &text) {
    std::string::size_type trailing = 0;
    while (trailing < text.size() && text[text.size() - 1 - trailing] == '\\')
        ++trailing;
    return "\"" + text + std::string(trailing, '\\') + "\"";
}

TEST(PrefixFamily, TheChildSeesTheVersionThePrefixIsSetTo) {
    ASSERT_EQ(runChild("platform"), static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    {
        const PrefixVersion win98("win98");
        ASSERT_TRUE(win98.isSet());
        EXPECT_EQ(runChild("platform"), static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
    }
    EXPECT_EQ(runChild("platform"), static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
}

TEST(PrefixFamily, Win98EditsTheFilesTheWayOfThe9xFamily) {
    TempDir dir;
    const std::string awt = dir / "awt.properties";
    const std::string bat = dir / "autoexec.bat";
    ASSERT_TRUE(writeFile(awt, "a=1\r\nawt.assistive_technologies=x\r\n"));
    // A copy that an earlier 9x run could not delete; only the 9x way knows this name and removes it.
    ASSERT_TRUE(writeFile(dir / kOld, "older"));

    const PrefixVersion win98("win98");
    ASSERT_TRUE(win98.isSet());
    ASSERT_EQ(runChild("platform"), static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));

    EXPECT_EQ(runChild("awt " + quoted(dir.path()) + " \\awt.properties"), 1u);
    EXPECT_EQ(contentOf(awt), "a=1\r\n" + kAssist + kQueue);
    EXPECT_EQ(namesIn(dir.path()), Names{"awt.properties"});

    const std::string autoexecArgs = "autoexec " + quoted(dir.path() + "\\") + " autoexec.bat " + kTarget;
    EXPECT_EQ(runChild(autoexecArgs), 1u);
    EXPECT_EQ(contentOf(bat), kAdded);
    EXPECT_EQ(runChild(autoexecArgs), 1u);
    EXPECT_EQ(contentOf(bat), kAdded.substr(0, kAdded.size() - 2) + kJars + "\r\n");
    EXPECT_EQ(namesIn(dir.path()), (Names{"autoexec.bat", "awt.properties"}));

    // Here a file in use may be moved aside, so only the editor itself keeps one it cannot read.
    const std::string before = contentOf(bat);
    {
        const UniqueFile held = holdOpen(bat, FILE_SHARE_DELETE);
        ASSERT_TRUE(held);
        EXPECT_EQ(runChild(autoexecArgs), 0u);
    }
    EXPECT_EQ(contentOf(bat), before);
    EXPECT_EQ(namesIn(dir.path()), (Names{"autoexec.bat", "awt.properties"}));

    ASSERT_TRUE(SetFileAttributesA(bat.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(runChild(autoexecArgs), 0u);
    EXPECT_EQ(contentOf(bat), before);
    EXPECT_TRUE(isReadOnly(bat));
    EXPECT_EQ(namesIn(dir.path()), (Names{"autoexec.bat", "awt.properties"}));
}

// ---- a full disk: run with a limit on file sizes by file_size_limit.sh

// The limit in bytes, or 0 when this run has none.
size_t fileSizeLimit() {
    char value[32];
    const DWORD n = GetEnvironmentVariableA("OSTREL_FILE_SIZE_LIMIT", value, sizeof value);
    return (n > 0 && n < sizeof value) ? static_cast<size_t>(strtoul(value, nullptr, 10)) : 0;
}

// Lines of text that fill all but `room` bytes up to the limit.
std::string textFillingAllBut(size_t limit, size_t room, const std::string &firstLine) {
    std::string text = firstLine;
    while (text.size() + 40 <= limit - room)
        text += "# " + std::string(35, 'f') + "\r\n";
    return text;
}

class FullDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        limit_ = fileSizeLimit();
        if (limit_ == 0)
            GTEST_SKIP() << "runs under file_size_limit.sh only";
    }
    size_t limit_ = 0;
};

TEST_F(FullDisk, TheLimitIsInForce) {
    TempDir dir;
    EXPECT_TRUE(writeFile(dir / "fits", std::string(limit_, 'x')));
    EXPECT_FALSE(writeFile(dir / "too-big", std::string(limit_ + 1, 'x')));
}

TEST_F(FullDisk, AwtPropertiesStaysAsItWas) {
    TempDir dir;
    const std::string file = dir / "awt.properties";
    const std::string text = textFillingAllBut(limit_, 60, "AWT.Toolkit=sun.awt.windows.WToolkit\r\n");
    ASSERT_TRUE(writeFile(file, text));
    EXPECT_EQ(patchAwt(dir), 0);
    EXPECT_EQ(contentOf(file), text);
    EXPECT_EQ(namesIn(dir.path()), Names{"awt.properties"});
}

TEST_F(FullDisk, AutoexecStaysAsItWas) {
    TempDir dir;
    const std::string file = dir / "autoexec.bat";
    const std::string text = textFillingAllBut(limit_, 60, "@ECHO OFF\r\n");
    ASSERT_TRUE(writeFile(file, text));
    EXPECT_EQ(patchAutoexecIn(dir), 0);
    EXPECT_EQ(contentOf(file), text);
    EXPECT_EQ(namesIn(dir.path()), Names{"autoexec.bat"});
}
} // namespace
