// The sample machine of `make demo`, and a scripted user who clicks through the installer on it and
// prints every screen that it sees.
//   demo_user state WHEN        prints the registry CLASSPATH and the bridge's files on the machine
//   demo_user setup            creates the sample VMs and their registry keys, prints the PATH to use
//   demo_user run EXE DIR PATH [ACTION...]  starts EXE in DIR with PATH and works its dialogs, one
//                               action per dialog (see nextAction)
//   demo_user watch EXE DIR PATH starts EXE the same way and waits while a person clicks through
#include <windows.h>

#include <cstdio>
#include <set>
#include <vector>
#include <string>

#include "discovery/registry_keys.h"
#include "driver.h"
#include "resource.h"

namespace {
const std::string kRoot = "C:\\OstrelDemo";

void printScreen(HWND d, const std::string &caption) {
    std::printf("\n== screen: \"%s\"\n", caption.c_str());
    const std::string prompt = controlText(d, IDC_PROMPT);
    if (prompt != "<missing>")
        std::printf("   %s\n", prompt.c_str());
    for (int list : {IDC_VM_LIST, IDC_DRIVE_LIST})
        for (const std::string &item : listItems(d, list))
            std::printf("     %s\n", item.c_str());
    std::string buttons;
    for (int id : {IDC_INSTALL_ALL, IDC_INSTALL, IDC_SEARCH, IDC_CANCEL})
        if (GetDlgItem(d, id))
            buttons +=
                "[" + controlText(d, id) + (IsWindowEnabled(GetDlgItem(d, id)) ? "" : " (disabled)") + "] ";
    std::printf("   buttons: %s\n", buttons.c_str());
    std::fflush(stdout);
}

int setup() {
    struct Vm {
        const char *home;
        int registryKey;    // index into the vendor's table, or -1 when the VM is only on PATH
        const char *answer; // what the tester says inside it
    };
    // Answers as the tester gives them in VMs of the 1.1, 1.3 and 1.4 generations.
    const Vm vms[] = {{"jdk1.1.8", -1, "3,400"}, {"jdk1.3.1", 5, "7,400"}, {"j2sdk1.4.1", 10, "15,400"}};
    for (const Vm &vm : vms) {
        const std::string home = kRoot + "\\" + vm.home;
        placeStandin(home + "\\bin", {"java.exe", "javaw.exe"}, {std::string("*=") + vm.answer});
        if (std::string(vm.home) == "jdk1.1.8")
            writeFile(home + "\\lib\\awt.properties", "AWT.toolkit=sun.awt.windows.WToolkit\r\n");
        else
            makeDirs(home + "\\jre\\lib\\ext");
        if (vm.registryKey >= 0)
            setMachineValue(kJavaHomeKeys[vm.registryKey], kJavaHomeValue, REG_SZ, home + '\0');
    }
    makeDirs(kRoot + "\\setup");
    std::printf("%s\\jdk1.1.8\\bin;C:\\windows\\system32;C:\\windows\n", kRoot.c_str());
    return 0;
}

// What the installation touches: the bridge's files under the demo folder and in the system directory,
// the 1.1 VM's awt.properties, and the system-wide CLASSPATH.
void listBridgeFiles(const std::string &dir) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == ".." || name == "setup")
            continue;
        const std::string path = dir + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listBridgeFiles(path);
        else if (name == "tamrix.jar" || name == "ostrel.jar" || name == "accessibility.properties")
            std::printf("   %s\n", path.c_str());
        else if (name == "awt.properties") {
            std::string text;
            readFile(path, text);
            std::printf("   %s:\n", path.c_str());
            for (std::string::size_type pos = 0; pos < text.size();) {
                const std::string::size_type end = text.find("\r\n", pos);
                std::printf("      %s\n", text.substr(pos, end - pos).c_str());
                pos = end == std::string::npos ? text.size() : end + 2;
            }
        }
    } while (FindNextFileA(find, &fd));
    FindClose(find);
}

int state(const char *when) {
    std::printf("\n== %s\n", when);
    HKEY key;
    char value[4096] = "";
    DWORD size = sizeof value - 1, type = 0;
    bool present = false;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager\\Environment",
                      0, KEY_READ, &key) == ERROR_SUCCESS) {
        present = RegQueryValueExA(key, "CLASSPATH", nullptr, &type, reinterpret_cast<BYTE *>(value),
                                   &size) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    std::printf("   registry CLASSPATH: %s\n", present ? value : "(not set)");
    listBridgeFiles(kRoot);
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, sizeof sys);
    for (const char *dll : {"JavaOstrel.dll", "WindowsOstrel.dll", "JAWTOstrel.dll"}) {
        const std::string path = std::string(sys) + "\\" + dll;
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            std::printf("   %s\n", path.c_str());
    }
    std::fflush(stdout);
    return 0;
}

// Saves what the screen shows of a window (caption and frame included) as a 24-bit BMP file.
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
        ok = BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != 0; // what a user sees there
        GdiFlush();
        SelectObject(memory, old);
        const DWORD imageBytes = ((static_cast<DWORD>(w) * 3 + 3) & ~3u) * static_cast<DWORD>(h);
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + imageBytes;
        std::string data(reinterpret_cast<const char *>(&file), sizeof file);
        data.append(reinterpret_cast<const char *>(&info.bmiHeader), sizeof info.bmiHeader);
        data.append(static_cast<const char *>(bits), imageBytes);
        ok = ok && writeFile(bmpPath, data);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

// With OSTREL_SHOTS naming a folder, every screen is saved there as "<n>-<caption>.bmp".
void shoot(HWND d, const std::string &caption) {
    char dir[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("OSTREL_SHOTS", dir, sizeof dir);
    if (n == 0 || n >= sizeof dir)
        return;
    static int count = 0;
    std::string name;
    for (char c : caption)
        name += (isalnum(static_cast<unsigned char>(c)) ? c : '_');
    Sleep(300); // let the dialog finish painting
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02d-", ++count);
    saveWindowImage(d, std::string(dir, n) + "\\" + prefix + name + ".bmp");
}

// The user's answer to one dialog, from a script of actions taken in order: "install-all", "search",
// "cancel", "close", "install:0+2" (select items 0 and 2, then Install), "drives:D+C" (select those
// drives, then Search drive(s)). Without a script: Install in All where there is a list, else Cancel.
std::string nextAction(std::vector<std::string> &script, const std::string &caption, HWND d) {
    if (!script.empty()) {
        const std::string action = script.front();
        script.erase(script.begin());
        return action;
    }
    (void)caption;
    return GetDlgItem(d, IDC_VM_LIST) ? "install-all" : "cancel";
}

// Selects the items whose text begins with "[<letter>:" or whose index is given, with the notification a
// click sends.
void selectItems(HWND d, int list, const std::string &which, bool byDriveLetter) {
    const std::vector<std::string> items = listItems(d, list);
    std::string::size_type pos = 0;
    while (pos < which.size()) {
        std::string::size_type end = which.find('+', pos);
        if (end == std::string::npos)
            end = which.size();
        const std::string token = which.substr(pos, end - pos);
        pos = end + 1;
        for (size_t k = 0; k < items.size(); ++k)
            if (byDriveLetter ? items[k] == "[" + token + ":]" : std::to_string(k) == token)
                toggleListItem(d, list, static_cast<int>(k));
    }
    Sleep(150);
}

void act(HWND d, const std::string &action) {
    std::printf("   the user: %s\n", action.c_str());
    std::fflush(stdout);
    if (action == "install-all")
        clickButton(d, IDC_INSTALL_ALL);
    else if (action == "search")
        clickButton(d, IDC_SEARCH);
    else if (action == "close")
        pressCloseBox(d);
    else if (action.compare(0, 8, "install:") == 0) {
        selectItems(d, IDC_VM_LIST, action.substr(8), false);
        clickButton(d, IDC_INSTALL);
    } else if (action.compare(0, 7, "drives:") == 0) {
        selectItems(d, IDC_DRIVE_LIST, action.substr(7), true);
        shoot(d, "drives selected");
        clickButton(d, IDC_SEARCH);
    } else
        clickButton(d, IDC_CANCEL);
}

int run(const std::string &exe, const std::string &dir, const std::string &path, bool scripted,
        std::vector<std::string> script) {
    InstallerRun run;
    if (!run.start(exe, dir, {{"PATH", path}})) {
        std::printf("could not start %s\n", exe.c_str());
        return 1;
    }
    std::printf("installer started in %s with PATH=%s\n", dir.c_str(), path.c_str());
    std::fflush(stdout);
    std::set<HWND> seen;
    DWORD code = 0;
    while (!run.waitExit(0, code)) {
        std::string caption;
        HWND d = run.waitDialog(nullptr, 60000, &caption);
        if (!d)
            continue;
        if (GetDlgItem(d, 0xFFFF)) { // the closing message box
            shoot(d, caption);
            std::printf("\n== closing message, caption \"%s\":\n   %s\n", caption.c_str(),
                        controlText(d, 0xFFFF).c_str());
            std::fflush(stdout);
            if (scripted)
                clickButton(d, IDOK);
            run.waitGone(d, 600000);
            continue;
        }
        const bool progress = GetDlgItem(d, IDC_STATUS) != nullptr;
        if (seen.insert(d).second) {
            printScreen(d, caption);
            if (progress) // shown once it shows a path
                for (int i = 0; i < 200 && controlText(d, IDC_STATUS).empty(); ++i)
                    Sleep(10);
            shoot(d, caption);
        }
        if (progress) { // show what it shows until it ends
            std::string last;
            while (IsWindow(d) && IsWindowVisible(d)) {
                const std::string text = controlText(d, IDC_STATUS);
                if (!text.empty() && text != last)
                    std::printf("     %s\n", (last = text).c_str());
                std::fflush(stdout);
                Sleep(20);
            }
            continue;
        }
        if (!scripted) {
            run.waitGone(d, 600000);
            continue;
        }
        act(d, nextAction(script, caption, d));
        run.waitGone(d, 600000);
    }
    std::printf("\ninstaller ended with exit code %lu\n", static_cast<unsigned long>(code));
    return 0;
}
} // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "setup")
        return setup();
    if (mode == "state" && argc == 3)
        return state(argv[2]);
    if ((mode == "run" || mode == "watch") && argc >= 5) {
        std::vector<std::string> script(argv + 5, argv + argc);
        return run(argv[2], argv[3], argv[4], mode == "run", script);
    }
    std::fprintf(stderr,
                 "usage: demo_user setup | state WHEN | run EXE DIR PATH [ACTION...] | watch EXE DIR PATH\n");
    return 2;
}
