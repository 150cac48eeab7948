// `make bench`: the installer's search of a generated tree of 20,000 directories on a drive of its own
// (T:), timed from the press of "Search drive(s)" to the end of the searching dialog, against a bare
// recursive FindFirstFileA walk of the same tree that also looks for java.exe in each directory, and
// against `cmd /c dir /s /b /ad`. Each is measured several times, interleaved; medians are reported.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"
#include "resource.h"

namespace {
constexpr const char *kDrive = "T:";
constexpr const char *kDriveItem = "[T:]";

double seconds() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The baseline: what any program that looks for java.exe in every directory of a tree must do.
void bareWalk(const std::string &dir, long &dirs, long &finds) {
    ++dirs;
    WIN32_FIND_DATAA entry;
    HANDLE launcher = FindFirstFileA((dir + "\\java.exe").c_str(), &entry);
    if (launcher != INVALID_HANDLE_VALUE) {
        FindClose(launcher);
        ++finds;
        return;
    }
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.cFileName[0] != '.')
            bareWalk(dir + "\\" + entry.cFileName, dirs, finds);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

double timeBareWalk(long &dirs) {
    long finds = 0;
    dirs = 0;
    const double start = seconds();
    bareWalk(kDrive, dirs, finds);
    return seconds() - start;
}

double timeCmdDir() {
    std::string cmd = std::string("cmd.exe /c dir /s /b /ad ") + kDrive + "\\ >NUL";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const double start = seconds();
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                        &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    const double took = seconds() - start;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return took;
}

// One run of installer.exe with no VM to find: the no-VMs dialog, Search Disks, [T:], Search drive(s);
// the time until the searching dialog has ended; then Cancel. Negative when a step failed.
double timeInstallerSearch(const std::string &installer, const std::string &startDir) {
    InstallerRun run;
    if (!run.start(installer, startDir, {{"PATH", std::string()}}))
        return -1;
    HWND noVms = run.waitDialog("No Java VMs found");
    if (!noVms || !clickButton(noVms, IDC_SEARCH))
        return -2;
    HWND drives = run.waitDialog("Drives to search on");
    if (!drives)
        return -3;
    const std::vector<std::string> items = listItems(drives, IDC_DRIVE_LIST);
    const auto item = std::find(items.begin(), items.end(), kDriveItem);
    if (item == items.end() ||
        !toggleListItem(drives, IDC_DRIVE_LIST, static_cast<int>(item - items.begin())))
        return -4;
    Sleep(200); // let the selection settle before the press
    const double start = seconds();
    if (!clickButton(drives, IDC_SEARCH))
        return -5;
    HWND searching = run.waitDialog("Searching for Java VMs", 60000);
    if (!searching || !run.waitGone(searching, 600000))
        return -6;
    const double took = seconds() - start;
    HWND again = run.waitDialog("No Java VMs found");
    if (!again || !clickButton(again, IDC_CANCEL) || !run.waitMessageBox())
        return -7;
    DWORD code = 0;
    run.waitExit(10000, code);
    return took;
}
} // namespace

int main(int argc, char **argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char buf[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("OSTREL_INSTALLER", buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) {
        std::fprintf(stderr, "OSTREL_INSTALLER is not set\n");
        return 2;
    }
    const std::string installer(buf, n);
    const std::string startDir = "C:\\ostrel\\bench-setup";
    CreateDirectoryA(startDir.c_str(), nullptr);

    long dirs = 0;
    timeBareWalk(dirs); // warm-up: the first walk also fills the host's caches
    std::printf("tree on %s: %ld directories below the root\n", kDrive, dirs - 1);
    // The machine's speed drifts: each search is set against the mean of a bare walk just before and
    // one just after it, and the median of these ratios is the figure that counts.
    std::vector<double> bare, search, dir, ratio;
    double before = timeBareWalk(dirs);
    for (int i = 0; i < runs; ++i) {
        const double s = timeInstallerSearch(installer, startDir);
        if (s < 0) {
            std::fprintf(stderr, "installer run failed at step %d\n", static_cast<int>(-s));
            return 1;
        }
        const double after = timeBareWalk(dirs);
        const double walk = (before + after) / 2;
        search.push_back(s);
        bare.push_back(walk);
        ratio.push_back(s / walk);
        const double d = i < 3 ? timeCmdDir() : -1; // slow, and steady enough in three runs
        if (d >= 0)
            dir.push_back(d / walk);
        std::printf("run %d: search %.2f s, bare walk %.2f s (%.2f before, %.2f after), ratio %.2f", i + 1, s,
                    walk, before, after, s / walk);
        if (d >= 0)
            std::printf(", cmd dir %.2f s (%.2f)", d, d / walk);
        std::printf("\n");
        std::fflush(stdout);
        before = after;
    }
    std::printf("median of %d runs: installer search %.2f s, bare walk %.2f s; ratio %.2f (bar 1.5)\n", runs,
                median(search), median(bare), median(ratio));
    std::printf("cmd /c dir /s /b /ad: %.2f times the bare walk (median of %zu runs)\n", median(dir),
                dir.size());
    return 0;
}
