// Runs the scenarios of scenarios.txt against the real installer.exe, each held to what always holds (see
// tests/README.md): one closing message, exit code 0, VMs started as the tester needs, nothing else changed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "driver.h"

namespace {
using Args = std::vector<std::string>;
using Scenario = std::pair<std::string, std::vector<std::pair<int, Args>>>; // name; line numbers and words
using Picture = std::map<std::string, std::string>; // path, or "classpath", and what it holds
const std::string kLog = "C:\\starts.log", kSys = "C:\\windows\\system32", kCount = "C:\\allocations.txt",
                  kChanges = "C:\\changes.txt"; // what the test build counted (see test_build.cpp)
constexpr DWORD kCutExitCode = 0xC07;           // the test build's exit at a cut
const std::string kEnvKey = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
const std::string kOwn = "c:\\windows\\ostrel"; // the installer's own folder: the removal's record
const Args kRoots = {"C:\\t", "D:", "E:", "F:", "G:", kOwn}; // where scenarios lay out and change files
// The single files: autoexec.bat, WININIT.INI, the three DLLs (4 to 6), and the DLLs' new and old versions.
const Args kFiles = {"C:\\autoexec.bat",         "C:\\autoexec.~nw",        "C:\\autoexec.~od",
                     "C:\\windows\\wininit.ini", kSys + "\\JavaOstrel.dll", kSys + "\\WindowsOstrel.dll",
                     kSys + "\\JAWTOstrel.dll",  kSys + "\\JavaOstrel.~nw", kSys + "\\WindowsOstrel.~nw",
                     kSys + "\\JAWTOstrel.~nw",  kSys + "\\JavaOstrel.~od", kSys + "\\WindowsOstrel.~od",
                     kSys + "\\JAWTOstrel.~od"};
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\JavaOstrel";
const std::string kShared = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char *const kRegistration[] = {"UninstallString", "QuietUninstallString", "DisplayName", "NoModify",
                                     "NoRepair"};
const std::string kSessionKey = "System\\CurrentControlSet\\Control\\Session Manager";
// clang-format off
const std::map<std::string, std::string> kDialogs = {{"verifying", "Checking Java VMs for compatibility"},
    {"searching", "Searching for Java VMs"}, {"list", "Available Java virtual machines"},
    {"no-vms", "No Java VMs found"}, {"drives", "Drives to search on"}, {"confirm", "Remove the Java Ostrel"}};
const std::string kSuccess = "Installation of the Java Ostrel was successful.";
const std::string kChanged = "\nThese files and lines were changed since the installation and stay as they are:";
const std::map<std::string, Args> kClosings = { // caption, text, exit code, heading of the lines that follow
    {"canceled", {"Installation Canceled", "Installation of the Java Ostrel was canceled.", "0"}},
    {"done", {"Installation Completed", kSuccess, "0"}},
    {"done-restart", {"Installation Completed.  You must reboot your system.", kSuccess, "0"}},
    {"incomplete", {"Installation Incomplete", "Installation of the Java Ostrel was not completed.", "0",
                    " These files could not be written:"}},
    {"incomplete-restart", {"Installation Incomplete.  You must reboot your system.",
                            "Installation of the Java Ostrel was not completed.", "0", " These files could not be written:"}},
    {"running", {"Installation Canceled", "The installer of the Java Ostrel is already running.", "0"}},
    {"removed", {"Removal Completed", "The Java Ostrel was removed.", "0", kChanged}},
    {"removed-restart", {"Removal Completed.  You must reboot your system.", "The Java Ostrel was removed.", "3010", kChanged}},
    {"not-removed", {"Removal Incomplete", "The Java Ostrel was not removed completely.", "1603",
                     " These could not be put back:"}},
    {"not-removed-restart", {"Removal Incomplete.  You must reboot your system.",
                             "The Java Ostrel was not removed completely.", "1603", " These could not be put back:"}},
    {"not-installed", {"Nothing to Remove", "The Java Ostrel is not installed.", "1605"}},
    {"removal-canceled", {"Removal Canceled", "Removal of the Java Ostrel was canceled.", "1602"}}};
const std::map<std::string, DWORD> kTypes = {{"sz", REG_SZ}, {"expand", REG_EXPAND_SZ}, {"dword", REG_DWORD},
    {"multi", REG_MULTI_SZ}};
const std::map<std::string, int> kButtons = {{"cancel", 10001}, {"install", 10002}, {"all", 10003}, {"search", 10004},
    {"yes", IDYES}, {"no", IDNO}};
const std::map<std::string, UINT> kKeys = {{"tab", VK_TAB}, {"space", VK_SPACE}, {"down", VK_DOWN}, {"enter", VK_RETURN},
    {"escape", VK_ESCAPE}}; // Escape, which the dialog manager makes IDCANCEL, must change nothing
// clang-format on
LONG g_broadcasts = 0; // announcements of a changed environment, as a top-level window receives them

LRESULT CALLBACK countBroadcast(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETTINGCHANGE && lp && !strcmp(reinterpret_cast<const char *>(lp), "Environment"))
        InterlockedIncrement(&g_broadcasts);
    return DefWindowProcA(w, msg, wp, lp);
}

DWORD WINAPI countBroadcasts(void *) {
    WNDCLASSA wc = {0, countBroadcast, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "broadcasts"};
    CreateWindowA(MAKEINTATOM(RegisterClassA(&wc)), "", WS_OVERLAPPED, 0, 0, 0, 0, 0, 0, 0, 0);
    for (MSG msg; GetMessageA(&msg, nullptr, 0, 0) > 0;)
        DispatchMessageA(&msg);
    return 0;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    return s;
}

// Words, or "quoted texts" that may hold blanks, in which ^n is CR LF, ^hh the byte hh, {eq} and {at} the
// bridge's awt.properties lines, and {long:N} a folder under C:\t of N characters.
Args words(const std::string &line) {
    Args args;
    for (size_t i = 0, end; (i = line.find_first_not_of(" \r", i)) != std::string::npos; i = end + 1) {
        const bool quoted = line[i] == '"';
        end = std::min(line.find(quoted ? '"' : ' ', i + 1), line.find_last_not_of('\r') + 1);
        std::string &w = args.emplace_back();
        for (size_t k = i + quoted; k < end; ++k)
            if (line.compare(k, 2, "^n") == 0)
                w += "\r\n", ++k;
            else if (line[k] == '^')
                w += static_cast<char>(std::stoi(line.substr(k + 1, 2), nullptr, 16)), k += 2;
            else if (line.compare(k, 4, "{eq}") == 0 || line.compare(k, 4, "{at}") == 0)
                w += line[k + 1] == 'e'
                         ? "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\r\n"
                         : "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\r\n",
                    k += 3;
            else if (line.compare(k, 6, "{long:") == 0)
                for (size_t n = std::stoul(line.substr(k + 6)), left = (w += "c:\\t", 1);
                     k = line.find('}', k), (left = n - w.size() - 1) < n;) // components of at most 60
                    w += "\\" + std::string(left <= 60 ? left : std::min<size_t>(60, left - 2), 'x');
            else
                w += line[k];
    }
    return args;
}

std::vector<Scenario> loadScenarios() {
    std::vector<Scenario> all;
    std::ifstream in(hostPathFromEnv("OSTREL_SCENARIOS"));
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
        if (const Args args = line[0] == '#' ? Args() : words(line); !args.empty() && args[0] == "scenario")
            all.emplace_back(args.at(1), std::vector<std::pair<int, Args>>());
        else if (!args.empty())
            all.back().second.emplace_back(number, args);
    return all;
}

// On 64-bit Windows, the view of HKEY_LOCAL_MACHINE\Software and the system directory of the other width than
// the program under test, where nothing it does may land; none on 32-bit Windows.
const bool kWow64 = [] {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}();
const DWORD kOtherView = sizeof(void *) == 8 ? RRF_SUBKEY_WOW6432KEY : kWow64 ? RRF_SUBKEY_WOW6464KEY : 0;
const std::string kOtherSys = sizeof(void *) == 8 ? "C:\\windows\\syswow64"
                              : kWow64            ? "C:\\windows\\sysnative"
                                                  : "";

// A program in a picture: its size and a hash, which a failure can print.
std::string shortened(const std::string &content) {
    return content.size() < 4096 ? content
                                 : "<" + std::to_string(content.size()) + " bytes, hash " +
                                       std::to_string(std::hash<std::string>()(content)) + ">";
}

// The files under the roots (a folder as "<dir>", "+ro" when read-only), the single files, and CLASSPATH.
Picture takePicture() {
    Picture picture;
    for (const std::string &root : kRoots)
        walkTree(root, [&](const std::string &path, DWORD attributes) {
            std::string content = "<dir>";
            if (lower(path).find("\\standin.cfg") == std::string::npos &&
                ((attributes & FILE_ATTRIBUTE_DIRECTORY) || readFile(path, content)))
                picture[lower(path)] =
                    shortened(content) + (attributes & FILE_ATTRIBUTE_READONLY ? "+ro" : "");
        });
    for (const std::string &file : kFiles)
        if (!readFile(file, picture[lower(file)]))
            picture.erase(lower(file));
    if (const DWORD own = GetFileAttributesA(kOwn.c_str());
        own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_DIRECTORY)) // even when empty
        picture[kOwn] = "<dir>";
    // Registry values: CLASSPATH; the removal's registration, counts of shared DLLs, deletions at restart
    std::vector<std::pair<std::string, std::string>> values = {{kEnvKey, "CLASSPATH"},
                                                               {kSessionKey, "PendingFileRenameOperations"}};
    for (const char *name : kRegistration)
        values.emplace_back(kUninstall, name);
    for (int i = 4; i < 7; ++i)
        values.emplace_back(kShared, kFiles[i]);
    for (const auto &value : values)
        for (const DWORD view : {DWORD(0), kOtherView}) {
            char data[65536];
            DWORD type = 0, size = sizeof data;
            const bool software = !lower(value.first).rfind("software\\", 0);
            if ((view == 0 || (kOtherView && software)) &&
                !RegGetValueA(HKEY_LOCAL_MACHINE, value.first.c_str(), value.second.c_str(),
                              RRF_RT_ANY | RRF_NOEXPAND | view, &type, data, &size))
                picture[(view ? "other view:" : "") +
                        lower(value.second == "CLASSPATH" ? "classpath" : value.first + ":" + value.second)] =
                    std::to_string(type) + ":" + std::string(data, size);
        }
    for (int i = 4; i < 7 && !kOtherSys.empty(); ++i) // the DLLs, where the other programs look
        if (std::string name = kFiles[i].substr(kSys.size()), content; readFile(kOtherSys + name, content))
            picture[lower(kOtherSys + name)] = content;
    return picture;
}

void cleanMachine() {
    for (const std::string &root : kRoots)
        removeTree(root, root.size() > 2); // a drive's root stays
    for (const std::string &file : kFiles)
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL), DeleteFileA(file.c_str());
    DeleteFileA(kLog.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Pellior");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kEnvKey.c_str(), "CLASSPATH");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstall.c_str());
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSessionKey.c_str(), "PendingFileRenameOperations");
    for (int i = 4; i < 7; ++i)
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kShared.c_str(), kFiles[i].c_str());
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version");
    DeleteFileA(kCount.c_str());
    DeleteFileA(kChanges.c_str());
}

// What run 1 of a fault scenario measured for the runs after it: allocations, changes, and the machine after
// each whole run of a sweep (by the line that asked for it).
struct Measured {
    long allocations = 0;
    std::map<int, long> changes; // of each line that cuts a run
    std::map<int, Picture> whole;
    std::set<std::string> cancelledIn; // the captions of the dialogs that took a cancel
};

std::string folderOf(const std::string &path) {
    return path.substr(0, path.find_last_of('\\'));
}

// The name that a replacement gives the old version while the new one moves in (see file_replace.cpp).
std::string setAsideName(const std::string &path) {
    return path.substr(0, path.find('.', path.find_last_of('\\') + 1)) + ".~od";
}

bool endsWith(const std::string &text, const std::string &end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// What no step of an installation or removal may leave: a VM whose configuration names a file that is not in
// place, a file of the machine before the installations lost (on the 9x family, which has no rename that
// replaces a file, a run cut short may leave it under its set-aside name), the removal registered without
// the program and record that carry it out.
std::string brokenParts(const Picture &now, const Picture &first, const Picture &expected, bool nineX,
                        bool cutShort = false) {
    std::string broken, classpath = now.count("classpath") ? now.at("classpath") : ""; // "<type>:<text>"
    const auto there = [&](const std::string &path) {
        return (now.count(path) && now.at(path) != "<dir>") ||
               (nineX && cutShort && now.count(setAsideName(path)));
    };
    classpath = lower(nineX ? (now.count("c:\\autoexec.bat") ? now.at("c:\\autoexec.bat") : "")
                            : classpath.substr(classpath.find(':') + 1));
    std::set<std::string> jars; // the jars that CLASSPATH or autoexec.bat names, and that are there
    for (size_t at = 0, end; (end = classpath.find(".jar", at)) != std::string::npos; at = end + 4) {
        const size_t begin = classpath.find_last_of(std::string(";=\"\r\n \0", 7), end) + 1;
        const std::string jar = classpath.substr(begin, end + 4 - begin);
        broken += there(jar) ? (jars.insert(jar), "") : "\nnamed in CLASSPATH but missing: " + jar;
    }
    bool configured = false;
    for (const auto &[path, content] : now) {
        const std::string lib = folderOf(path);
        if (endsWith(path, "\\awt.properties") &&
            content.find("com.zel.java.accessibility") != std::string::npos) {
            configured = true;
            const auto named = [&](const char *name) {
                return std::any_of(jars.begin(), jars.end(),
                                   [&](const std::string &j) { return endsWith(j, name); });
            };
            if (!named("\\tamrix.jar") || !named("\\ostrel.jar"))
                broken += "\n" + path + " names the bridge, CLASSPATH not both of its jars";
        }
        if (endsWith(path, "\\accessibility.properties") && !content.rfind("payload:", 0) &&
            !endsWith(lib, "\\installerfiles")) { // the payload's, which names the bridge; not the payload
            configured = true;
            for (const char *jar :
                 {"\\tamrix.jar", "\\ostrel.jar"}) // in ext, or beside it where there is none
                if (!there(lib + "\\ext" + jar) && !there(lib + jar))
                    broken += "\n" + path + " names the bridge, without " + lib + "\\ext" + jar;
        }
    }
    for (const char *dll : {"\\javaostrel.dll", "\\windowsostrel.dll", "\\jawtostrel.dll"})
        if (configured && !there(lower(kSys) + dll))
            broken += "\na VM names the bridge, without " + lower(kSys) + dll;
    for (const auto &file : first) // but what the scenario deleted, and what was left aside to be cleared
        if (!endsWith(file.first, ".~od") && !endsWith(file.first, ".~nw") && !there(file.first) &&
            !now.count(file.first) && !(expected.count(file.first) && expected.at(file.first) == "<none>"))
            broken += "\nlost: " + file.first;
    if (now.count(lower(kUninstall) + ":uninstallstring") &&
        (!there(kOwn + "\\remove.exe") || !there(kOwn + "\\record.txt")))
        broken += "\nregistered for removal without its program or record";
    return broken;
}

std::multiset<std::string> linesOf(const std::string &text) {
    std::multiset<std::string> lines;
    for (size_t at = 0, end; at < text.size(); at = end + 1)
        lines.insert(text.substr(at, (end = std::min(text.find('\n', at), text.size())) - at));
    return lines;
}

// The keys on which two pictures differ, with both values. The record's lines may come in another order: a
// VM that one run could not start (its tester did not answer) is noted by a later one.
std::string differences(const Picture &a, const Picture &b) {
    Picture keys = a;
    keys.insert(b.begin(), b.end());
    std::string text;
    const auto same = [&](const std::string &key) {
        return key == kOwn + "\\record.txt" ? linesOf(a.at(key)) == linesOf(b.at(key))
                                            : a.at(key) == b.at(key);
    };
    for (const auto &k : keys)
        if (!a.count(k.first) || !b.count(k.first) || !same(k.first))
            text += "\n" + k.first + ": " + (a.count(k.first) ? a.at(k.first) : "<none>") + " | " +
                    (b.count(k.first) ? b.at(k.first) : "<none>");
    return text;
}

void expectQuietEnd(InstallerRun &quiet, const std::vector<DWORD> &right);

// One run of a scenario: the machine, the installer, the user, and what is checked at the end.
struct Play {
    int number = 1, runs = 1, launches = 0, line = 0;
    bool every = false; // each allocation or change in turn
    Measured &measured;
    std::mt19937 random;
    InstallerRun run;
    bool started = false, closed = false;
    std::string closedAs;                      // the kind of closing message seen
    std::map<std::string, std::string> listed; // path: "not written", or a VM's bin folder: "left"
    HWND dialog = nullptr;
    std::map<std::string, std::string> set = {{"installer", "OSTREL_INSTALLER"},
                                              {"start-in", "C:\\t\\setup"},
                                              {"args", ""},
                                              {"linger", "0"}}; // and what the scenario sets
    std::vector<std::pair<std::string, std::string>> env;
    std::string path, vmsOnPath; // PATH: the scenario's, or the bin folder of each VM under C:\t
    Args holds, starts;
    std::vector<HANDLE> held;
    Picture before, expected;
    DWORD lastAction = 0;
    DWORD startsBeforeCancel = 0; // processes started before the cancel, when there was one
    LONG broadcastsBefore = g_broadcasts;

    void expect(const std::string &path, const std::string &content) { expected[lower(path)] = content; }
    void forgetInstallation() { // after a removal its files go, or are as they were, unless named again
        for (int i = 4; i < 7; ++i)
            expected.erase(lower(kFiles[i]));
        for (const std::string &own : {kOwn, lower(kUninstall), lower(kShared)})
            for (auto at = expected.lower_bound(own); at != expected.end() && !at->first.rfind(own, 0);)
                at = expected.erase(at);
        set.erase("installed");
    }
    bool launch() { // once more after a start that Wine refused under load, which the output shows
        lastAction = GetTickCount(), ++launches;
        const std::string exe = hostPathFromEnv(set["installer"].c_str());
        if (run.start(exe, set["start-in"], env, set["args"]))
            return true;
        printf("  the installer did not start (error %lu); once more\n", GetLastError());
        Sleep(500);
        return run.start(exe, set["start-in"], env, set["args"]);
    }
    explicit Play(Measured &m) : measured(m) {}
    ~Play() { // the variables are this scenario's only, also when a step ended it with an exception
        for (const auto &variable : env)
            SetEnvironmentVariableA(variable.first.c_str(), nullptr);
    }
    void start();
    bool step(Args a);
    void cutAndFinish(const Args &a);
    bool arguments(const Args &a, size_t from) { // the installer's arguments from here on: a removal?
        set["args"] = "";
        for (size_t i = from; i < a.size(); ++i)
            set["args"] += " " + a[i];
        return set["args"].find("/remove") != std::string::npos && (set["removal"] = "yes", true);
    }
    HWND awaitDialog(const std::string &caption, std::string *seen = nullptr, DWORD pid = 0);
    void closing(InstallerRun &shown, const Args &a);
    void finish();
};

void Play::start() {
    started = true;
    const std::string dir = set["start-in"];
    makeDirs(dir);
    for (const char *name : {"accessibility.properties", "tamrix-1_1.jar", "tamrix-1_2.jar", "tamrix-1_4.jar",
                             "ostrel.jar", "JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"}) {
        const std::string file = dir + "\\installerFiles\\" + name;
        EXPECT_TRUE(writeFile(file, std::string("payload:") + name)) << file;
        if (set.count("readonly-payload")) {
            EXPECT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
        }
    }
    EXPECT_TRUE(CopyFileA(hostPathFromEnv("OSTREL_TESTER_CLASS").c_str(),
                          (dir + "\\OstrelTester.class").c_str(), FALSE));
    before = takePicture();
    for (const std::string &h :
         holds) { // another program keeps it open: sharing nothing, its deletion, or reads
        const DWORD share = endsWith(h, "|hold-but-delete") ? FILE_SHARE_DELETE
                            : endsWith(h, "|hold-but-read") ? FILE_SHARE_READ
                                                            : 0;
        held.push_back(
            CreateFileA(h.substr(0, h.find('|')).c_str(), GENERIC_READ, share, 0, OPEN_EXISTING, 0, 0));
    }
    env.emplace_back("PATH", path.empty() ? vmsOnPath : path);
    env.emplace_back("OSTREL_STANDIN_LOG", kLog);
    EXPECT_TRUE(launch()) << "not started: error " << GetLastError();
}

// cut <exit code of a whole run> <arguments>: a quiet run, ended at once just before one of its changes to
// the machine (run 1 cuts none and counts them; a later run cuts each in turn, or one at random; none when
// this line has fewer), which must leave the machine whole; then the same run once more, which must leave it
// as run 1 did.
void Play::cutAndFinish(const Args &a) {
    const long all = measured.changes[line];
    long k = number < 2 ? 0 : every ? number - 1 : std::uniform_int_distribution<long>(1, all)(random);
    k = k > all ? 0 : k;
    const bool removal = arguments(a, 2);
    env.insert(env.end(), {{"OSTREL_CUT_CHANGE", std::to_string(k)}, {"OSTREL_CHANGES", kChanges}});
    if (started)
        EXPECT_TRUE(launch()) << "not started: error " << GetLastError();
    else
        start();
    const DWORD whole = std::stoul(a.at(1));
    std::string count;
    expectQuietEnd(run, {k == 0 ? whole : kCutExitCode});
    if (number == 1) {
        EXPECT_TRUE(readFile(kChanges, count) && (measured.changes[line] = std::stol(count)) > 0) << count;
        measured.whole[line] = takePicture();
    } else if (k > 0) {
        printf("  the run of line %d is cut before its change numbered %ld of %ld\n", line, k, all);
        EXPECT_FALSE(readFile(kChanges, count)) << "a cut run counted its changes";
        EXPECT_EQ(brokenParts(takePicture(), before, expected, set.count("nine-x"), true), "")
            << "after the cut";
        env.emplace_back("OSTREL_CUT_CHANGE", "0");
        EXPECT_TRUE(launch()) << "not started: error " << GetLastError();
        // A removal cut after its record went may find nothing to remove (1605); on the 9x family one cut
        // after autoexec.bat was put back asks for no restart when the system never started with the jars.
        std::vector<DWORD> right = {whole};
        if (removal)
            right.insert(right.end(), {1605, set.count("nine-x") ? 0ul : 1605ul});
        expectQuietEnd(run, right);
    }
    EXPECT_EQ(differences(takePicture(), measured.whole[line]), "") << "not as a whole run";
    DeleteFileA(kChanges.c_str());
    if (removal)
        forgetInstallation();
    else
        step({"installed"});
    closed = true;
}

// A quiet run ends by itself, with this exit code and no window at any time: a window would wait for a press
// in vain.
void expectQuietEnd(InstallerRun &quiet, const std::vector<DWORD> &right) {
    DWORD code = 1234;
    std::string shown;
    for (const DWORD start = GetTickCount(); !quiet.waitExit(20, code) && GetTickCount() - start < 30000;)
        for (const auto &d : processDialogs(quiet.pi.dwProcessId))
            shown += " \"" + d.second + "\"";
    EXPECT_TRUE(quiet.waitExit(0, code) && std::find(right.begin(), right.end(), code) != right.end())
        << "exit code " << code;
    EXPECT_EQ(shown, "") << "windows of a quiet run";
}

bool Play::step(Args a) {
    const std::string c = a[0];
    auto arg = [&](size_t i) { return a.at(i); };
    const bool changesMachine =
        c == "again" || c == "uninstall" || c == "gone" || c == "hold"; // after a closing too
    if (c == "installer" || c == "args" || c == "start-in" || c == "readonly-payload" || c == "either" ||
        c == "linger" || c == "broadcasts") { // see start(), closing() and finish()
        set[c] = a.size() > 1 ? a[1] : "yes";
    } else if (c == "nine-x") {
        RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version", REG_SZ, "win98", 6);
        set[c] = "yes";
    } else if (c == "vm") { // vm <home> <answer, or name=answer/...> [folder, or file=content...]
        Args config, names;
        for (size_t at = 0, end = 0; end != std::string::npos; at = end + 1)
            config.push_back(arg(2).substr(at, (end = arg(2).find('/', at)) - at));
        for (const std::string &line : config)
            names.push_back(line.substr(0, line.find('=')));
        if (config[0].find('=') == std::string::npos) // one answer for both launchers
            config[0] = "*=" + config[0], names[0] = "java.exe", names.push_back("javaw.exe");
        names.erase(std::remove(names.begin(), names.end(), "proof"), names.end()); // an answer, no launcher
        EXPECT_TRUE(placeStandin(arg(1) + "\\bin", names, config));
        if (lower(arg(1)).compare(0, 5, "c:\\t\\") == 0)
            vmsOnPath += (vmsOnPath.empty() ? "" : ";") + arg(1) + "\\bin";
        for (size_t i = 3, eq; i < a.size(); ++i)
            EXPECT_TRUE((eq = a[i].find('=')) == std::string::npos
                            ? makeDirs(a[1] + "\\" + a[i])
                            : writeFile(a[1] + "\\" + a[i].substr(0, eq), a[i].substr(eq + 1)))
                << a[i];
    } else if (c ==
               "file") { // file <path> <content> [readonly; or another program's: hold, hold-but-delete/read]
        EXPECT_TRUE(writeFile(arg(1), arg(2)));
        SetFileAttributesA(arg(1).c_str(), a.size() > 3 && a[3] == "readonly" ? FILE_ATTRIBUTE_READONLY
                                                                              : FILE_ATTRIBUTE_NORMAL);
        if (a.size() > 3 && a[3] != "readonly")
            holds.push_back(arg(1) + "|" + a[3]);
    } else if (c == "path") {
        for (size_t i = 1; i < a.size(); ++i)
            path += (i > 1 ? ";" : "") + a[i];
    } else if (c == "reg") { // reg <key under HKEY_LOCAL_MACHINE, or env> <name> <type> <text>
        const DWORD number = arg(3) == "dword" ? std::stoul(arg(4)) : 0;
        const std::string data =
            number ? std::string(reinterpret_cast<const char *>(&number), 4) : arg(4) + '\0';
        EXPECT_TRUE(setMachineValue(arg(1) == "env" ? kEnvKey : arg(1), arg(2).c_str(),
                                    kTypes.count(arg(3)) ? kTypes.at(arg(3)) : REG_BINARY, data));
    } else if (c == "env") {
        env.emplace_back(arg(1), arg(2));
    } else if (c == "fail-allocation") { // run 1 counts the allocations; each later one fails one
        const long all = measured.allocations;
        const long k = number < 2 ? 0 : 1 + (number - 2L) * (all - 1) / std::max(1, runs - 2);
        printf("  the allocation numbered %ld of %ld fails\n", k, all);
        set["failing"] = std::to_string(k);
        env.insert(env.end(),
                   {{"OSTREL_FAIL_ALLOCATION", std::to_string(k)}, {"OSTREL_ALLOCATIONS", kCount}});
    } else if (c == "cut") {
        cutAndFinish(a);
    } else if (c == "holds") {
        expect(arg(1), arg(2));
    } else if (c ==
               "vm-files") { // vm-files <library folder, or -> <extension folder> <the payload's tamrix jar>
        if (arg(1) != "-")
            expect(arg(1) + "\\accessibility.properties", "payload:accessibility.properties");
        expect(arg(2) + "\\tamrix.jar", "payload:" + arg(3));
        expect(arg(2) + "\\ostrel.jar", "payload:ostrel.jar");
    } else if (c == "installed") { // the removal's record, program and registration, and the DLLs' counts
        set[c] = "yes";
        for (const std::string &own : {kOwn, kOwn + "\\remove.exe", kOwn + "\\record.txt"})
            expect(own, "<any>");
        for (const char *value : kRegistration)
            expect(kUninstall + ":" + value, "<any>");
        for (int i = 4; i < 7; ++i)
            expect(kShared + ":" + kFiles[i], "<any>");
    } else if (c == "dlls") { // also implied by a closing message of success
        for (const char *dll : {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
            expect(kSys + "\\" + dll, std::string("payload:") + dll);
    } else if (c == "classpath") {
        expected["classpath"] = std::to_string(kTypes.at(arg(1))) + ":" + arg(2) + '\0';
    } else if (c == "log") { // log <file> <text>...: the file holds each text, in this order, and goes on
        std::string log;
        EXPECT_TRUE(readFile(arg(1), log));
        for (size_t i = 2, at = 0; i < a.size(); ++i)
            EXPECT_NE(at = log.find(a[i], at), std::string::npos) << a[i] << " in\n" << log;
        for (size_t at = log.find('\n'); at != std::string::npos; at = log.find('\n', at + 1))
            EXPECT_TRUE(at > 0 && log[at - 1] == '\r') << "a line of " << arg(1) << " ends in LF alone";
        expect(arg(1), "<any>");
    } else if (c == "started") { // every VM start, in order
        std::transform(a.begin() + 1, a.end(), std::back_inserter(starts), lower);
    } else if (closed && !changesMachine) {
        ADD_FAILURE() << "not known, or not in its place: " << c;
    } else {
        if (!started)
            start();
        if (a.size() > 1 && kDialogs.count(a[1])) // the dialog to wait for first
            dialog = awaitDialog(kDialogs.at(a[1])), a.erase(a.begin() + 1);
        const bool needsDialog = !changesMachine && c != "closing" && c != "exits";
        if (!dialog && set.count("either") && needsDialog) // the run may have ended before it came
            return true;
        const int list = dialog && GetDlgItem(dialog, 50001) ? 50001 : 40001; // drives, or VMs
        if (c == "items") {
            EXPECT_EQ(listItems(dialog, list), Args(a.begin() + 1, a.end()));
        } else if (c == "select") {
            const Args items = listItems(dialog, list);
            for (size_t i = 1; i < a.size(); ++i, Sleep(50)) {
                const auto at = std::find(items.begin(), items.end(), a[i]);
                EXPECT_TRUE(at != items.end() || set.count("either")) << a[i];
                toggleListItem(dialog, list, static_cast<int>(at - items.begin()));
            }
        } else if (c == "press") {
            EXPECT_TRUE(clickButton(dialog, kButtons.at(arg(1))) || set.count("either"))
                << arg(1) << "; " << run.running();
            if (GetDlgItem(dialog, 0xFFFF)) // a message box: the next one must not be taken for it
                run.waitGone(dialog, 5000);
        } else if (c == "disabled") {
            EXPECT_TRUE(GetDlgItem(dialog, kButtons.at(arg(1))) &&
                        !IsWindowEnabled(GetDlgItem(dialog, kButtons.at(arg(1)))))
                << arg(1);
        } else if (c == "close") {
            EXPECT_TRUE(dialog) << "no dialog to close";
            pressCloseBox(dialog);
        } else if (c == "keys") {
            EXPECT_TRUE(dialog) << "no dialog to type into";
            for (size_t i = 1; i < a.size(); ++i, Sleep(60))
                typeKey(dialog, kKeys.at(a[i]));
        } else if (c == "status") { // the progress dialog shows this text, in time
            for (int i = 0; i < 750 && controlText(dialog, 30001) != arg(1); ++i)
                Sleep(20);
            EXPECT_EQ(controlText(dialog, 30001), arg(1));
        } else if (c == "wait") {
            Sleep(std::stoul(arg(1)));
        } else if (c == "cancel-random") { // <ms> [dialog...]: by the button or the close box, in the dialog
            // open then; run n first waits for the n-th of the dialogs named (the first: half the time at
            // most), so that every one of them takes a cancel (checked after the last run).
            const std::string in = a.size() > 2 ? a[2 + (number - 1) % (a.size() - 2)] : "";
            if (in.size() && in != a[2]) {
                EXPECT_TRUE(awaitDialog(kDialogs.at(in))) << in;
            }
            const DWORD most = std::stoul(arg(1)) / (in.size() && in == a[2] ? 2 : 1);
            const DWORD delay = std::uniform_int_distribution<DWORD>(0, most)(random);
            const bool byButton = random() % 2;
            std::string caption;
            Sleep(delay);
            HWND open = run.waitDialog(nullptr, 5000, &caption);
            printf("  cancel after %lu ms by the %s in %s\n", delay, byButton ? "button" : "close box",
                   caption.c_str());
            startsBeforeCancel = run.processes().TotalProcesses;
            measured.cancelledIn.insert(caption);
            for (size_t i = 2; i < a.size() && number == runs; ++i) { // the last run: each took a cancel
                EXPECT_TRUE(measured.cancelledIn.count(kDialogs.at(a[i]))) << "no cancel in " << a[i];
            }
            byButton ? (void)clickButton(open, 10001) : pressCloseBox(open);
        } else if (c == "searched") { // `make bench`: how long the search took, from the last press
            EXPECT_TRUE(run.waitGone(run.waitDialog(kDialogs.at("searching").c_str()), 600000));
            printf("bench: the search took %lu ms\n", GetTickCount() - lastAction);
        } else if (c == "closing") {
            closing(run, a);
        } else if (c == "another") { // a second copy while this one runs, which must end at once
            InstallerRun second;
            const bool quiet = arg(1) == "/quiet"; // then without a window, and 1618
            EXPECT_TRUE(second.start(hostPathFromEnv(set["installer"].c_str()), set["start-in"], env,
                                     quiet ? arg(1) : ""));
            if (quiet)
                expectQuietEnd(second, {1618});
            else
                closing(second, a), closed = false;
        } else if (c == "again") { // once more, with these arguments, on the machine as the last run left it
            arguments(a, 1);
            closed = !launch(), dialog = nullptr;
        } else if (c == "uninstall") { // the removal as Windows starts it: its registered command
            char command[1024] = "";
            DWORD size = sizeof command;
            RegGetValueA(HKEY_LOCAL_MACHINE, kUninstall.c_str(), "UninstallString", RRF_RT_REG_SZ, 0, command,
                         &size);
            const std::string line = command, exe = line.substr(1, line.find('"', 1) - 1);
            set["removal"] = "yes", ++launches;
            closed = !run.start(exe, set["start-in"], env, line.substr(exe.size() + 2));
        } else if (c == "hold") { // a running program holds the file now (a VM its DLL): others may read it
            held.push_back(CreateFileA(arg(1).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       0, nullptr));
            EXPECT_NE(held.back(), INVALID_HANDLE_VALUE) << arg(1);
        } else if (c == "gone") { // a folder deleted, with all in it
            walkTree(arg(1), [&](const std::string &path, DWORD) { expect(path, "<none>"); });
            removeTree(arg(1)), expect(arg(1), "<none>");
        } else if (c == "exits") { // a quiet run: no window, this exit code
            expectQuietEnd(run, {std::stoul(arg(1))});
            if (set["args"].find("/remove") != std::string::npos)
                forgetInstallation();
            else if (arg(1) == "0" || arg(1) == "3010") // installed, as after "Installation Completed"
                step({"installed"});
            closed = true;
        } else {
            ADD_FAILURE() << "not known, or not in its place: " << c;
        }
        lastAction = GetTickCount();
    }
    return !::testing::Test::HasFailure();
}

// The dialog with this caption, or the closing message (caption in *seen) first: null then, unless caption is
// "".
HWND Play::awaitDialog(const std::string &caption, std::string *seen, DWORD pid) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 15000; Sleep(20))
        for (const auto &d : processDialogs(pid ? pid : run.pi.dwProcessId))
            if (d.second == caption || GetDlgItem(d.first, 0xFFFF))
                return (seen ? *seen = d.second : d.second),
                       d.second == caption || caption.empty() ? d.first : nullptr;
    return nullptr;
}

// closing <kind> [file...] [left vm...] [unproven vm...]: the message, at once after a cancel; OK; exit code
// 0. "any": whichever it is.
void Play::closing(InstallerRun &shown, const Args &a) {
    std::string caption, kind = a.at(1);
    HWND box = awaitDialog("", &caption, shown.pi.dwProcessId);
    ASSERT_TRUE(box) << "no closing message; " << shown.running();
    for (const auto &closing : kClosings)
        kind = kind == "any" && closing.second[0] == caption ? closing.first : kind;
    const Args &want = kClosings.at(kind);
    std::string text = want[1];
    for (size_t i = 2; i < a.size(); ++i)
        text += a[i] == "left"       ? "\nThese Java VMs were left as they were:"
                : a[i] == "unproven" ? "\nThese Java VMs do not see the bridge:"
                                     : (i > 2 ? "\n" : want.at(3) + "\n") + a[i];
    const DWORD took = GetTickCount() - lastAction;
    EXPECT_TRUE(kind != "canceled" || took < 3000) << "the cancellation took " << took << " ms";
    EXPECT_EQ(caption, want[0]);
    const std::string shownText = controlText(box, 0xFFFF);
    EXPECT_EQ(shownText.substr(0, a[1] == "any" ? text.size() : std::string::npos), text);
    if (kind.rfind("incomplete", 0) == 0) // what its lists name, held against the machine in finish()
        for (size_t at = shownText.find('\n'), end; at != std::string::npos; at = end) {
            end = shownText.find('\n', at + 1);
            const std::string line = shownText.substr(at + 1, end == std::string::npos ? end : end - at - 1);
            if (line.find(':') == 1) // a path, not a heading
                listed[lower(line)] = shownText.find("see the bridge:") < at      ? "unproven"
                                      : shownText.find("left as they were:") < at ? "left"
                                                                                  : "not written";
        }
    if (kind.compare(0, 4, "done") == 0)
        step({"dlls"}), step({"installed"});
    if (kind.compare(0, 7, "removed") == 0)
        forgetInstallation();
    Sleep(std::stoul(set["linger"])); // late VM starts show
    clickButton(box, IDOK);
    DWORD code = 1234;
    EXPECT_TRUE(shown.waitExit(10000, code) && code == std::stoul(want[2])) << "exit code " << code;
    closed = true, closedAs = kind;
}

void Play::finish() {
    if (!started)
        start();
    // A run that was to fail an allocation failed that one, and run 1 counted them.
    std::string count;
    long allocations = 0, failed = -1;
    if (set.count("failing") && readFile(kCount, count))
        sscanf(count.c_str(), "%ld %ld", &allocations, &failed);
    EXPECT_EQ(std::to_string(failed), set.count("failing") ? set["failing"] : "-1")
        << "the allocation failed";
    measured.allocations = number == 1 ? allocations : measured.allocations;
    EXPECT_TRUE(closed) << "the scenario ends before the closing message";
    std::for_each(held.begin(), held.end(), CloseHandle);
    const DWORD total = run.processes().TotalProcesses;
    EXPECT_EQ(run.endAll(), 0) << "VM processes still run at the end";
    // Every file and value is as before, unless the scenario names what it now holds.
    Picture after = takePicture(), keys = before;
    keys.insert(after.begin(), after.end());
    keys.insert(expected.begin(), expected.end());
    bool unchanged = true, written = true; // the machine as before; as the scenario names it
    for (const auto &k : keys) {
        if (set.count("installed") && !k.first.rfind(kOwn + "\\", 0) &&
            k.first.find(".bak", kOwn.size()) == k.first.size() - 4)
            continue; // a version that the record keeps, which its removal puts back
        const std::string was = before.count(k.first) ? before[k.first] : "<none>";
        const std::string now = after.count(k.first) ? after[k.first] : "<none>";
        const bool named = expected.count(k.first) && !(set.count("either") && now == was);
        const std::string want = named ? expected[k.first] : was; // "<any>": there, whatever it holds
        EXPECT_EQ(now, want == "<any>" && now != "<none>" ? now : want) << k.first;
        unchanged = unchanged && now == was;
        const std::string whole = expected.count(k.first) ? expected[k.first] : was;
        written = written && (now == whole || (whole == "<any>" && now != "<none>"));
    }
    const std::string truth = written && !unchanged ? "done"
                              : unchanged           ? "canceled"
                                                    : "incomplete"; // what "either" must say
    EXPECT_TRUE(!set.count("either") || set.count("removal") || closedAs == truth)
        << "closing " << closedAs << ", the machine " << truth;
    EXPECT_EQ(brokenParts(after, before, expected, set.count("nine-x")), "");
    for (const auto &[path, as] : listed) // what the closing message names is as it was
        for (const auto &k : keys) {
            if (as == "left" ? !k.first.rfind(folderOf(path) + "\\", 0) &&
                                   (endsWith(k.first, "\\awt.properties") ||
                                    endsWith(k.first, "\\accessibility.properties"))
                             : k.first == path) {
                EXPECT_EQ(after.count(k.first) ? after[k.first] : "<none>",
                          before.count(k.first) ? before[k.first] : "<none>")
                    << k.first << ", which the closing message names as " << as;
            }
        }
    // Every VM ran the tester from the start-up folder, without CLASSPATH, by its attempt's command line.
    std::ifstream log(kLog);
    Args vms;
    for (std::string record; std::getline(log, record);) {
        Args f(1);
        for (char ch : record)
            ch == '|' ? (void)f.emplace_back() : f.back().push_back(ch);
        ASSERT_EQ(f.size(), 6u) << record;
        const bool javaw = lower(f[0]).find("\\javaw.exe") != std::string::npos;
        const bool proof = endsWith(f[1], " OstrelTester proof"); // its class path: see standin_vm.cpp
        if (!proof) {
            EXPECT_EQ(f[1], javaw ? "javaw.exe OstrelTester" : "jrew.exe -cp . OstrelTester") << f[0];
        }
        EXPECT_EQ(lower(f[2]) + (proof ? "" : f[3]) + f[4],
                  lower(set["start-in"]) + (proof ? "" : "CLASSPATH=unset") + "tester=yes")
            << f[0];
        vms.push_back(lower(f[0]) + (proof ? " proof" : ""));
    }
    EXPECT_EQ(starts.empty() ? starts : vms, starts);
    // After a cancel only the VM that may start before it takes effect, logged or not; every start seen.
    EXPECT_LE(startsBeforeCancel ? total - startsBeforeCancel : 0, 1u) << "VMs started after the cancel";
    EXPECT_GE(total, launches + vms.size());
    const std::string broadcasts = std::to_string(g_broadcasts - broadcastsBefore); // environment announced
    EXPECT_EQ(set.count("broadcasts") ? broadcasts : "", set.count("broadcasts") ? set["broadcasts"] : "");
}

class Scenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(Scenarios, Run) {
    const char *seedText = getenv("OSTREL_FAULT_SEED"), *only = getenv("OSTREL_FAULT_RUN");
    static const HANDLE listener [[maybe_unused]] =
        CreateThread(nullptr, 0, countBroadcasts, nullptr, 0, nullptr);
    static const std::uint32_t seed = seedText ? std::strtoul(seedText, nullptr, 10) : std::random_device()();
    Measured measured;
    bool every = false;
    int runs = 1; // repeat <runs> <variable that may name other runs, or "all": one for each allocation>
    for (const auto &line : GetParam().second)
        if (const char *v = getenv(line.second.back().c_str()); line.second[0] == "repeat") {
            const std::string text = v ? v : line.second[1];
            runs = text == "all" ? -1 : atoi(text.c_str());
            every = runs < 0;
            ASSERT_TRUE(runs < 0 || (runs > 0 && std::to_string(runs) == text)) << "runs: " << text;
        }
    for (int n = 1; (runs < 0 || n <= runs) && !HasFailure(); ++n) {
        long most = measured.allocations; // all: a run for each allocation or change, after run 1
        for (const auto &line : measured.changes)
            most = std::max(most, line.second);
        runs = runs < 0 && n == 2 ? most + 1 : runs;
        if (runs > 1 && only && atoi(only) != n && n != 1) // run 1 may measure what later runs need
            continue;
        if (runs > 1)
            printf("run %d of %d: OSTREL_FAULT_SEED=%u OSTREL_FAULT_RUN=%d replays it\n", n, runs, seed, n);
        cleanMachine();
        Play play(measured);
        play.random.seed(seed + n), play.number = n, play.runs = runs, play.every = every;
        for (const auto &line : GetParam().second) {
            SCOPED_TRACE("scenarios.txt:" + std::to_string(line.first));
            play.line = line.first;
            if (line.second[0] != "repeat" && !play.step(line.second))
                break;
        }
        play.finish();
    }
    cleanMachine();
}

INSTANTIATE_TEST_SUITE_P(, Scenarios, ::testing::ValuesIn(loadScenarios()),
                         [](const ::testing::TestParamInfo<Scenario> &info) { return info.param.first; });
} // namespace
