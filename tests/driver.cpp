#include "driver.h"

#include <cstring>

namespace {
// Text read across processes as wide text (the narrow calls return only a first character under Wine),
// in this process's ANSI code page.
std::string toAnsi(const WCHAR *text, int length) {
    if (length <= 0)
        return std::string();
    std::string s(static_cast<size_t>(length) * 2, '\0');
    s.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_ACP, 0, text, length, &s[0], length * 2, nullptr, nullptr)));
    return s;
}

std::string windowText(HWND w) {
    WCHAR buf[2048];
    return toAnsi(buf, GetWindowTextW(w, buf, 2048));
}

LRESULT sendTimed(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, 10000, &r);
    return static_cast<LRESULT>(r);
}

struct Search {
    DWORD pid;
    std::vector<std::pair<HWND, std::string>> found;
};

BOOL CALLBACK collectDialog(HWND w, LPARAM lp) {
    auto *s = reinterpret_cast<Search *>(lp);
    DWORD pid = 0;
    char cls[16];
    GetWindowThreadProcessId(w, &pid);
    if (pid == s->pid && IsWindowVisible(w) && GetClassNameA(w, cls, sizeof cls) && !strcmp(cls, "#32770"))
        s->found.emplace_back(w, windowText(w));
    return TRUE;
}
} // namespace

std::vector<std::pair<HWND, std::string>> processDialogs(DWORD pid) {
    Search s{pid, {}};
    EnumWindows(collectDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

InstallerRun::InstallerRun() : job_(CreateJobObjectA(nullptr, nullptr)) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

InstallerRun::~InstallerRun() {
    endAll();
    CloseHandle(job_);
    if (pi_.hProcess) {
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
}

int InstallerRun::endAll() {
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[63];
    } ids = {};
    ids.list.NumberOfAssignedProcesses = 64;
    QueryInformationJobObject(job_, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr);
    int others = 0;
    for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; ++i)
        others += ids.list.ProcessIdList[i] != pi_.dwProcessId;
    TerminateJobObject(job_, 255);
    return others;
}

bool InstallerRun::start(const std::string &exe, const std::string &workDir,
                         const std::vector<EnvChange> &env, const std::string &extraArgs) {
    // The installer inherits this process's environment: changed for the start, then put back.
    std::vector<EnvChange> saved;
    for (const EnvChange &c : env) {
        std::string old(32768, '\0');
        const DWORD n = GetEnvironmentVariableA(c.first.c_str(), &old[0], 32768);
        saved.emplace_back(c.first,
                           n > 0 && n < 32768 ? std::optional<std::string>(old.substr(0, n)) : std::nullopt);
        SetEnvironmentVariableA(c.first.c_str(), c.second ? c.second->c_str() : nullptr);
    }
    std::string cmd = "\"" + exe + "\"" + (extraArgs.empty() ? "" : " " + extraArgs);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    const BOOL ok = CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                   workDir.c_str(), &si, &pi_);
    for (const EnvChange &c : saved)
        SetEnvironmentVariableA(c.first.c_str(), c.second ? c.second->c_str() : nullptr);
    if (ok) {
        AssignProcessToJobObject(job_, pi_.hProcess);
        ResumeThread(pi_.hThread);
    }
    return ok != 0;
}

HWND InstallerRun::waitAnyDialog(std::string *caption, DWORD timeoutMs, const char *wanted) {
    const DWORD start = GetTickCount();
    do {
        for (const auto &d : processDialogs(pi_.dwProcessId)) {
            if (wanted && d.second != wanted)
                continue;
            if (caption)
                *caption = d.second;
            return d.first;
        }
        if (WaitForSingleObject(pi_.hProcess, 20) == WAIT_OBJECT_0)
            return nullptr;
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

bool InstallerRun::waitGone(HWND dialog, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(dialog) && IsWindowVisible(dialog)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

bool InstallerRun::waitExit(DWORD timeoutMs, DWORD &exitCode) {
    return WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(pi_.hProcess, &exitCode);
}

std::string controlText(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    return c ? windowText(c) : std::string("<missing>");
}

std::vector<std::string> listItems(HWND dialog, int id) {
    std::vector<std::string> items;
    HWND list = GetDlgItem(dialog, id);
    const LRESULT count = list ? sendTimed(list, LB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring w(static_cast<size_t>(sendTimed(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        sendTimed(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
        items.push_back(toAnsi(w.c_str(), static_cast<int>(w.size() - 1)));
    }
    return items;
}

bool controlEnabled(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    return c && IsWindowEnabled(c);
}

bool controlExists(HWND dialog, int id) {
    return GetDlgItem(dialog, id) != nullptr;
}

bool clickButton(HWND dialog, int id) {
    HWND b = GetDlgItem(dialog, id);
    // Posted, as the button's own notification is, so that the next dialog cannot hold this call up.
    return b && IsWindowEnabled(b) &&
           PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(b));
}

bool toggleListItem(HWND dialog, int listId, int index) {
    HWND list = GetDlgItem(dialog, listId);
    if (!list)
        return false;
    sendTimed(list, LB_SETSEL, sendTimed(list, LB_GETSEL, index, 0) > 0 ? FALSE : TRUE, index);
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(list));
}

void typeKey(HWND dialog, UINT key) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : dialog;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    if (key == VK_SPACE)
        PostMessageA(target, WM_CHAR, ' ', 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void pressCloseBox(HWND dialog) {
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool makeDirs(const std::string &path) {
    const std::string::size_type slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2)
        makeDirs(path.substr(0, slash));
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool writeFile(const std::string &path, const std::string &content) {
    makeDirs(path.substr(0, path.find_last_of('\\')));
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = f != INVALID_HANDLE_VALUE &&
                    WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    if (f != INVALID_HANDLE_VALUE)
        CloseHandle(f);
    return ok && written == content.size();
}

bool readFile(const std::string &path, std::string &content) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    content.assign(GetFileSize(f, nullptr), '\0');
    DWORD got = 0;
    const bool ok = content.empty() ||
                    (ReadFile(f, &content[0], static_cast<DWORD>(content.size()), &got, nullptr) && got);
    CloseHandle(f);
    content.resize(got);
    return ok;
}

bool fileExists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void removeTree(const std::string &path, bool self) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string child = path + "\\" + fd.cFileName;
            if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, ".."))
                continue;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                removeTree(child);
            else if (!DeleteFileA(child.c_str()))
                RemoveDirectoryA(child.c_str());
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    if (self)
        RemoveDirectoryA(path.c_str());
}

bool setMachineValue(const std::string &key, const char *name, DWORD type, const std::string &data) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE *>(data.data()),
                                   static_cast<DWORD>(data.size()));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

bool setMachineString(const char *key, const char *name, const std::string &text) {
    return setMachineValue(key, name, REG_SZ, text + '\0');
}

std::string hostPathFromEnv(const char *variable) {
    const char *value = getenv(variable);
    std::string path = value ? value : "";
    if (!path.empty() && path[0] == '/') { // the Z: drive of a Wine prefix maps the host's root
        for (char &c : path)
            c = c == '/' ? '\\' : c;
        path = "Z:" + path;
    }
    return path;
}

bool placeStandin(const std::string &dir, const std::vector<std::string> &names,
                  const std::vector<std::string> &config) {
    const std::string standin = hostPathFromEnv("OSTREL_STANDIN");
    makeDirs(dir);
    for (const std::string &name : names)
        if (!CopyFileA(standin.c_str(), (dir + "\\" + name).c_str(), FALSE))
            return false;
    std::string cfg;
    for (const std::string &line : config)
        cfg += line + "\r\n";
    return writeFile(dir + "\\standin.cfg", cfg);
}
