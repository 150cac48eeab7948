// Runs the scenarios of scenarios.txt: each lays out a machine, starts the real installer.exe, works its
// dialogs as a user would, and checks the closing message and what the machine holds afterwards. Every
// run is also held to what always holds: exit code 0 after one closing message, every VM started by the
// tester's protocol, nothing changed that the scenario does not name, and no process left running.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "driver.h"

namespace {
using Args = std::vector<std::string>;
struct Line {
    int number;
    Args args; // the command first
};
struct Scenario {
    std::string name;
    std::vector<Line> lines;
};

const char *const kRoots[] = {"C:\\t", "D:", "E:", "F:", "G:"}; // what a scenario may lay out and change
const std::string kStartsLog = "C:\\starts.log";
const std::string kEnvironmentKey = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
const std::string kEventQueueLine =
    "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\r\n";
const std::string kAssistiveLine = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\r\n";
const char *const kPayload[] = {"accessibility.properties", "tamrix-1_1.jar", "tamrix-1_2.jar",
                                "tamrix-1_4.jar",           "ostrel.jar",     "JavaOstrel.dll",
                                "WindowsOstrel.dll",        "JAWTOstrel.dll"};
const std::map<std::string, std::string> kCaptions = {{"verifying", "Checking Java VMs for compatibility"},
                                                      {"searching", "Searching for Java VMs"},
                                                      {"list", "Available Java virtual machines"},
                                                      {"no-vms", "No Java VMs found"},
                                                      {"drives", "Drives to search on"}};
const std::string kSuccess = "Installation of the Java Ostrel was successful.";
const std::map<std::string, std::pair<std::string, std::string>> kClosings = {
    {"canceled", {"Installation Canceled", "Installation of the Java Ostrel was canceled."}},
    {"done", {"Installation Completed", kSuccess}},
    {"done-restart", {"Installation Completed.  You must reboot your system.", kSuccess}},
    {"incomplete", {"Installation Incomplete", ""}},
    {"incomplete-restart", {"Installation Incomplete.  You must reboot your system.", ""}}};
const std::string kIncomplete =
    "Installation of the Java Ostrel was not completed. These files could not be written:";
const std::map<std::string, int> kButtons = {
    {"cancel", 10001}, {"install", 10002}, {"all", 10003}, {"search", 10004}};
const std::map<std::string, UINT> kKeys = {
    {"tab", VK_TAB}, {"space", VK_SPACE}, {"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"down", VK_DOWN}};
constexpr int kVmList = 40001, kDriveList = 50001, kStatus = 30001;

std::string lower(std::string s) {
    for (char &c : s)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return s;
}

// A folder below C:\t whose path has exactly n characters, in components of at most 60.
std::string longPath(size_t n) {
    std::string path = "C:\\t";
    while (path.size() < n) {
        const size_t left = n - path.size() - 1;
        path += "\\" + std::string(left <= 60 ? left : std::min<size_t>(60, left - 2), 'x');
    }
    return path;
}

// "^n" is CR LF, "^hh" the byte hh; {eq} and {at} are the bridge's awt.properties lines; {long:N} a path.
std::string expand(const std::string &token) {
    std::string out;
    for (size_t i = 0; i < token.size(); ++i) {
        if (token[i] == '^' && i + 1 < token.size() && token[i + 1] == 'n') {
            out += "\r\n", ++i;
        } else if (token[i] == '^' && i + 2 < token.size()) {
            out += static_cast<char>(std::stoi(token.substr(i + 1, 2), nullptr, 16)), i += 2;
        } else if (token.compare(i, 4, "{eq}") == 0 || token.compare(i, 4, "{at}") == 0) {
            out += token[i + 1] == 'e' ? kEventQueueLine : kAssistiveLine, i += 3;
        } else if (token.compare(i, 6, "{long:") == 0) {
            const size_t end = token.find('}', i);
            out += longPath(std::stoul(token.substr(i + 6, end - i - 6))), i = end;
        } else {
            out += token[i];
        }
    }
    return out;
}

Args tokens(const std::string &line) {
    Args args;
    for (size_t i = line.find_first_not_of(' '); i != std::string::npos; i = line.find_first_not_of(' ', i)) {
        const bool quoted = line[i] == '"';
        const size_t end = quoted ? line.find('"', i + 1) : line.find(' ', i);
        args.push_back(expand(line.substr(i + quoted, end == std::string::npos ? end : end - i - quoted)));
        i = end == std::string::npos ? end : end + quoted;
    }
    return args;
}

std::vector<Scenario> loadScenarios() {
    std::vector<Scenario> all;
    std::ifstream in(hostPathFromEnv("OSTREL_SCENARIOS"));
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        const Args args = text[0] == '#' ? Args() : tokens(text.substr(0, text.find_last_not_of("\r") + 1));
        if (args.empty())
            continue;
        if (args[0] == "scenario")
            all.push_back({args.at(1), {}});
        else if (!all.empty())
            all.back().lines.push_back({number, args});
    }
    return all;
}

// Files as content ("<dir>" for a folder, "+ro" marking a read-only file) and the CLASSPATH value.
using Picture = std::map<std::string, std::string>;

void pictureTree(const std::string &dir, Picture &picture) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string path = dir + "\\" + fd.cFileName, name = lower(fd.cFileName);
        if (name == "." || name == ".." || name == "standin.cfg")
            continue;
        std::string content = "<dir>";
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !readFile(path, content))
            content = "<unreadable>";
        picture[lower(path)] = content + (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY ? "+ro" : "");
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            pictureTree(path, picture);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
}

std::string systemDir() {
    char dir[MAX_PATH];
    return std::string(dir, GetSystemDirectoryA(dir, MAX_PATH));
}

std::string readValue(const std::string &key, const std::string &name) {
    HKEY k;
    char data[65536];
    DWORD type = 0, size = sizeof data;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return "<none>";
    const LONG rc = RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS ? std::to_string(type) + ":" + std::string(data, size) : "<none>";
}

Picture takePicture() {
    Picture picture;
    for (const char *root : kRoots)
        pictureTree(root, picture);
    for (const std::string &file : {std::string("C:\\autoexec.bat"), systemDir() + "\\JavaOstrel.dll",
                                    systemDir() + "\\WindowsOstrel.dll", systemDir() + "\\JAWTOstrel.dll"}) {
        std::string content;
        if (readFile(file, content))
            picture[lower(file)] = content;
    }
    picture["classpath"] = readValue(kEnvironmentKey, "CLASSPATH");
    return picture;
}

// A registry key as scenarios name it: "env", "jdk\<version>", "jre\<version>", or in full.
std::string registryKey(const std::string &key) {
    if (key == "env")
        return kEnvironmentKey;
    if (key.compare(0, 4, "jdk\\") == 0 || key.compare(0, 4, "jre\\") == 0)
        return std::string("Software\\Pellior\\Java ") +
               (key[2] == 'k' ? "Development Kit" : "Runtime Environment") + key.substr(3);
    return key;
}

// A value's type and data as scenarios write them: sz, expand (terminated), bare (a string without its
// terminator), dword, binary.
std::pair<DWORD, std::string> typedData(const std::string &type, const std::string &text) {
    if (type == "dword") {
        const DWORD v = std::stoul(text);
        return {REG_DWORD, std::string(reinterpret_cast<const char *>(&v), 4)};
    }
    const DWORD t = type == "expand" ? REG_EXPAND_SZ : type == "binary" ? REG_BINARY : REG_SZ;
    return {t, text + (type == "sz" || type == "expand" ? std::string(1, '\0') : "")};
}

// The environment-change broadcasts that running programs receive, counted by a window of this process.
LONG g_broadcasts = 0;
LRESULT CALLBACK countBroadcasts(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETTINGCHANGE && lp && !strcmp(reinterpret_cast<const char *>(lp), "Environment"))
        InterlockedIncrement(&g_broadcasts);
    return DefWindowProcA(w, msg, wp, lp);
}
DWORD WINAPI broadcastListener(void *) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = countBroadcasts;
    wc.lpszClassName = "OstrelBroadcasts";
    RegisterClassA(&wc);
    CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

std::uint32_t faultSeed() {
    static const std::uint32_t seed = [] {
        const char *s = getenv("OSTREL_FAULT_SEED");
        const std::uint32_t value = s ? std::strtoul(s, nullptr, 10) : std::random_device()();
        std::printf("seed %u (OSTREL_FAULT_SEED=%u replays it)\n", value, value);
        return value;
    }();
    return seed;
}

// One run of a scenario: the machine, the installer, the user, and what is checked at the end.
class Play {
  public:
    explicit Play(std::mt19937 random) : random_(random) {}
    ~Play() {
        for (HANDLE h : held_)
            CloseHandle(h);
    }
    bool perform(const Line &line);
    void finish();

  private:
    bool machine(const Args &a);
    bool user(const Args &a);
    bool expectation(const Args &a);
    bool start();
    void expectContent(const std::string &path, const std::string &content) {
        expected_[lower(path)] = content;
    }
    bool closing(const Args &a);

    std::mt19937 random_;
    InstallerRun run_;
    bool started_ = false, closed_ = false;
    HWND dialog_ = nullptr;
    std::string startDir_ = "C:\\t\\setup", path_ = "C:\\windows", args_;
    bool payload_ = true;
    std::vector<InstallerRun::EnvChange> env_;
    std::vector<HANDLE> held_;
    Picture before_;
    std::map<std::string, std::string> expected_; // path, or "classpath" -> content; "<none>": absent
    Args started_vms_;
    bool checkStarts_ = false;
    int leftovers_ = 0, broadcastsWanted_ = -1;
    LONG broadcastsAtStart_ = 0;
    DWORD lastAction_ = 0, cancelTick_ = 0, linger_ = 0;
};

bool Play::perform(const Line &line) {
    SCOPED_TRACE("scenarios.txt:" + std::to_string(line.number));
    const Args &a = line.args;
    if (machine(a) || expectation(a))
        return true;
    if (!started_ && !start())
        return false;
    if (closed_)
        ADD_FAILURE() << "nothing but expectations can follow the closing message: " << a[0];
    return !closed_ && user(a);
}

bool Play::machine(const Args &a) {
    const std::string &c = a[0];
    if (c == "nine-x") {
        HKEY k;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr);
        RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE *>("win98"), 6);
        RegCloseKey(k);
    } else if (c == "vm") { // vm <home> <answer> [folder below the home...]
        EXPECT_TRUE(placeStandin(a.at(1) + "\\bin", {"java.exe", "javaw.exe"}, {"*=" + a.at(2)}));
        for (size_t i = 3; i < a.size(); ++i)
            makeDirs(a[1] + "\\" + a[i]);
    } else if (c == "launchers") { // launchers <folder> <name>=<answer>...
        Args names(a.begin() + 2, a.end());
        for (std::string &n : names)
            n = n.substr(0, n.find('='));
        EXPECT_TRUE(placeStandin(a.at(1), names, Args(a.begin() + 2, a.end())));
    } else if (c == "file") {
        EXPECT_TRUE(writeFile(a.at(1), a.at(2)));
    } else if (c == "folder") {
        EXPECT_TRUE(makeDirs(a.at(1)));
    } else if (c == "readonly") {
        SetFileAttributesA(a.at(1).c_str(), FILE_ATTRIBUTE_READONLY);
    } else if (c == "hold") { // another program keeps the file open, sharing nothing
        held_.push_back(CreateFileA(a.at(1).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    } else if (c == "path") {
        path_.clear();
        for (size_t i = 1; i < a.size(); ++i)
            path_ += (i > 1 ? ";" : "") + a[i];
    } else if (c == "path-pad") { // odd pieces, which find nothing, until PATH has this many characters
        const Args odd = {
            ".\\bin", "\\\\server\\share\\bin", "\"C:\\t\\q\\bin\"",       " C:\\t\\q\\bin",
            "",       "C:\\t\\nothing\\bin",    "%NO_SUCH_VARIABLE%\\bin", "C:\\t\\q\\bin\\java.exe"};
        for (size_t i = 0; path_.size() < std::stoul(a.at(1)); ++i)
            path_ += ";" + odd[i % odd.size()];
    } else if (c == "reg") { // reg <key> <name> <type> <data>
        const auto typed = typedData(a.at(3), a.size() > 4 ? a[4] : "");
        EXPECT_TRUE(setMachineValue(registryKey(a.at(1)), a.at(2).c_str(), typed.first, typed.second));
    } else if (c == "env") {
        env_.emplace_back(a.at(1), a.at(2));
    } else if (c == "start-in") {
        startDir_ = a.at(1);
    } else if (c == "no-payload") {
        payload_ = false;
    } else if (c == "args") {
        args_ = a.at(1);
    } else {
        return false;
    }
    if (started_)
        ADD_FAILURE() << "the machine is laid out before the installer starts: " << c;
    return true;
}

bool Play::expectation(const Args &a) {
    const std::string &c = a[0];
    const std::string sys = systemDir();
    if (c == "holds") {
        expectContent(a.at(1), a.at(2));
    } else if (c == "gone") {
        expectContent(a.at(1), "<none>");
    } else if (c == "vm-files") { // vm-files <library folder> <extension folder> <tamrix jar of the payload>
        expectContent(a.at(1) + "\\accessibility.properties", "payload:accessibility.properties");
        expectContent(a.at(2) + "\\tamrix.jar", "payload:" + a.at(3));
        expectContent(a.at(2) + "\\ostrel.jar", "payload:ostrel.jar");
    } else if (c == "jars11") {
        expectContent(a.at(1) + "\\tamrix.jar", "payload:tamrix-1_1.jar");
        expectContent(a.at(1) + "\\ostrel.jar", "payload:ostrel.jar");
    } else if (c == "dlls") {
        for (const char *dll : {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"})
            expectContent(sys + "\\" + dll, std::string("payload:") + dll);
    } else if (c == "classpath") { // classpath <type> <text>, or classpath none
        expected_["classpath"] =
            a.at(1) == "none" ? "<none>" : std::to_string(typedData(a[1], "").first) + ":" + a.at(2) + '\0';
    } else if (c == "started") {
        for (size_t i = 1; i < a.size(); ++i)
            started_vms_.push_back(lower(a[i]));
        checkStarts_ = true;
    } else if (c == "leftovers") { // VM processes that may still run at the end: a number, or "any"
        leftovers_ = a.at(1) == "any" ? -1 : std::stoi(a.at(1));
    } else if (c == "broadcasts") {
        broadcastsWanted_ = std::stoi(a.at(1));
    } else if (c == "linger") { // the closing message stays this long before OK: late VM starts show
        linger_ = std::stoul(a.at(1));
    } else {
        return false;
    }
    return true;
}

bool Play::start() {
    started_ = true;
    makeDirs(startDir_);
    if (payload_)
        for (const char *name : kPayload)
            writeFile(startDir_ + "\\installerFiles\\" + name, std::string("payload:") + name);
    CopyFileA(hostPathFromEnv("OSTREL_TESTER_CLASS").c_str(), (startDir_ + "\\OstrelTester.class").c_str(),
              FALSE);
    before_ = takePicture();
    broadcastsAtStart_ = g_broadcasts;
    env_.emplace_back("PATH", path_);
    env_.emplace_back("OSTREL_STANDIN_LOG", kStartsLog);
    lastAction_ = GetTickCount();
    const bool ok = run_.start(hostPathFromEnv("OSTREL_INSTALLER"), startDir_, env_, args_);
    EXPECT_TRUE(ok) << "installer.exe did not start";
    return ok;
}

bool Play::user(const Args &a) {
    const std::string &c = a[0];
    const int list = dialog_ && controlExists(dialog_, kDriveList) ? kDriveList : kVmList;
    if (c == "dialog") {
        const std::string caption = kCaptions.count(a.at(1)) ? kCaptions.at(a[1]) : a[1];
        dialog_ = run_.waitAnyDialog(nullptr, 15000, caption.c_str());
        EXPECT_TRUE(dialog_) << "no dialog \"" << caption << "\"";
        return dialog_ != nullptr;
    }
    if (c == "closing")
        return closing(a);
    if (!dialog_ && c != "wait" && c != "cancel-random" && c != "bench") {
        ADD_FAILURE() << c << " needs a dialog";
        return false;
    }
    if (c == "items") {
        EXPECT_EQ(listItems(dialog_, list), Args(a.begin() + 1, a.end()));
    } else if (c == "select") {
        const Args items = listItems(dialog_, list);
        for (size_t i = 1; i < a.size(); ++i) {
            const auto at = std::find(items.begin(), items.end(), a[i]);
            EXPECT_NE(at, items.end()) << "no item " << a[i];
            if (at != items.end())
                toggleListItem(dialog_, list, static_cast<int>(at - items.begin()));
        }
        Sleep(100);
    } else if (c == "press" || c == "enabled" || c == "disabled") {
        const int id = kButtons.at(a.at(1));
        const bool ok =
            c == "press" ? clickButton(dialog_, id) : controlEnabled(dialog_, id) == (c == "enabled");
        EXPECT_TRUE(ok) << c << " " << a[1];
    } else if (c == "close") {
        pressCloseBox(dialog_);
    } else if (c == "escape") { // the dialog manager turns it into IDCANCEL, which must change nothing
        typeKey(dialog_, VK_ESCAPE);
        Sleep(300);
        EXPECT_TRUE(IsWindowVisible(dialog_)) << "Escape closed the dialog";
    } else if (c == "keys") {
        for (size_t i = 1; i < a.size(); ++i, Sleep(60))
            typeKey(dialog_, kKeys.at(a[i]));
    } else if (c == "status") { // the progress dialog shows this text, in time
        std::string shown;
        for (int i = 0; i < 750 && (shown = controlText(dialog_, kStatus)) != a.at(1); ++i)
            Sleep(20);
        EXPECT_EQ(shown, a[1]);
    } else if (c == "wait") {
        Sleep(std::stoul(a.at(1)));
    } else if (c == "cancel-random") { // cancel <max ms>: by the button or the close box, at a random moment
        const DWORD delay = std::uniform_int_distribution<DWORD>(0, std::stoul(a.at(1)))(random_);
        const bool button = random_() % 2;
        Sleep(delay);
        std::string caption;
        HWND open = run_.waitAnyDialog(&caption, 5000);
        std::printf("  cancel after %lu ms by the %s in \"%s\"\n", delay, button ? "button" : "close box",
                    caption.c_str());
        if (open && button)
            clickButton(open, 10001);
        else if (open)
            pressCloseBox(open);
        cancelTick_ = GetTickCount();
    } else if (c == "bench") { // bench <drive>: the searching dialog's time against a bare walk of the drive
        const DWORD pressed = lastAction_;
        HWND searching = run_.waitAnyDialog(nullptr, 15000, kCaptions.at("searching").c_str());
        EXPECT_TRUE(searching && run_.waitGone(searching, 600000));
        const DWORD search = GetTickCount() - pressed, walkStart = GetTickCount();
        std::function<void(const std::string &)> walk = [&](const std::string &dir) {
            WIN32_FIND_DATAA fd;
            if (GetFileAttributesA((dir + "\\java.exe").c_str()) != INVALID_FILE_ATTRIBUTES)
                return;
            HANDLE h = FindFirstFileA((dir + "\\*.*").c_str(), &fd);
            for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &fd))
                if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && fd.cFileName[0] != '.')
                    walk(dir + "\\" + fd.cFileName);
            if (h != INVALID_HANDLE_VALUE)
                FindClose(h);
        };
        walk(a.at(1));
        const DWORD bare = GetTickCount() - walkStart;
        std::printf("bench: search %lu ms, bare walk %lu ms, ratio %.2f\n", search, bare,
                    double(search) / bare);
    } else {
        ADD_FAILURE() << "unknown command " << c;
        return false;
    }
    lastAction_ = GetTickCount();
    return !::testing::Test::HasFatalFailure();
}

bool Play::closing(const Args &a) {
    const auto &[caption, text] = kClosings.at(a.at(1));
    std::string wanted = text.empty() ? kIncomplete : text;
    for (size_t i = 2; i < a.size(); ++i)
        wanted += "\n" + a[i];
    std::string seen;
    HWND box = nullptr;
    for (const DWORD t0 = GetTickCount(); !box && GetTickCount() - t0 < 15000; Sleep(20))
        for (const auto &d : processDialogs(run_.processId()))
            if (GetDlgItem(d.first, 0xFFFF))
                box = d.first, seen = d.second;
    EXPECT_TRUE(box) << "no closing message";
    if (!box)
        return false;
    const DWORD took = GetTickCount() - lastAction_;
    EXPECT_TRUE(a[1] != "canceled" || took < 3000) << "the cancellation took " << took << " ms"; // at once
    EXPECT_EQ(seen, caption);
    EXPECT_EQ(controlText(box, 0xFFFF), wanted);
    Sleep(linger_);
    clickButton(box, IDOK);
    DWORD code = 1234;
    EXPECT_TRUE(run_.waitExit(10000, code)) << "the installer still runs after its closing message";
    EXPECT_EQ(code, 0u);
    closed_ = true;
    return true;
}

void Play::finish() {
    if (!started_)
        start();
    if (!closed_)
        ADD_FAILURE() << "the scenario ends without the closing message";
    const int running = run_.endAll();
    EXPECT_TRUE(running == leftovers_ || leftovers_ < 0)
        << running << " VM processes still running at the end";
    if (broadcastsWanted_ >= 0) {
        Sleep(200);
        EXPECT_EQ(g_broadcasts - broadcastsAtStart_, broadcastsWanted_) << "environment broadcasts";
    }
    const Picture after = takePicture();
    std::map<std::string, std::string> keys;
    for (const Picture *p : {static_cast<const Picture *>(&before_), &after})
        for (const auto &e : *p)
            keys[e.first];
    for (const auto &e : expected_)
        keys[e.first];
    for (const auto &k : keys) {
        const std::string was = before_.count(k.first) ? before_.at(k.first) : "<none>";
        const std::string now = after.count(k.first) ? after.at(k.first) : "<none>";
        const bool named = expected_.count(k.first) != 0;
        EXPECT_EQ(now, named ? expected_[k.first] : was) << (named ? "" : "changed: ") << k.first;
    }
    // Every VM ran the tester from the start-up folder that holds it, without a CLASSPATH, by the
    // launcher and the command line of its attempt, and none after a cancel.
    std::string log;
    readFile(kStartsLog, log);
    Args vms;
    for (size_t pos = 0, end; (end = log.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
        Args f;
        const std::string record = log.substr(pos, end - pos);
        for (size_t s = 0, bar; s != std::string::npos; s = bar == std::string::npos ? bar : bar + 1)
            f.push_back(record.substr(s, (bar = record.find('|', s)) == std::string::npos ? bar : bar - s));
        ASSERT_EQ(f.size(), 6u) << record;
        const std::string exe = lower(f[0].substr(f[0].find_last_of('\\') + 1));
        EXPECT_EQ(f[1], exe == "javaw.exe" ? "javaw.exe OstrelTester" : "jrew.exe -cp . OstrelTester")
            << f[0];
        EXPECT_EQ(lower(f[2]), lower(startDir_)) << f[0];
        EXPECT_EQ(f[3] + " " + f[4], "CLASSPATH=unset tester=yes") << f[0];
        const long afterCancel = static_cast<long>(std::stoul(f[5]) - cancelTick_);
        EXPECT_TRUE(!cancelTick_ || afterCancel < 200) << "started after the cancel: " << f[0];
        vms.push_back(lower(f[0]));
    }
    EXPECT_EQ(checkStarts_ ? vms : started_vms_, started_vms_);
}

void cleanMachine() {
    for (const char *root : kRoots)
        removeTree(root, root[2] != '\0'); // a drive's root stays
    for (const std::string &file :
         {kStartsLog, std::string("C:\\autoexec.bat"), systemDir() + "\\JavaOstrel.dll",
          systemDir() + "\\WindowsOstrel.dll", systemDir() + "\\JAWTOstrel.dll"}) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Pellior");
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey.c_str(), 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
        RegDeleteValueA(k, "CLASSPATH");
        RegCloseKey(k);
    }
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
        RegDeleteValueA(k, "Version");
        RegCloseKey(k);
    }
}

void PrintTo(const Scenario &s, std::ostream *out) {
    *out << s.name;
}

class Scenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(Scenarios, Run) {
    static const HANDLE listener = CreateThread(nullptr, 0, broadcastListener, nullptr, 0, nullptr);
    (void)listener;
    const Scenario &s = GetParam();
    int runs = 1;
    for (const Line &l : s.lines)
        if (l.args[0] == "repeat")
            runs = getenv("OSTREL_FAULT_RUNS") ? std::atoi(getenv("OSTREL_FAULT_RUNS"))
                                               : std::stoi(l.args.at(1));
    const char *only = getenv("OSTREL_FAULT_RUN");
    for (int run = 1; run <= runs; ++run) {
        if (runs > 1 && only && std::atoi(only) != run)
            continue;
        if (runs > 1)
            std::printf("%s run %d of %d (OSTREL_FAULT_RUN=%d)\n", s.name.c_str(), run, runs, run);
        cleanMachine();
        Play play(std::mt19937(faultSeed() + static_cast<std::uint32_t>(run)));
        for (const Line &l : s.lines)
            if (l.args[0] != "repeat" && !play.perform(l))
                break;
        play.finish();
        if (HasFailure())
            break;
    }
    cleanMachine();
}

INSTANTIATE_TEST_SUITE_P(, Scenarios, ::testing::ValuesIn(loadScenarios()),
                         [](const ::testing::TestParamInfo<Scenario> &info) { return info.param.name; });
} // namespace
