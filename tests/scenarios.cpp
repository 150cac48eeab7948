// Runs the scenarios of scenarios.txt: each lays out a machine, starts the real installer.exe, works its
// dialogs as a user would, and checks the closing message and what the machine holds afterwards. Every
// run is also held to what always holds: one closing message, then exit code 0; every VM started by the
// tester's protocol; nothing changed that the scenario does not name; no process left running.
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
struct Scenario {
    std::string name;
    std::vector<std::pair<int, Args>> lines; // line number, command and arguments
};
void PrintTo(const Scenario &s, std::ostream *out) {
    *out << s.name;
}

const char *const kRoots[] = {"C:\\t", "D:", "E:", "F:", "G:"}; // where scenarios lay out and change files
const std::string kLog = "C:\\starts.log", kSys = "C:\\windows\\system32";
const std::string kEnvKey = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
const std::string kQueueLine = "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\r\n";
const std::string kAssistLine = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\r\n";
const std::string kSuccess = "Installation of the Java Ostrel was successful.";
const std::map<std::string, std::string> kCaptions = {{"verifying", "Checking Java VMs for compatibility"},
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
const std::map<std::string, int> kButtons = {
    {"cancel", 10001}, {"install", 10002}, {"all", 10003}, {"search", 10004}};
const std::map<std::string, UINT> kKeys = {{"tab", VK_TAB}, {"space", VK_SPACE}, {"enter", VK_RETURN}};

std::string lower(std::string s) {
    for (char &c : s)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return s;
}

// "^n" is CR LF, "^hh" the byte hh; {eq} and {at} are the bridge's awt.properties lines.
std::string expand(const std::string &t) {
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t.compare(i, 2, "^n") == 0)
            out += "\r\n", ++i;
        else if (t[i] == '^')
            out += static_cast<char>(std::stoi(t.substr(i + 1, 2), nullptr, 16)), i += 2;
        else if (t.compare(i, 4, "{eq}") == 0 || t.compare(i, 4, "{at}") == 0)
            out += t[i + 1] == 'e' ? kQueueLine : kAssistLine, i += 3;
        else
            out += t[i];
    }
    return out;
}

std::vector<Scenario> loadScenarios() {
    std::vector<Scenario> all;
    std::ifstream in(hostPathFromEnv("OSTREL_SCENARIOS"));
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        Args args; // words, or "quoted texts" that may hold blanks
        for (size_t i = 0, end; line[0] != '#' && (i = line.find_first_not_of(" \r", i)) != std::string::npos;
             i = end + (line[i] == '"')) {
            end = std::min(line.find(line[i] == '"' ? '"' : ' ', i + 1), line.find_last_not_of('\r') + 1);
            args.push_back(expand(line.substr(i + (line[i] == '"'), end - i - (line[i] == '"'))));
        }
        if (!args.empty() && args[0] == "scenario")
            all.push_back({args.at(1), {}});
        else if (!args.empty())
            all.back().lines.emplace_back(number, args);
    }
    return all;
}

// The files under the roots and a few more (a folder as "<dir>", read-only marked), and CLASSPATH.
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
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
}

const Args kSingleFiles = {"C:\\autoexec.bat", kSys + "\\JavaOstrel.dll", kSys + "\\WindowsOstrel.dll",
                           kSys + "\\JAWTOstrel.dll"};
Picture takePicture() {
    Picture picture;
    for (const char *root : kRoots)
        pictureTree(root, picture);
    for (const std::string &file : kSingleFiles)
        if (readFile(file, picture[lower(file)]) == false)
            picture.erase(lower(file));
    HKEY k;
    char data[65536];
    DWORD type = 0, size = sizeof data;
    if (!RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvKey.c_str(), 0, KEY_READ, &k) &&
        !RegQueryValueExA(k, "CLASSPATH", nullptr, &type, reinterpret_cast<BYTE *>(data), &size))
        picture["classpath"] = std::to_string(type) + ":" + std::string(data, size);
    RegCloseKey(k);
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

// A value as scenarios write it: sz and expand are terminated, dword is a number, binary raw bytes.
std::pair<DWORD, std::string> typed(const std::string &type, const std::string &text) {
    if (type == "dword") {
        const DWORD v = std::stoul(text);
        return {REG_DWORD, std::string(reinterpret_cast<const char *>(&v), 4)};
    }
    const std::string end(type == "binary" ? 0 : 1, '\0');
    return {type == "expand" ? REG_EXPAND_SZ : type == "sz" ? REG_SZ : REG_BINARY, text + end};
}

// Environment-change broadcasts, counted by a window of this process on a thread of its own.
LONG g_broadcasts = 0;
LRESULT CALLBACK countBroadcasts(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETTINGCHANGE && lp && !strcmp(reinterpret_cast<const char *>(lp), "Environment"))
        InterlockedIncrement(&g_broadcasts);
    return DefWindowProcA(w, msg, wp, lp);
}
DWORD WINAPI listenForBroadcasts(void *) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = countBroadcasts;
    wc.lpszClassName = "broadcasts";
    RegisterClassA(&wc);
    CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

// One run of a scenario: the machine, the installer, the user, and what is checked at the end.
class Play {
  public:
    explicit Play(std::uint32_t seed) : random_(seed) {}
    ~Play() {
        for (HANDLE h : held_)
            CloseHandle(h);
    }
    bool perform(Args a);
    void finish();

  private:
    void start();
    void expect(const std::string &path, const std::string &content) { expected_[lower(path)] = content; }
    void closing(const Args &a);

    std::mt19937 random_;
    InstallerRun run_;
    bool started_ = false, closed_ = false, payload_ = true;
    HWND dialog_ = nullptr;
    std::string startDir_ = "C:\\t\\setup", path_, args_;
    std::vector<std::pair<std::string, std::string>> env_;
    std::vector<HANDLE> held_;
    Picture before_;
    std::map<std::string, std::string> expected_; // path or "classpath", and what it holds; "<none>": absent
    Args starts_;
    int leftovers_ = 0, broadcasts_ = -1;
    LONG broadcastsBefore_ = 0;
    DWORD lastAction_ = 0, cancelTick_ = 0, linger_ = 0;
};

bool Play::perform(Args a) {
    const std::string c = a[0];
    auto arg = [&](size_t i) { return a.at(i); };
    auto button = [&] { return kButtons.at(arg(1)); };
    auto list = [&] { return GetDlgItem(dialog_, 50001) ? 50001 : 40001; }; // drives, or VMs
    // The machine, before the installer starts.
    const std::map<std::string, std::function<void()>> machine = {
        {"nine-x",
         [&] { RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version", REG_SZ, "win98", 6); }},
        {"vm",
         [&] { // vm <home> <answer, or name=answer/...> [folder, or file=content, below the home...]
             Args config, names;
             for (size_t at = 0, end = 0; end != std::string::npos; at = end + 1)
                 config.push_back(arg(2).substr(at, (end = arg(2).find('/', at)) - at));
             for (const std::string &c : config)
                 names.push_back(c.substr(0, c.find('=')));
             if (config[0].find('=') == std::string::npos) // one answer for both launchers
                 config = {"*=" + config[0]}, names = {"java.exe", "javaw.exe"};
             EXPECT_TRUE(placeStandin(arg(1) + "\\bin", names, config));
             for (size_t i = 3; i < a.size(); ++i) {
                 const size_t eq = a[i].find('=');
                 eq == std::string::npos ? makeDirs(a[1] + "\\" + a[i])
                                         : writeFile(a[1] + "\\" + a[i].substr(0, eq), a[i].substr(eq + 1));
             }
         }},
        {"file", [&] { EXPECT_TRUE(writeFile(arg(1), arg(2))); }},
        {"folder", [&] { EXPECT_TRUE(makeDirs(arg(1))); }},
        {"readonly", [&] { SetFileAttributesA(arg(1).c_str(), FILE_ATTRIBUTE_READONLY); }},
        {"hold",
         [&] {
             held_.push_back(
                 CreateFileA(arg(1).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
         }},
        {"path",
         [&] {
             for (size_t i = 1; i < a.size(); ++i)
                 path_ += (i > 1 ? ";" : "") + a[i];
         }},
        {"path-pad",
         [&] { // odd pieces that name no VM, until PATH has this many characters
             const Args odd = {".\\bin", "\\\\server\\share\\bin", "\"C:\\t\\q\\bin\"",      " C:\\t\\q\\bin",
                               "",       "%NO_SUCH%\\bin",         "C:\\t\\q\\bin\\java.exe"};
             for (size_t i = 0; path_.size() < std::stoul(arg(1)); ++i)
                 path_ += ";" + odd[i % odd.size()];
         }},
        {"reg",
         [&] { // reg <key under HKEY_LOCAL_MACHINE, or env> <name> <sz|expand|dword|binary> <data>
             const auto value = typed(arg(3), arg(4));
             EXPECT_TRUE(setMachineValue(arg(1) == "env" ? kEnvKey : arg(1), arg(2).c_str(), value.first,
                                         value.second));
         }},
        {"env", [&] { env_.emplace_back(arg(1), arg(2)); }},
        {"start-in", [&] { startDir_ = arg(1); }},
        {"no-payload", [&] { payload_ = false; }},
        {"args", [&] { args_ = arg(1); }},
    };
    // What the machine holds afterwards, and how the run went.
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
        {"dlls",
         [&] {
             for (const char *dll : {"\\JavaOstrel.dll", "\\WindowsOstrel.dll", "\\JAWTOstrel.dll"})
                 expect(kSys + dll, std::string("payload:") + (dll + 1));
         }},
        {"classpath",
         [&] { expected_["classpath"] = std::to_string(typed(arg(1), "").first) + ":" + arg(2) + '\0'; }},
        {"started", [&] { std::transform(a.begin() + 1, a.end(), std::back_inserter(starts_), lower); }},
        {"leftovers", [&] { leftovers_ = arg(1) == "any" ? -1 : std::stoi(arg(1)); }}, // VMs still running
        {"broadcasts", [&] { broadcasts_ = std::stoi(arg(1)); }},
        {"linger", [&] { linger_ = std::stoul(arg(1)); }}, // the closing message waits: late VM starts show
    };
    // The user.
    const std::map<std::string, std::function<void()>> user = {
        {"items", [&] { EXPECT_EQ(listItems(dialog_, list()), Args(a.begin() + 1, a.end())); }},
        {"select",
         [&] {
             const Args items = listItems(dialog_, list());
             for (size_t i = 1; i < a.size(); ++i, Sleep(50)) {
                 const auto at = std::find(items.begin(), items.end(), a[i]);
                 ASSERT_NE(at, items.end()) << a[i];
                 toggleListItem(dialog_, list(), static_cast<int>(at - items.begin()));
             }
         }},
        {"press", [&] { ASSERT_TRUE(clickButton(dialog_, button())) << "cannot press " << arg(1); }},
        {"enabled", [&] { EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, button()))) << arg(1); }},
        {"disabled", [&] { EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog_, button()))) << arg(1); }},
        {"close", [&] { pressCloseBox(dialog_); }},
        {"escape",
         [&] { // the dialog manager makes it IDCANCEL, which must change nothing
             typeKey(dialog_, VK_ESCAPE);
             Sleep(300);
             EXPECT_TRUE(IsWindowVisible(dialog_)) << "Escape closed the dialog";
         }},
        {"keys",
         [&] {
             for (size_t i = 1; i < a.size(); ++i, Sleep(60))
                 typeKey(dialog_, kKeys.at(a[i]));
         }},
        {"status",
         [&] { // the progress dialog shows this text, in time
             std::string shown;
             for (int i = 0; i < 750 && (shown = controlText(dialog_, 30001)) != arg(1); ++i)
                 Sleep(20);
             EXPECT_EQ(shown, arg(1));
         }},
        {"wait", [&] { Sleep(std::stoul(arg(1))); }},
        {"cancel-random",
         [&] { // cancel-random <max ms>: by the button or the close box, in the dialog open then
             const DWORD delay = std::uniform_int_distribution<DWORD>(0, std::stoul(arg(1)))(random_);
             const bool byButton = random_() % 2;
             std::string caption;
             Sleep(delay);
             HWND open = run_.waitDialog(nullptr, 5000, &caption);
             printf("  cancel after %lu ms by the %s in \"%s\"\n", delay, byButton ? "button" : "close box",
                    caption.c_str());
             if (open)
                 byButton ? (void)clickButton(open, 10001) : pressCloseBox(open);
             cancelTick_ = GetTickCount();
         }},
        {"closing", [&] { closing(a); }},
        {"searched",
         [&] { // how long the search took, from the last press
             ASSERT_TRUE(run_.waitGone(run_.waitDialog(kCaptions.at("searching").c_str()), 600000));
             printf("bench: the search took %lu ms\n", GetTickCount() - lastAction_);
         }},
    };
    if (machine.count(c) && !started_)
        machine.at(c)();
    else if (afterwards.count(c))
        afterwards.at(c)();
    else if (user.count(c) && !closed_ && (started_ || (start(), true))) {
        if (a.size() > 1 && kCaptions.count(a[1])) { // the dialog to wait for first
            dialog_ = run_.waitDialog(kCaptions.at(a[1]).c_str());
            EXPECT_TRUE(dialog_) << "no dialog " << a[1];
            a.erase(a.begin() + 1);
        }
        if (dialog_ || c == "closing" || c == "cancel-random" || c == "wait")
            user.at(c)(), lastAction_ = GetTickCount();
        else
            ADD_FAILURE() << c << " needs a dialog";
    } else
        ADD_FAILURE() << "not known, or not in its place: " << c;
    return !::testing::Test::HasFatalFailure();
}

void Play::start() {
    started_ = true;
    makeDirs(startDir_);
    for (const char *name : {"accessibility.properties", "tamrix-1_1.jar", "tamrix-1_2.jar", "tamrix-1_4.jar",
                             "ostrel.jar", "JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
        if (payload_)
            writeFile(startDir_ + "\\installerFiles\\" + name, std::string("payload:") + name);
    CopyFileA(hostPathFromEnv("OSTREL_TESTER_CLASS").c_str(), (startDir_ + "\\OstrelTester.class").c_str(),
              FALSE);
    before_ = takePicture();
    broadcastsBefore_ = g_broadcasts;
    env_.emplace_back("PATH", path_);
    env_.emplace_back("OSTREL_STANDIN_LOG", kLog);
    lastAction_ = GetTickCount();
    EXPECT_TRUE(run_.start(hostPathFromEnv("OSTREL_INSTALLER"), startDir_, env_, args_)) << "no installer";
}

// closing <kind> [line...]: the closing message, at once after a cancel; OK; then exit code 0.
void Play::closing(const Args &a) {
    const Args &want = kClosings.at(a.at(1));
    std::string text = want.size() > 1 ? want[1]
                                       : "Installation of the Java Ostrel was not completed. These "
                                         "files could not be written:";
    for (size_t i = 2; i < a.size(); ++i)
        text += "\n" + a[i];
    std::string caption;
    HWND box = nullptr;
    for (const DWORD t0 = GetTickCount(); !box && GetTickCount() - t0 < 15000; Sleep(20))
        for (const auto &d : processDialogs(run_.pi.dwProcessId))
            box = GetDlgItem(d.first, 0xFFFF) ? (caption = d.second, d.first) : box;
    ASSERT_TRUE(box) << "no closing message";
    const DWORD took = GetTickCount() - lastAction_;
    EXPECT_TRUE(a[1] != "canceled" || took < 3000) << "the cancellation took " << took << " ms";
    EXPECT_EQ(caption, want[0]);
    EXPECT_EQ(controlText(box, 0xFFFF), text);
    Sleep(linger_);
    clickButton(box, IDOK);
    DWORD code = 1234;
    EXPECT_TRUE(run_.waitExit(10000, code)) << "the installer runs on after its closing message";
    EXPECT_EQ(code, 0u);
    closed_ = true;
}

void Play::finish() {
    if (!started_)
        start();
    EXPECT_TRUE(closed_) << "the scenario ends before the closing message";
    const int running = run_.endAll();
    EXPECT_TRUE(running == leftovers_ || leftovers_ < 0) << running << " VM processes still run at the end";
    Sleep(broadcasts_ < 0 ? 0 : 200);
    EXPECT_TRUE(broadcasts_ < 0 || g_broadcasts - broadcastsBefore_ == broadcasts_)
        << "environment broadcasts";
    // Every file and value is as before, unless the scenario names what it now holds.
    Picture after = takePicture(), keys = before_;
    keys.insert(after.begin(), after.end());
    keys.insert(expected_.begin(), expected_.end());
    for (const auto &k : keys) {
        const bool named = expected_.count(k.first);
        const std::string now = after.count(k.first) ? after[k.first] : "<none>";
        EXPECT_EQ(now, named                    ? expected_[k.first]
                       : before_.count(k.first) ? before_[k.first]
                                                : "<none>")
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
        EXPECT_EQ(lower(f[2]) + "|" + f[3] + "|" + f[4], lower(startDir_) + "|CLASSPATH=unset|tester=yes")
            << f[0];
        EXPECT_TRUE(!cancelTick_ || long(std::stoul(f[5]) - cancelTick_) < 200)
            << "started after the cancel: " << f[0];
        vms.push_back(lower(f[0]));
    }
    EXPECT_EQ(starts_.empty() ? starts_ : vms, starts_);
}

class Scenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(Scenarios, Run) {
    static const HANDLE listener = CreateThread(nullptr, 0, listenForBroadcasts, nullptr, 0, nullptr);
    static const std::uint32_t seed = getenv("OSTREL_FAULT_SEED")
                                          ? std::strtoul(getenv("OSTREL_FAULT_SEED"), 0, 10)
                                          : std::random_device()();
    const char *only = getenv("OSTREL_FAULT_RUN"), *runsWanted = getenv("OSTREL_FAULT_RUNS");
    int runs = 1;
    for (const auto &line : GetParam().lines)
        runs = line.second[0] == "repeat" ? (runsWanted ? atoi(runsWanted) : std::stoi(line.second.at(1)))
                                          : runs;
    for (int run = 1; run <= runs && !HasFailure() && listener; ++run) {
        if (runs > 1 && only && atoi(only) != run)
            continue;
        if (runs > 1)
            printf("run %d of %d: OSTREL_FAULT_SEED=%u OSTREL_FAULT_RUN=%d replays it\n", run, runs, seed,
                   run);
        cleanMachine();
        Play play(seed + static_cast<std::uint32_t>(run));
        for (const auto &line : GetParam().lines) {
            SCOPED_TRACE("scenarios.txt:" + std::to_string(line.first));
            if (line.second[0] != "repeat" && !play.perform(line.second))
                break;
        }
        play.finish();
    }
    cleanMachine();
}

INSTANTIATE_TEST_SUITE_P(, Scenarios, ::testing::ValuesIn(loadScenarios()),
                         [](const ::testing::TestParamInfo<Scenario> &info) { return info.param.name; });
} // namespace
