// Runs the scenarios of scenarios.txt (tests/README.md tells their commands): each lays out a machine,
// starts the real installer.exe, works its dialogs as a user would, and checks the closing message and
// the machine afterwards. Every run is also held to what always holds: one closing message, then exit
// code 0; every VM started by the tester's protocol; nothing changed that the scenario does not name; no
// process of the run left running.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "driver.h"

namespace {
using Args = std::vector<std::string>;
using Scenario = std::pair<std::string, std::vector<std::pair<int, Args>>>; // name; line numbers and words

const char *const kRoots[] = {"C:\\t", "D:", "E:", "F:", "G:"}; // where scenarios lay out and change files
const std::string kLog = "C:\\starts.log", kSys = "C:\\windows\\system32";
const std::string kEnvKey = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
const Args kSingleFiles = {"C:\\autoexec.bat", kSys + "\\JavaOstrel.dll", kSys + "\\WindowsOstrel.dll",
                           kSys + "\\JAWTOstrel.dll"};
const std::string kQueueLine = "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\r\n";
const std::string kAssistLine = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\r\n";
const std::string kSuccess = "Installation of the Java Ostrel was successful.";
const std::map<std::string, std::string> kDialogs = {{"verifying", "Checking Java VMs for compatibility"},
                                                     {"searching", "Searching for Java VMs"},
                                                     {"list", "Available Java virtual machines"},
                                                     {"no-vms", "No Java VMs found"},
                                                     {"drives", "Drives to search on"}};
const std::map<std::string, Args> kClosings = {
    {"canceled", {"Installation Canceled", "Installation of the Java Ostrel was canceled."}},
    {"done", {"Installation Completed", kSuccess}},
    {"done-restart", {"Installation Completed.  You must reboot your system.", kSuccess}},
    {"incomplete", {"Installation Incomplete"}},
    {"incomplete-restart", {"Installation Incomplete.  You must reboot your system."}}};
const std::map<std::string, DWORD> kTypes = {
    {"sz", REG_SZ}, {"expand", REG_EXPAND_SZ}, {"dword", REG_DWORD}, {"binary", REG_BINARY}};
const std::map<std::string, int> kButtons = {
    {"cancel", 10001}, {"install", 10002}, {"all", 10003}, {"search", 10004}};

std::string lower(std::string s) {
    for (char &c : s)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return s;
}

// A folder under C:\t whose path has exactly n characters, in components of at most 60.
std::string longFolder(size_t n) {
    std::string path = "c:\\t";
    for (size_t left; (left = n - path.size() - 1) < n;)
        path += "\\" + std::string(left <= 60 ? left : std::min<size_t>(60, left - 2), 'x');
    return path;
}

// Words, or "quoted texts" that may hold blanks, in which ^n is CR LF, ^hh the byte hh, {eq} and {at} the
// bridge's awt.properties lines, and {long:N} the folder of N characters.
Args words(const std::string &line) {
    Args args;
    for (size_t i = 0, end; (i = line.find_first_not_of(" \r", i)) != std::string::npos; i = end + 1) {
        const bool quoted = line[i] == '"';
        end = std::min(line.find(quoted ? '"' : ' ', i + 1), line.find_last_not_of('\r') + 1);
        args.emplace_back();
        for (size_t k = i + quoted; k < end; ++k)
            if (line.compare(k, 2, "^n") == 0)
                args.back() += "\r\n", ++k;
            else if (line[k] == '^')
                args.back() += static_cast<char>(std::stoi(line.substr(k + 1, 2), nullptr, 16)), k += 2;
            else if (line.compare(k, 4, "{eq}") == 0 || line.compare(k, 4, "{at}") == 0)
                args.back() += line[k + 1] == 'e' ? kQueueLine : kAssistLine, k += 3;
            else if (line.compare(k, 6, "{long:") == 0)
                args.back() += longFolder(std::stoul(line.substr(k + 6))), k = line.find('}', k);
            else
                args.back() += line[k];
    }
    return args;
}

std::vector<Scenario> loadScenarios() {
    std::vector<Scenario> all;
    std::ifstream in(hostPathFromEnv("OSTREL_SCENARIOS"));
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const Args args = line[0] == '#' ? Args() : words(line);
        if (!args.empty() && args[0] == "scenario")
            all.emplace_back(args.at(1), std::vector<std::pair<int, Args>>());
        else if (!args.empty())
            all.back().second.emplace_back(number, args);
    }
    return all;
}

// The files under the roots and the single files (a folder as "<dir>", "+ro" when read-only), and CLASSPATH.
using Picture = std::map<std::string, std::string>;
void pictureTree(const std::string &dir, Picture &picture) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &fd)) {
        const std::string path = dir + "\\" + fd.cFileName, name = lower(fd.cFileName);
        const bool folder = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        std::string content = "<dir>";
        if (name == "." || name == ".." || name == "standin.cfg" || (!folder && !readFile(path, content)))
            continue;
        picture[lower(path)] = content + (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY ? "+ro" : "");
        if (folder && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            pictureTree(path, picture);
    }
    FindClose(find);
}

Picture takePicture() {
    Picture picture;
    for (const char *root : kRoots)
        pictureTree(root, picture);
    for (const std::string &file : kSingleFiles)
        if (!readFile(file, picture[lower(file)]))
            picture.erase(lower(file));
    char data[65536];
    DWORD type = 0, size = sizeof data;
    if (!RegGetValueA(HKEY_LOCAL_MACHINE, kEnvKey.c_str(), "CLASSPATH", RRF_RT_ANY | RRF_NOEXPAND, &type,
                      data, &size))
        picture["classpath"] = std::to_string(type) + ":" + std::string(data, size);
    return picture;
}

void cleanMachine() {
    for (const char *root : kRoots)
        removeTree(root, root[2] != '\0'); // a drive's root stays
    for (const std::string &file : kSingleFiles)
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL), DeleteFileA(file.c_str());
    DeleteFileA(kLog.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Pellior");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kEnvKey.c_str(), "CLASSPATH");
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version");
}

// The allocations that the last run of the test build made, when it said (see test_build.cpp).
long g_allocations = 0;

// Environment-change broadcasts, counted by a window of this process on a thread of its own.
LONG g_broadcasts = 0;
LRESULT CALLBACK countBroadcasts(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETTINGCHANGE && lp && !strcmp(reinterpret_cast<const char *>(lp), "Environment"))
        InterlockedIncrement(&g_broadcasts);
    return DefWindowProcA(w, msg, wp, lp);
}
DWORD WINAPI listenForBroadcasts(void *) {
    WNDCLASSA wc = {};
    wc.lpszClassName = "broadcasts";
    wc.lpfnWndProc = countBroadcasts;
    RegisterClassA(&wc);
    CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

// One run of a scenario: the machine, the installer, the user, and what is checked at the end.
struct Play {
    std::mt19937 random;
    InstallerRun run;
    bool started = false, closed = false, payload = true, readOnlyPayload = false, either = false;
    std::string installer = "OSTREL_INSTALLER";
    int runNumber = 1, runs = 1;
    HWND dialog = nullptr;
    std::string startDir = "C:\\t\\setup", path, args, vmsOnPath; // PATH unless the scenario gives it
    std::vector<std::pair<std::string, std::string>> env;
    Args holds; // files another program keeps open for the run: "path", or "path delete"
    std::vector<HANDLE> held;
    Picture before, expected; // what a path or "classpath" holds at the end; "<none>": nothing
    Args starts;
    int leftovers = 0, broadcasts = -1;
    LONG broadcastsBefore = 0;
    DWORD lastAction = 0, cancelTick = 0, linger = 0;

    void release() {
        std::for_each(held.begin(), held.end(), CloseHandle);
        held.clear();
    }
    bool perform(Args a);
    void start();
    void closing(const Args &a);
    void expectDlls() {
        for (const char *dll : {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
            expected[lower(kSys + "\\" + dll)] = std::string("payload:") + dll;
    }
    HWND awaitDialog(const std::string &caption);
    void finish();
};

bool Play::perform(Args a) {
    const std::string c = a[0];
    auto arg = [&](size_t i) { return a.at(i); };
    auto expect = [&](const std::string &path, const std::string &content) {
        expected[lower(path)] = content;
    };
    auto list = [&] { return GetDlgItem(dialog, 50001) ? 50001 : 40001; }; // drives, or VMs
    const std::map<std::string, std::function<void()>> machine = {
        // before the installer starts
        {"nine-x",
         [&] { RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version", REG_SZ, "win98", 6); }},
        {"vm",
         [&] { // vm <home> <answer, or name=answer/...> [folder, or file=content, below the home...]
             Args config, names;
             for (size_t at = 0, end = 0; end != std::string::npos; at = end + 1)
                 config.push_back(arg(2).substr(at, (end = arg(2).find('/', at)) - at));
             for (const std::string &line : config)
                 names.push_back(line.substr(0, line.find('=')));
             if (config[0].find('=') == std::string::npos) // one answer for both launchers
                 config = {"*=" + config[0]}, names = {"java.exe", "javaw.exe"};
             EXPECT_TRUE(placeStandin(arg(1) + "\\bin", names, config));
             if (lower(arg(1)).compare(0, 5, "c:\\t\\") == 0)
                 vmsOnPath += (vmsOnPath.empty() ? "" : ";") + arg(1) + "\\bin";
             for (size_t i = 3, eq; i < a.size(); ++i)
                 (eq = a[i].find('=')) == std::string::npos
                     ? makeDirs(a[1] + "\\" + a[i])
                     : writeFile(a[1] + "\\" + a[i].substr(0, eq), a[i].substr(eq + 1));
         }},
        {"file", [&] { EXPECT_TRUE(writeFile(arg(1), arg(2))); }},
        {"folder", [&] { EXPECT_TRUE(makeDirs(arg(1))); }},
        {"readonly", [&] { SetFileAttributesA(arg(1).c_str(), FILE_ATTRIBUTE_READONLY); }},
        {"hold",
         [&] { holds.push_back(arg(1) + (a.size() > 2 ? "|" + arg(2) : "")); }}, // sharing nothing, or delete
        {"path",
         [&] { // PATH, its pieces joined by ";"
             for (size_t i = 1; i < a.size(); ++i)
                 path += (i > 1 ? ";" : "") + a[i];
         }},
        {"reg",
         [&] { // reg <key under HKEY_LOCAL_MACHINE, or env> <name> <sz|expand|dword|binary> <text>
             const DWORD number = arg(3) == "dword" ? std::stoul(arg(4)) : 0;
             const std::string data =
                 number ? std::string(reinterpret_cast<const char *>(&number), 4) : arg(4) + '\0';
             EXPECT_TRUE(setMachineValue(arg(1) == "env" ? kEnvKey : arg(1), arg(2).c_str(),
                                         kTypes.at(arg(3)), data));
         }},
        {"env", [&] { env.emplace_back(arg(1), arg(2)); }},
        {"start-in", [&] { startDir = arg(1); }},
        {"no-payload", [&] { payload = false; }},
        {"readonly-payload", [&] { readOnlyPayload = true; }},        // as from a CD
        {"test-build", [&] { installer = "OSTREL_INSTALLER_TEST"; }}, // see test_build.cpp
        {"fail-allocation",
         [&] { // run 1 counts the allocations; each later one fails one, spread over all
             const long total = g_allocations;
             const long k = runNumber < 2 ? 0 : 1 + (runNumber - 2L) * (total - 1) / std::max(1, runs - 2);
             printf("  the allocation numbered %ld of %ld fails\n", k, total);
             env.emplace_back("OSTREL_FAIL_ALLOCATION", std::to_string(k));
             env.emplace_back("OSTREL_ALLOCATIONS", "C:\\allocations.txt");
         }},
        {"args", [&] { args = arg(1); }},
    };
    const std::map<std::string, std::function<void()>> afterwards = {
        {"holds", [&] { expect(arg(1), arg(2)); }},
        {"gone", [&] { expect(arg(1), "<none>"); }},
        {"vm-files",
         [&] { // vm-files <library folder> <extension folder> <the payload's tamrix jar>
             expect(arg(1) + "\\accessibility.properties", "payload:accessibility.properties");
             expect(arg(2) + "\\tamrix.jar", "payload:" + arg(3));
             expect(arg(2) + "\\ostrel.jar", "payload:ostrel.jar");
         }},
        {"jars11",
         [&] {
             expect(arg(1) + "\\tamrix.jar", "payload:tamrix-1_1.jar");
             expect(arg(1) + "\\ostrel.jar", "payload:ostrel.jar");
         }},
        {"dlls", [&] { expectDlls(); }}, // implied by a closing message of success
        {"classpath",
         [&] { expected["classpath"] = std::to_string(kTypes.at(arg(1))) + ":" + arg(2) + '\0'; }},
        {"started", [&] { std::transform(a.begin() + 1, a.end(), std::back_inserter(starts), lower); }},
        {"leftovers", [&] { leftovers = arg(1) == "any" ? -1 : std::stoi(arg(1)); }}, // VMs still running
        {"broadcasts", [&] { broadcasts = std::stoi(arg(1)); }},
        {"linger", [&] { linger = std::stoul(arg(1)); }}, // the closing message waits: late VM starts show
        {"either", [&] { either = true; }}, // each named thing may also be as before: written whole or not
    };
    const std::map<std::string, std::function<void()>> user = {
        {"items", [&] { EXPECT_EQ(listItems(dialog, list()), Args(a.begin() + 1, a.end())); }},
        {"select",
         [&] {
             const Args items = listItems(dialog, list());
             for (size_t i = 1; i < a.size(); ++i, Sleep(50)) {
                 const auto at = std::find(items.begin(), items.end(), a[i]);
                 ASSERT_NE(at, items.end()) << a[i];
                 toggleListItem(dialog, list(), static_cast<int>(at - items.begin()));
             }
         }},
        {"press",
         [&] { ASSERT_TRUE(clickButton(dialog, kButtons.at(arg(1)))) << "cannot press " << arg(1); }},
        {"press-if", [&] { clickButton(dialog, kButtons.at(arg(1))); }},
        {"enabled", [&] { EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kButtons.at(arg(1))))) << arg(1); }},
        {"disabled",
         [&] { EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kButtons.at(arg(1))))) << arg(1); }},
        {"close", [&] { pressCloseBox(dialog); }},
        {"escape",
         [&] { // the dialog manager makes it IDCANCEL, which must change nothing
             typeKey(dialog, VK_ESCAPE);
             Sleep(300);
             EXPECT_TRUE(IsWindowVisible(dialog)) << "Escape closed the dialog";
         }},
        {"keys",
         [&] { // keys <tab|space|down|enter>...
             const std::map<std::string, UINT> keys = {
                 {"tab", VK_TAB}, {"space", VK_SPACE}, {"down", VK_DOWN}};
             for (size_t i = 1; i < a.size(); ++i, Sleep(60))
                 typeKey(dialog, keys.count(a[i]) ? keys.at(a[i]) : VK_RETURN);
         }},
        {"status",
         [&] { // the progress dialog shows this text, in time
             for (int i = 0; i < 750 && controlText(dialog, 30001) != arg(1); ++i)
                 Sleep(20);
             EXPECT_EQ(controlText(dialog, 30001), arg(1));
         }},
        {"wait", [&] { Sleep(std::stoul(arg(1))); }},
        {"cancel-random",
         [&] { // cancel-random <max ms>: by the button or the close box, in the dialog open then
             const DWORD delay = std::uniform_int_distribution<DWORD>(0, std::stoul(arg(1)))(random);
             const bool byButton = random() % 2;
             std::string caption;
             Sleep(delay);
             HWND open = run.waitDialog(nullptr, 5000, &caption);
             printf("  cancel after %lu ms by the %s in %s\n", delay, byButton ? "button" : "close box",
                    caption.c_str());
             open &&byButton ? (void)clickButton(open, 10001) : pressCloseBox(open);
             cancelTick = GetTickCount();
         }},
        {"searched",
         [&] { // how long the search took, from the last press
             ASSERT_TRUE(run.waitGone(run.waitDialog(kDialogs.at("searching").c_str()), 600000));
             printf("bench: the search took %lu ms\n", GetTickCount() - lastAction);
         }},
        {"closing", [&] { closing(a); }},
        {"again",
         [&] { // the installer once more, on the machine as the last run left it
             EXPECT_TRUE(run.start(hostPathFromEnv(installer.c_str()), startDir, env, args));
             closed = false;
         }},
    };
    if (machine.count(c) && !started) {
        machine.at(c)();
    } else if (afterwards.count(c)) {
        afterwards.at(c)();
    } else if (user.count(c) && (!closed || c == "again")) {
        if (!started)
            start();
        if (a.size() > 1 && kDialogs.count(a[1])) { // the dialog to wait for first
            dialog = awaitDialog(kDialogs.at(a[1]));
            a.erase(a.begin() + 1);
        }
        if (c == "press-if" && !dialog)
            return true;
        EXPECT_TRUE(dialog || c == "closing" || c == "cancel-random" || c == "wait") << "no dialog for " << c;
        user.at(c)();
        lastAction = GetTickCount();
    } else {
        ADD_FAILURE() << "not known, or not in its place: " << c;
    }
    return !::testing::Test::HasFailure();
}

// The dialog with this caption once it shows; null when the closing message comes first (so that
// "press-if <dialog> <button>" can give up), or after 15 s.
HWND Play::awaitDialog(const std::string &caption) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 15000; Sleep(20))
        for (const auto &d : processDialogs(run.pi.dwProcessId))
            if (d.second == caption || GetDlgItem(d.first, 0xFFFF))
                return d.second == caption ? d.first : nullptr;
    return nullptr;
}

void Play::start() {
    started = true;
    makeDirs(startDir);
    for (const char *name : {"accessibility.properties", "tamrix-1_1.jar", "tamrix-1_2.jar", "tamrix-1_4.jar",
                             "ostrel.jar", "JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
        if (payload && writeFile(startDir + "\\installerFiles\\" + name, std::string("payload:") + name) &&
            readOnlyPayload)
            SetFileAttributesA((startDir + "\\installerFiles\\" + name).c_str(), FILE_ATTRIBUTE_READONLY);
    CopyFileA(hostPathFromEnv("OSTREL_TESTER_CLASS").c_str(), (startDir + "\\OstrelTester.class").c_str(),
              FALSE);
    before = takePicture();
    for (const std::string &h : holds)
        held.push_back(CreateFileA(h.substr(0, h.find('|')).c_str(), GENERIC_READ,
                                   h.find('|') == std::string::npos ? 0 : FILE_SHARE_DELETE, 0, OPEN_EXISTING,
                                   0, 0));
    broadcastsBefore = g_broadcasts;
    env.emplace_back("PATH", path.empty() ? vmsOnPath : path);
    env.emplace_back("OSTREL_STANDIN_LOG", kLog);
    lastAction = GetTickCount();
    EXPECT_TRUE(run.start(hostPathFromEnv(installer.c_str()), startDir, env, args)) << "no installer";
}

// closing <kind> [line...]: the closing message, at once after a cancel; OK; then exit code 0. "any" takes
// whichever it is, and of an incomplete installation only its first sentence.
void Play::closing(const Args &a) {
    HWND box = nullptr;
    std::string caption, kind = a.at(1);
    for (const DWORD start = GetTickCount(); !box && GetTickCount() - start < 15000; Sleep(20))
        for (const auto &d : processDialogs(run.pi.dwProcessId))
            box = GetDlgItem(d.first, 0xFFFF) ? (caption = d.second, d.first) : box;
    ASSERT_TRUE(box) << "no closing message";
    for (const auto &closing : kClosings)
        kind = kind == "any" && closing.second[0] == caption ? closing.first : kind;
    const Args &want = kClosings.at(kind);
    std::string text = want.size() > 1 ? want[1] : "Installation of the Java Ostrel was not completed.";
    for (size_t i = 2; i < a.size(); ++i)
        text += (i == 2 ? " These files could not be written:\n" : "\n") + a[i];
    const DWORD took = GetTickCount() - lastAction;
    EXPECT_TRUE(kind != "canceled" || took < 3000) << "the cancellation took " << took << " ms";
    EXPECT_EQ(caption, want[0]);
    if (kind == "done" || kind == "done-restart")
        expectDlls();
    EXPECT_EQ(controlText(box, 0xFFFF).substr(0, a[1] == "any" ? text.size() : std::string::npos), text);
    Sleep(linger);
    clickButton(box, IDOK);
    DWORD code = 1234;
    EXPECT_TRUE(run.waitExit(10000, code)) << "the installer runs on after its closing message";
    EXPECT_EQ(code, 0u);
    closed = true;
}

void Play::finish() {
    if (!started)
        start();
    std::string count;
    if (runNumber == 1 && readFile("C:\\allocations.txt", count) && DeleteFileA("C:\\allocations.txt"))
        g_allocations = std::stol(count);
    EXPECT_TRUE(closed) << "the scenario ends before the closing message";
    release();
    const int running = run.endAll();
    EXPECT_TRUE(running == leftovers || leftovers < 0) << running << " VM processes still run at the end";
    Sleep(broadcasts < 0 ? 0 : 200);
    EXPECT_TRUE(broadcasts < 0 || g_broadcasts - broadcastsBefore == broadcasts) << "environment broadcasts";
    // Every file and value is as before, unless the scenario names what it now holds.
    Picture after = takePicture(), keys = before;
    keys.insert(after.begin(), after.end());
    keys.insert(expected.begin(), expected.end());
    for (const auto &k : keys) {
        const bool named = expected.count(k.first);
        const std::string was = before.count(k.first) ? before[k.first] : "<none>";
        const std::string now = after.count(k.first) ? after[k.first] : "<none>";
        EXPECT_EQ(now, named && !(either && now == was) ? expected[k.first] : was)
            << (named ? "" : "changed: ") << k.first;
    }
    // Every VM ran the tester from the start-up folder that holds it, without a CLASSPATH, by the launcher
    // and the command line of its attempt, and none started once a cancel had taken effect.
    std::string log;
    readFile(kLog, log);
    Args vms;
    for (size_t pos = 0, end; (end = log.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
        Args f(1);
        for (char ch : log.substr(pos, end - pos))
            ch == '|' ? (void)f.emplace_back() : f.back().push_back(ch);
        ASSERT_EQ(f.size(), 6u);
        const bool javaw = lower(f[0]).find("\\javaw.exe") != std::string::npos;
        EXPECT_EQ(f[1], javaw ? "javaw.exe OstrelTester" : "jrew.exe -cp . OstrelTester") << f[0];
        EXPECT_EQ(lower(f[2]) + "|" + f[3] + "|" + f[4], lower(startDir) + "|CLASSPATH=unset|tester=yes")
            << f[0];
        EXPECT_TRUE(!cancelTick || long(std::stoul(f[5]) - cancelTick) < 200)
            << "started after the cancel: " << f[0];
        vms.push_back(lower(f[0]));
    }
    EXPECT_EQ(starts.empty() ? starts : vms, starts);
}

class Scenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(Scenarios, Run) {
    static const HANDLE listener = CreateThread(nullptr, 0, listenForBroadcasts, nullptr, 0, nullptr);
    const char *seedText = getenv("OSTREL_FAULT_SEED"), *only = getenv("OSTREL_FAULT_RUN");
    static const std::uint32_t seed = seedText ? std::strtoul(seedText, nullptr, 10) : std::random_device()();
    int runs = 1;
    for (const auto &line : GetParam().second) {
        if (line.second[0] != "repeat")
            continue;
        if (const char *wanted = getenv(line.second.back().c_str())) // repeat <runs> <variable naming runs>
            runs = std::string(wanted) == "all" ? -1 : atoi(wanted);
        else
            runs = std::stoi(line.second.at(1));
    }
    for (int n = 1; (runs < 0 || n <= runs) && !HasFailure() && listener; ++n) {
        runs = runs < 0 && n == 2 ? g_allocations + 1 : runs; // "all": a run for each allocation of run 1
        if (runs > 1 && only && atoi(only) != n && n != 1)    // run 1 may measure what later runs need
            continue;
        if (runs > 1)
            printf("run %d of %d: OSTREL_FAULT_SEED=%u OSTREL_FAULT_RUN=%d replays it\n", n, runs, seed, n);
        cleanMachine();
        Play play;
        play.random.seed(seed + n);
        play.runNumber = n, play.runs = runs;
        for (const auto &line : GetParam().second) {
            SCOPED_TRACE("scenarios.txt:" + std::to_string(line.first));
            if (line.second[0] != "repeat" && !play.perform(line.second))
                break;
        }
        play.finish();
    }
    cleanMachine();
}

INSTANTIATE_TEST_SUITE_P(, Scenarios, ::testing::ValuesIn(loadScenarios()),
                         [](const ::testing::TestParamInfo<Scenario> &info) { return info.param.first; });
} // namespace
