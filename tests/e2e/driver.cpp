#include "driver.h"

namespace {
constexpr DWORD kPollMs = 20;

// Wide text, read across processes as engineering notes advise, in this process's ANSI code page.
std::string toAnsi(const WCHAR *text, int length) {
    if (length <= 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, &s[0], size, nullptr, nullptr);
    return s;
}

std::string windowText(HWND w) {
    WCHAR buf[1024];
    return toAnsi(buf, GetWindowTextW(w, buf, 1024));
}

struct Search {
    DWORD pid;
    std::vector<std::pair<HWND, std::string>> found;
};

BOOL CALLBACK collectDialog(HWND w, LPARAM lp) {
    auto *s = reinterpret_cast<Search *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid || !IsWindowVisible(w))
        return TRUE;
    char cls[64];
    if (GetClassNameA(w, cls, sizeof cls) && strcmp(cls, "#32770") == 0)
        s->found.emplace_back(w, windowText(w));
    return TRUE;
}

bool sendWithTimeout(HWND w, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR *result = nullptr) {
    DWORD_PTR r = 0;
    const bool ok = SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, 10000, &r) != 0;
    if (result)
        *result = r;
    return ok;
}
} // namespace

std::vector<std::pair<HWND, std::string>> processDialogs(DWORD pid) {
    Search s{pid, {}};
    EnumWindows(collectDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

InstallerRun::~InstallerRun() {
    if (pi_.hProcess) {
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(pi_.hProcess, 255);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
}

bool InstallerRun::start(const std::string &exe, const std::string &workDir,
                         const std::vector<EnvChange> &env, const std::string &extraArgs) {
    // The child inherits this process's environment: change it for the start, then put it back.
    std::vector<EnvChange> saved;
    for (const EnvChange &c : env) {
        char buf[32768];
        const DWORD n = GetEnvironmentVariableA(c.first.c_str(), buf, sizeof buf);
        saved.emplace_back(c.first, n > 0 && n < sizeof buf ? std::optional<std::string>(std::string(buf, n))
                                                            : std::nullopt);
        SetEnvironmentVariableA(c.first.c_str(), c.second ? c.second->c_str() : nullptr);
    }
    std::string cmd = "\"" + exe + "\"" + (extraArgs.empty() ? "" : " " + extraArgs);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    const BOOL ok = CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   workDir.empty() ? nullptr : workDir.c_str(), &si, &pi_);
    for (const EnvChange &c : saved)
        SetEnvironmentVariableA(c.first.c_str(), c.second ? c.second->c_str() : nullptr);
    return ok != 0;
}

HWND InstallerRun::waitAnyDialog(std::string *caption, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        for (const auto &d : processDialogs(pi_.dwProcessId)) {
            if (caption)
                *caption = d.second;
            return d.first;
        }
        if (WaitForSingleObject(pi_.hProcess, kPollMs) == WAIT_OBJECT_0)
            return nullptr;
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

HWND InstallerRun::waitDialog(const char *caption, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        for (const auto &d : processDialogs(pi_.dwProcessId))
            if (d.second == caption)
                return d.first;
        if (WaitForSingleObject(pi_.hProcess, kPollMs) == WAIT_OBJECT_0)
            return nullptr;
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

bool InstallerRun::waitGone(HWND dialog, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        if (!IsWindow(dialog) || !IsWindowVisible(dialog))
            return true;
        Sleep(kPollMs);
    } while (GetTickCount() - start < timeoutMs);
    return false;
}

std::optional<MessageBoxSeen> InstallerRun::waitMessageBox(DWORD timeoutMs, bool pressOk) {
    const DWORD start = GetTickCount();
    do {
        for (const auto &d : processDialogs(pi_.dwProcessId)) {
            HWND text = GetDlgItem(d.first, 0xFFFF);
            if (!text)
                continue; // a dialog of ours, not a message box
            MessageBoxSeen seen;
            seen.window = d.first;
            seen.caption = d.second;
            seen.text = windowText(text);
            if (pressOk)
                clickButton(d.first, IDOK);
            return seen;
        }
        if (WaitForSingleObject(pi_.hProcess, kPollMs) == WAIT_OBJECT_0)
            return std::nullopt;
    } while (GetTickCount() - start < timeoutMs);
    return std::nullopt;
}

bool InstallerRun::waitExit(DWORD timeoutMs, DWORD &exitCode) {
    if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(pi_.hProcess, &exitCode) != 0;
}

std::string controlText(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    return c ? windowText(c) : std::string("<missing>");
}

std::vector<std::string> listItems(HWND dialog, int id) {
    std::vector<std::string> items;
    HWND list = GetDlgItem(dialog, id);
    DWORD_PTR count = 0;
    if (!list || !sendWithTimeout(list, LB_GETCOUNT, 0, 0, &count))
        return items;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR len = 0;
        sendWithTimeout(list, LB_GETTEXTLEN, i, 0, &len);
        std::wstring w(len + 1, L'\0');
        sendWithTimeout(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
        items.push_back(toAnsi(w.c_str(), static_cast<int>(len)));
    }
    return items;
}

std::vector<int> selectedItems(HWND dialog, int id) {
    std::vector<int> sel;
    HWND list = GetDlgItem(dialog, id);
    DWORD_PTR count = 0;
    if (!list || !sendWithTimeout(list, LB_GETCOUNT, 0, 0, &count))
        return sel;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR s = 0;
        sendWithTimeout(list, LB_GETSEL, i, 0, &s);
        if (s > 0)
            sel.push_back(static_cast<int>(i));
    }
    return sel;
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
    if (!b || !IsWindowEnabled(b))
        return false;
    // Posted as the button's own click notification would be, so that the installer's next dialog
    // cannot hold this call up.
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(b)) != 0;
}

bool toggleListItem(HWND dialog, int listId, int index) {
    HWND list = GetDlgItem(dialog, listId);
    DWORD_PTR state = 0;
    if (!list || !sendWithTimeout(list, LB_GETSEL, index, 0, &state))
        return false;
    sendWithTimeout(list, LB_SETSEL, state > 0 ? FALSE : TRUE, index);
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(list)) != 0;
}

void pressEscape(HWND dialog) {
    PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(dialog, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void pressCloseBox(HWND dialog) {
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool saveWindowImage(HWND window, const std::string &bmpPath) {
    RECT r;
    if (!GetWindowRect(window, &r))
        return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h; // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        // From the screen, so that what is saved is what a user sees at that place.
        ok = BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
        const DWORD rowBytes = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
        const DWORD imageBytes = rowBytes * static_cast<DWORD>(h);
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + imageBytes;
        std::string data(reinterpret_cast<const char *>(&file), sizeof file);
        data.append(reinterpret_cast<const char *>(&info.bmiHeader), sizeof info.bmiHeader);
        data.append(static_cast<const char *>(bits), imageBytes);
        HANDLE f = CreateFileA(bmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ok = ok && f != INVALID_HANDLE_VALUE &&
             WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
             written == data.size();
        if (f != INVALID_HANDLE_VALUE)
            CloseHandle(f);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}
