#include "driver.h"

#include <algorithm>
#include <cstring>

namespace {
// Text read across processes as wide text (the narrow calls give only a first character under Wine).
std::string toAnsi(const WCHAR *text, int length) {
    std::string s(static_cast<size_t>(length) * 2 + 1, '\0');
    s.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, text, length, &s[0], length * 2, 0, 0)));
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
} // namespace

std::vector<std::pair<HWND, std::string>> processDialogs(DWORD pid) {
    std::vector<std::pair<HWND, std::string>> found;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr;) {
        DWORD owner = 0;
        if (GetWindowThreadProcessId(w, &owner) && owner == pid && IsWindowVisible(w))
            found.emplace_back(w, windowText(w));
    }
    return found;
}

int InstallerRun::endAll() {
    const JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts = processes();
    TerminateJobObject(job, 255);
    return static_cast<int>(counts.ActiveProcesses) - (WaitForSingleObject(pi.hProcess, 0) != 0);
}

InstallerRun::InstallerRun() {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit = {};
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limit, sizeof limit);
}

JOBOBJECT_BASIC_ACCOUNTING_INFORMATION InstallerRun::processes() {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts = {};
    QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &counts, sizeof counts, nullptr);
    return counts;
}

std::string InstallerRun::running() {
    std::vector<ULONG_PTR> buffer(64); // the counts, then the ids of as many processes as fit
    auto &ids = *reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST *>(buffer.data());
    QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids,
                              DWORD(buffer.size() * sizeof(ULONG_PTR)), nullptr);
    std::string text = "running:";
    for (DWORD i = 0; i < ids.NumberOfProcessIdsInList; ++i) {
        char name[MAX_PATH] = "?";
        DWORD size = MAX_PATH;
        if (HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(ids.ProcessIdList[i])))
            QueryFullProcessImageNameA(p, 0, name, &size), CloseHandle(p);
        text += std::string(" ") + name;
    }
    for (const auto &d : processDialogs(pi.dwProcessId))
        text += "; dialog \"" + d.second + "\"";
    return text;
}

bool InstallerRun::start(const std::string &exe, const std::string &dir,
                         const std::vector<std::pair<std::string, std::string>> &env,
                         const std::string &args) {
    for (const auto &variable : env)
        SetEnvironmentVariableA(variable.first.c_str(), variable.second.c_str());
    std::string cmd = "\"" + exe + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(exe.c_str(), &cmd[0], 0, 0, FALSE, CREATE_SUSPENDED, 0, dir.c_str(), &si, &pi))
        return false;
    if (AssignProcessToJobObject(job, pi.hProcess) && ResumeThread(pi.hThread) != static_cast<DWORD>(-1))
        return true;
    const DWORD error = GetLastError(); // a process that is in no job must not outlive the test
    TerminateProcess(pi.hProcess, 1);
    SetLastError(error);
    return false;
}

HWND InstallerRun::waitDialog(const char *caption, DWORD timeoutMs, std::string *seen) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
        for (const auto &d : processDialogs(pi.dwProcessId))
            if (!caption || d.second == caption)
                return (seen ? *seen = d.second : d.second), d.first;
        if (WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0)
            break;
    }
    return nullptr;
}

bool InstallerRun::waitGone(HWND dialog, DWORD timeoutMs) {
    if (!dialog)
        return false; // no dialog to wait for
    for (const DWORD start = GetTickCount(); IsWindow(dialog) && IsWindowVisible(dialog); Sleep(20))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}

bool InstallerRun::waitExit(DWORD timeoutMs, DWORD &exitCode) {
    return WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(pi.hProcess, &exitCode);
}

std::string controlText(HWND dialog, int id) {
    return GetDlgItem(dialog, id) ? windowText(GetDlgItem(dialog, id)) : "<missing>";
}

std::vector<std::string> listItems(HWND dialog, int id) {
    std::vector<std::string> items;
    HWND list = GetDlgItem(dialog, id);
    for (LRESULT i = 0, count = list ? sendTimed(list, LB_GETCOUNT, 0, 0) : 0; i < count; ++i) {
        std::wstring w(static_cast<size_t>(sendTimed(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        sendTimed(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
        items.push_back(toAnsi(w.c_str(), static_cast<int>(w.size() - 1)));
    }
    return items;
}

bool clickButton(HWND dialog, int id) {
    HWND b = GetDlgItem(dialog, id);
    return b && IsWindowEnabled(b) && PostMessageA(dialog, WM_COMMAND, id, reinterpret_cast<LPARAM>(b));
}

void toggleListItem(HWND dialog, int listId, int index) {
    HWND list = GetDlgItem(dialog, listId);
    sendTimed(list, LB_SETSEL, sendTimed(list, LB_GETSEL, index, 0) <= 0, index);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void typeKey(HWND dialog, UINT key) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    // Windows puts the focus on the first tab stop when the dialog is activated; Wine without a window
    // manager sometimes activates it before its controls exist, and leaves the focus on the dialog itself.
    for (int i = 0;
         i < 50 && GetGUIThreadInfo(thread, &info) && (!info.hwndFocus || info.hwndFocus == dialog);
         ++i, Sleep(20))
        PostMessageA(dialog, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(GetNextDlgTabItem(dialog, nullptr, FALSE)), TRUE);
    HWND target = info.hwndFocus ? info.hwndFocus : dialog;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    if (key == VK_SPACE)
        PostMessageA(target, WM_CHAR, ' ', 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    for (int i = 0; key == VK_TAB && i < 100 && GetGUIThreadInfo(thread, &info) && info.hwndFocus == target;
         ++i)
        Sleep(20); // the next key goes where the focus has moved
}

void pressCloseBox(HWND dialog) {
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool makeDirs(const std::string &path) {
    const size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2)
        makeDirs(path.substr(0, slash));
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool writeFile(const std::string &path, const std::string &content) {
    makeDirs(path.substr(0, path.find_last_of('\\')));
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    return CloseHandle(f) && written == content.size();
}

bool readFile(const std::string &path, std::string &content) {
    HANDLE f =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD got = 0;
    content.assign(GetFileSize(f, nullptr), '\0');
    const bool read =
        content.empty() || ReadFile(f, &content[0], static_cast<DWORD>(content.size()), &got, 0);
    content.resize(got);
    return CloseHandle(f) && read;
}

void walkTree(const std::string &dir, const std::function<void(const std::string &, DWORD)> &visit) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &fd)) {
        const std::string path = dir + "\\" + fd.cFileName;
        if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, ".."))
            continue;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            walkTree(path, visit);
        visit(path, fd.dwFileAttributes);
    }
    FindClose(find);
}

void removeTree(const std::string &path, bool self) {
    walkTree(path, [](const std::string &child, DWORD) {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        (void)(DeleteFileA(child.c_str()) || RemoveDirectoryA(child.c_str()));
    });
    if (self)
        RemoveDirectoryA(path.c_str());
}

bool setMachineValue(const std::string &key, const char *name, DWORD type, const std::string &data) {
    return !RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, type, data.data(), DWORD(data.size()));
}

std::string hostPathFromEnv(const char *variable) {
    std::string path = getenv(variable) ? getenv(variable) : "";
    std::replace(path.begin(), path.end(), '/', '\\'); // the Z: drive of a Wine prefix maps the host's root
    return path[0] == '\\' ? "Z:" + path : path;
}

bool placeStandin(const std::string &dir, const std::vector<std::string> &names,
                  const std::vector<std::string> &config) {
    std::string cfg;
    for (const std::string &line : config)
        cfg += line + "\r\n";
    bool ok = writeFile(dir + "\\standin.cfg", cfg);
    for (const std::string &name : names)
        ok = ok && CopyFileA(hostPathFromEnv("OSTREL_STANDIN").c_str(), (dir + "\\" + name).c_str(), FALSE);
    return ok;
}
