#include "fault_support.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {
constexpr const char *kStandinLogs[] = {"standin.log", "vm-starts.log"};

std::wstring wide(const std::string &s) {
    if (s.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::string narrow(const std::wstring &w) {
    if (w.empty())
        return std::string();
    const int n =
        WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

// An absolute path as the wide functions take it past MAX_PATH.
std::wstring longForm(const std::string &path) {
    return L"\\\\?\\" + wide(path);
}

bool isStandinLog(const std::string &name) {
    const std::string lower = lowerAscii(name);
    for (const char *log : kStandinLogs)
        if (lower == log)
            return true;
    return false;
}

std::uint64_t hashBytes(const char *data, size_t size, std::uint64_t h) {
    for (size_t i = 0; i < size; ++i) {
        h ^= static_cast<unsigned char>(data[i]);
        h *= 1099511628211ull;
    }
    return h;
}

constexpr std::uint64_t kHashStart = 14695981039346656037ull;
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool stateOfFile(const std::string &path, FileState &state) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExW(longForm(path).c_str(), GetFileExInfoStandard, &info))
        return false;
    state = FileState();
    state.attributes = info.dwFileAttributes & kKeptAttributes;
    state.directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (state.directory)
        return true;
    HANDLE h = CreateFileW(longForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        state.size = ~0ull; // there, but unreadable: counts as a state of its own
        return true;
    }
    std::uint64_t hash = kHashStart;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) {
        hash = hashBytes(buf, got, hash);
        state.size += got;
    }
    CloseHandle(h);
    state.hash = hash;
    return true;
}

void collectTree(const std::string &dir, std::map<std::string, FileState> &files) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((longForm(dir) + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = narrow(found.cFileName);
        if (name == "." || name == ".." || isStandinLog(name))
            continue;
        const std::string path = dir + "\\" + name;
        FileState state;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            state.directory = true; // a folder's picture is its attributes: no need to ask again
            state.attributes = found.dwFileAttributes & kKeptAttributes;
        } else if (!stateOfFile(path, state)) {
            continue;
        }
        files[lowerAscii(path)] = state;
        // A link is part of the picture, what it leads to is not: it lies elsewhere, or in a cycle.
        if (state.directory && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            collectTree(path, files);
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

void collectValues(const std::string &key, bool recurse, const std::string *onlyName,
                   std::map<std::string, ValueState> &values) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0, maxSubkey = 0, count = 0, maxName = 0, maxData = 0;
    RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &count, &maxName, &maxData,
                     nullptr, nullptr);
    for (DWORD i = 0; i < count; ++i) {
        std::string name(maxName + 2, '\0');
        std::string data(maxData + 2, '\0');
        DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(h, i, &name[0], &nameLen, nullptr, &type, reinterpret_cast<BYTE *>(&data[0]),
                          &dataLen) != ERROR_SUCCESS)
            continue;
        name.resize(nameLen);
        data.resize(dataLen);
        if (onlyName && lowerAscii(name) != lowerAscii(*onlyName))
            continue;
        values[valueKey(key, name)] = ValueState{type, data};
    }
    if (recurse) {
        for (DWORD i = 0; i < subkeys; ++i) {
            std::string name(maxSubkey + 2, '\0');
            DWORD len = static_cast<DWORD>(name.size());
            if (RegEnumKeyExA(h, i, &name[0], &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                continue;
            name.resize(len);
            collectValues(key + "\\" + name, true, nullptr, values);
        }
    }
    RegCloseKey(h);
}

std::string describe(const FileState &s) {
    if (s.directory)
        return "folder";
    char buf[96];
    std::snprintf(buf, sizeof buf, "%llu bytes, attributes %lx", static_cast<unsigned long long>(s.size),
                  static_cast<unsigned long>(s.attributes));
    return buf;
}

bool sameState(const FileState &a, const FileState &b) {
    return a.directory == b.directory && a.attributes == b.attributes && a.size == b.size && a.hash == b.hash;
}

// A window's text of any length, read across processes as wide text.
std::string wholeText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return narrow(text);
}

struct GroupCounts {
    int runs = 0, inputs = 0, failures = 0;
};

std::map<std::string, GroupCounts> &groupCounts() {
    static std::map<std::string, GroupCounts> counts;
    return counts;
}

std::vector<std::string> &summaryLines() {
    static std::vector<std::string> lines;
    return lines;
}

// Prints the summary lines once every test has run.
class SummaryPrinter : public ::testing::Environment {
  public:
    void TearDown() override {
        if (summaryLines().empty())
            return;
        std::printf("\nFault suite summary:\n");
        for (const std::string &line : summaryLines())
            std::printf("  %s\n", line.c_str());
        for (const auto &g : groupCounts())
            std::printf("  %s: %d runs, %d inputs, %d failures\n", g.first.c_str(), g.second.runs,
                        g.second.inputs, g.second.failures);
        std::fflush(stdout);
    }
};
::testing::Environment *const g_summaryPrinter = ::testing::AddGlobalTestEnvironment(new SummaryPrinter);
} // namespace

bool makeLongDirs(const std::string &path) {
    if (longPathExists(path))
        return true;
    const std::string::size_type slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2 && !makeLongDirs(path.substr(0, slash)))
        return false;
    return CreateDirectoryW(longForm(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool writeLongFile(const std::string &path, const std::string &content) {
    const std::string::size_type slash = path.find_last_of('\\');
    if (slash != std::string::npos && !makeLongDirs(path.substr(0, slash)))
        return false;
    HANDLE h = CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == content.size();
}

bool readLongFile(const std::string &path, std::string &content) {
    HANDLE h = CreateFileW(longForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    content.clear();
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        content.append(buf, got);
    CloseHandle(h);
    return true;
}

bool longPathExists(const std::string &path) {
    return GetFileAttributesW(longForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool placeLongStandin(const std::string &bin, const std::string &answer) {
    const std::string standin = hostPathFromEnv("OSTREL_STANDIN");
    if (standin.empty() || !makeLongDirs(bin))
        return false;
    for (const char *name : {"java.exe", "javaw.exe"})
        if (!CopyFileW(wide(standin).c_str(), longForm(bin + "\\" + name).c_str(), FALSE))
            return false;
    return writeLongFile(bin + "\\standin.cfg", "*=" + answer + "\r\n");
}

void removeLongTree(const std::string &path) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((longForm(path) + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::string child = path + "\\" + narrow(name);
            const std::wstring childW = longForm(child);
            SetFileAttributesW(childW.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                removeLongTree(child);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(childW.c_str());
            else
                DeleteFileW(childW.c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    SetFileAttributesW(longForm(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(longForm(path).c_str());
}

std::uint64_t contentHash(const std::string &content) {
    return hashBytes(content.data(), content.size(), kHashStart);
}

void MachinePicture::addTree(const std::string &root) {
    trees_.push_back(root);
    collectTree(root, files);
}

void MachinePicture::addFile(const std::string &path) {
    singleFiles_.push_back(path);
    FileState state;
    if (stateOfFile(path, state))
        files[lowerAscii(path)] = state;
}

void MachinePicture::addRegistryTree(const std::string &key) {
    registryTrees_.push_back(key);
    collectValues(key, true, nullptr, values);
}

void MachinePicture::addRegistryValue(const std::string &key, const std::string &name) {
    registryValues_.emplace_back(key, name);
    collectValues(key, false, &name, values);
}

MachinePicture MachinePicture::retake() const {
    MachinePicture again;
    for (const std::string &t : trees_)
        again.addTree(t);
    for (const std::string &f : singleFiles_)
        again.addFile(f);
    for (const std::string &k : registryTrees_)
        again.addRegistryTree(k);
    for (const auto &v : registryValues_)
        again.addRegistryValue(v.first, v.second);
    return again;
}

std::string valueKey(const std::string &key, const std::string &name) {
    return lowerAscii(key + "\\" + name);
}

std::vector<std::string> unexpectedChanges(const MachinePicture &before, const MachinePicture &after,
                                           const ExpectedChanges &expected) {
    std::vector<std::string> problems;
    std::map<std::string, FileState> wanted;
    for (const auto &e : expected.files) {
        FileState s;
        s.size = e.second.size();
        s.hash = contentHash(e.second);
        wanted[lowerAscii(e.first)] = s;
    }
    for (const auto &a : after.files) {
        const auto w = wanted.find(a.first);
        const auto b = before.files.find(a.first);
        if (w != wanted.end()) {
            if (a.second.directory || a.second.size != w->second.size || a.second.hash != w->second.hash)
                problems.push_back("not the content it should have (" + describe(a.second) + ", expected " +
                                   std::to_string(w->second.size) + " bytes): " + a.first);
        } else if (b == before.files.end()) {
            problems.push_back("appeared: " + a.first + " (" + describe(a.second) + ")");
        } else if (!sameState(a.second, b->second)) {
            problems.push_back("changed: " + a.first + " (" + describe(b->second) + " before, " +
                               describe(a.second) + " after)");
        }
    }
    for (const auto &b : before.files)
        if (after.files.count(b.first) == 0)
            problems.push_back(
                std::string(wanted.count(b.first) ? "missing, expected written: " : "vanished: ") + b.first);
    for (const auto &w : wanted)
        if (after.files.count(w.first) == 0 && before.files.count(w.first) == 0)
            problems.push_back("not written: " + w.first);

    std::map<std::string, ValueState> wantedValues;
    for (const auto &e : expected.values)
        wantedValues[lowerAscii(e.first)] = e.second;
    for (const auto &a : after.values) {
        const auto w = wantedValues.find(a.first);
        const auto b = before.values.find(a.first);
        if (w != wantedValues.end()) {
            if (!(a.second == w->second))
                problems.push_back("registry value not as it should be: " + a.first + " = \"" +
                                   a.second.data.c_str() + "\" (type " + std::to_string(a.second.type) +
                                   "), expected \"" + w->second.data.c_str() + "\" (type " +
                                   std::to_string(w->second.type) + ")");
        } else if (b == before.values.end()) {
            problems.push_back("registry value appeared: " + a.first);
        } else if (!(a.second == b->second)) {
            problems.push_back("registry value changed: " + a.first + " = \"" + a.second.data.c_str() +
                               "\", was \"" + b->second.data.c_str() + "\"");
        }
    }
    for (const auto &b : before.values)
        if (after.values.count(b.first) == 0)
            problems.push_back("registry value vanished: " + b.first);
    for (const auto &w : wantedValues)
        if (after.values.count(w.first) == 0)
            problems.push_back("registry value not written: " + w.first);
    return problems;
}

RunEnd finishRun(InstallerRun &run, DWORD messageTimeoutMs) {
    RunEnd end;
    const DWORD called = GetTickCount();
    const std::optional<MessageBoxSeen> box = run.waitMessageBox(messageTimeoutMs, false);
    if (box) {
        end.messageSeen = true;
        end.messageAfterMs = GetTickCount() - called;
        end.caption = box->caption;
        end.text = wholeText(GetDlgItem(box->window, 0xFFFF)); // a list of long paths is long
        clickButton(box->window, IDOK);
    }
    std::set<HWND> answered;
    if (box)
        answered.insert(box->window);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000) {
        DWORD code = 0;
        if (run.waitExit(50, code)) {
            end.exited = true;
            end.exitCode = code;
            break;
        }
        for (const auto &d : processDialogs(run.processId())) {
            if (!answered.insert(d.first).second)
                continue; // answered already, and still on its way out
            ++end.furtherDialogs;
            if (!clickButton(d.first, IDOK) && !clickButton(d.first, 10001 /* IDC_CANCEL */))
                pressCloseBox(d.first);
        }
    }
    return end;
}

void expectOneClosingMessage(const RunEnd &end, const std::string &caption, const std::string &text) {
    ASSERT_TRUE(end.messageSeen) << "no closing message box";
    EXPECT_EQ(end.caption, caption);
    EXPECT_EQ(end.text, text);
    EXPECT_EQ(end.furtherDialogs, 0) << "the closing message was not the last dialog";
    ASSERT_TRUE(end.exited) << "the installer still runs after its closing message";
    EXPECT_EQ(end.exitCode, 0u);
}

std::vector<std::string> expectTruthfulInstallation(const RunEnd &end, const MachinePicture &before,
                                                    const MachinePicture &after,
                                                    const PossibleWrites &possible, const char *restartFile) {
    std::vector<std::string> listed;
    EXPECT_TRUE(end.messageSeen) << "no closing message box";
    EXPECT_EQ(end.furtherDialogs, 0) << "the closing message was not the last dialog";
    EXPECT_TRUE(end.exited) << "the installer still runs after its closing message";
    EXPECT_EQ(end.exitCode, 0u);

    const std::string head = std::string(kIncompleteText) + "\n";
    const bool incomplete = end.text.compare(0, head.size(), head) == 0;
    if (incomplete) {
        std::string::size_type pos = head.size();
        while (pos <= end.text.size()) {
            std::string::size_type eol = end.text.find('\n', pos);
            if (eol == std::string::npos)
                eol = end.text.size();
            listed.push_back(lowerAscii(end.text.substr(pos, eol - pos)));
            pos = eol + 1;
        }
    } else {
        EXPECT_EQ(end.text, kSuccessText);
    }

    std::map<std::string, std::string> names; // what the message may list -> how the picture knows it
    for (const auto &f : possible.files)
        names[lowerAscii(f.first)] = lowerAscii(f.first);
    for (const auto &v : possible.values)
        names[lowerAscii(possible.valueNames.count(v.first) ? possible.valueNames.at(v.first) : v.first)] =
            lowerAscii(v.first);
    std::set<std::string> notWritten;
    for (const std::string &item : listed) {
        const auto n = names.find(item);
        if (n == names.end())
            ADD_FAILURE() << "the closing message lists what the installer had no business writing: " << item;
        else
            notWritten.insert(n->second);
    }
    const bool restart = restartFile != nullptr && notWritten.count(lowerAscii(restartFile)) == 0;
    if (incomplete)
        EXPECT_EQ(end.caption, restart ? kIncompleteRestartCaption : kIncompleteCaption);
    else
        EXPECT_EQ(end.caption, restart ? kRestartCaption : kCompletedCaption);

    ExpectedChanges expected;
    for (const auto &f : possible.files)
        if (!notWritten.count(lowerAscii(f.first)))
            expected.files[f.first] = f.second;
    for (const auto &v : possible.values)
        if (!notWritten.count(lowerAscii(v.first)))
            expected.values[v.first] = v.second;
    for (const std::string &problem : unexpectedChanges(before, after, expected))
        ADD_FAILURE() << problem;
    return listed;
}

std::vector<std::string> endLeftoverVms(DWORD installerPid) {
    std::vector<std::string> ended;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ended;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != installerPid || entry.th32ProcessID == GetCurrentProcessId())
            continue;
        // The installer starts nothing but VM launchers; anything else is left alone.
        const std::string name = lowerAscii(entry.szExeFile);
        if (name != "javaw.exe" && name != "jrew.exe")
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT && TerminateProcess(process, 1)) {
            WaitForSingleObject(process, 5000);
            ended.push_back(name + " (process " + std::to_string(entry.th32ProcessID) + ")");
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return ended;
}

FileHolder::FileHolder(const std::string &path, DWORD access, DWORD share) {
    handle_ =
        CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

FileHolder::~FileHolder() {
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
}

bool readMachineValue(const std::string &key, const std::string &name, ValueState &value) {
    std::map<std::string, ValueState> values;
    collectValues(key, false, &name, values);
    const auto v = values.find(valueKey(key, name));
    if (v == values.end())
        return false;
    value = v->second;
    return true;
}

void writeClasspath(const ValueState *value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (value)
        RegSetValueExA(key, "CLASSPATH", 0, value->type, reinterpret_cast<const BYTE *>(value->data.data()),
                       static_cast<DWORD>(value->data.size()));
    else
        RegDeleteValueA(key, "CLASSPATH");
    RegCloseKey(key);
}

SavedClasspath::SavedClasspath() {
    present_ = readMachineValue(kEnvironmentKey, "CLASSPATH", value_);
}

SavedClasspath::~SavedClasspath() {
    writeClasspath(present_ ? &value_ : nullptr);
}

long envNumber(const char *name, long fallback) {
    char buf[64];
    const DWORD n = GetEnvironmentVariableA((std::string("OSTREL_") + name).c_str(), buf, sizeof buf);
    if (n == 0 || n >= sizeof buf)
        return fallback;
    char *end = nullptr;
    const long v = std::strtol(buf, &end, 10);
    return end != buf ? v : fallback;
}

std::uint32_t faultSeed() {
    static const std::uint32_t seed = [] {
        const long given = envNumber("FAULT_SEED", -1);
        const std::uint32_t s = given >= 0 ? static_cast<std::uint32_t>(given)
                                           : (GetTickCount() ^ (GetCurrentProcessId() << 16)) & 0x7FFFFFFF;
        std::printf("fault suite seed: %lu (replay with OSTREL_FAULT_SEED=%lu)\n",
                    static_cast<unsigned long>(s), static_cast<unsigned long>(s));
        std::fflush(stdout);
        return s;
    }();
    return seed;
}

std::mt19937 runGenerator(int run) {
    std::seed_seq seq{faultSeed(), static_cast<std::uint32_t>(run)};
    return std::mt19937(seq);
}

int failedAssertions() {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!info)
        return 0;
    int failed = 0;
    const ::testing::TestResult *result = info->result();
    for (int i = 0; i < result->total_part_count(); ++i)
        if (result->GetTestPartResult(i).failed())
            ++failed;
    return failed;
}

void addSummaryLine(const std::string &line) {
    summaryLines().push_back(line);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void countRuns(const std::string &group, int runs, int inputs, int failures) {
    GroupCounts &c = groupCounts()[group];
    c.runs += runs;
    c.inputs += inputs;
    c.failures += failures;
}

std::string faultDrive() {
    char buf[16];
    const DWORD n = GetEnvironmentVariableA("OSTREL_FAULT_DRIVE", buf, sizeof buf);
    return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string();
}
