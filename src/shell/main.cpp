// Start-up, the hidden main window and the message loop that carries the whole run.
#include <windows.h>

#include <new>

#include "log/run_log.h"
#include "platform/exit_codes.h"
#include "platform/hardening.h"
#include "platform/system_text.h"
#include "remove/removal.h"
#include "shared/installer.h"
#include "shared/protocol.h"
#include "shell/closing_messages.h"
#include "shell/switches.h"

namespace {
constexpr const char *kMainWindowClass = "Installer Window";
constexpr const char *kMainWindowTitle = "Java Ostrel for Microsoft Windows installer";
constexpr const char *kRunningText = "The installer of the Java Ostrel is already running.";
constexpr const char *kLogCaption = "The log cannot be written";

// True while another copy of the installer runs: two would replace the same files at once. The mutex that
// says so lives as long as this process. From Windows 2000 on it is seen from every session.
bool anotherCopyRuns() {
    const OSVERSIONINFOA version = windowsVersion();
    const bool sessions = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
    const HANDLE mutex =
        CreateMutexA(nullptr, FALSE, sessions ? "Global\\JavaOstrelInstaller" : "JavaOstrelInstaller");
    const DWORD error = GetLastError();
    // Access is denied when another user's copy made it.
    return mutex == nullptr ? error == ERROR_ACCESS_DENIED : error == ERROR_ALREADY_EXISTS;
}
} // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INSTALLER_RUN:
        g_installer->run();
        PostQuitMessage(0);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND createMainWindow() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = 0;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = g_instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hIconSm = LoadIconA(nullptr, IDI_WINLOGO);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kMainWindowClass;
    if (!RegisterClassExA(&wc))
        return nullptr;
    return CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, g_instance,
                           nullptr);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    restrictDllSearch(); // before anything can load a DLL lying next to the installer

    g_instance = instance;
    Switches switches;
    try {
        switches = parseSwitches(GetCommandLineA());
    } catch (const std::bad_alloc &) {
        Installer::showFinalMessage(0, 0); // no memory even for the arguments: nothing has been touched
        return 0;
    }
    // A quiet run and a removal tell by their exit code what happened; an installation with windows ends with
    // 0 whatever happened, as its closing message says (but for a log it cannot open: 1622).
    const bool reports = switches.quiet || switches.remove;
    if (anotherCopyRuns()) { // before the log is opened: it may be the other copy's
        if (!switches.quiet)
            (void)MessageBoxA(nullptr, kRunningText, kCanceledCaption, MB_OK);
        return reports ? kExitAnotherRuns : 0;
    }
    // A command line is judged before anything is created, the log included: an unquoted /log=C:\My Logs\x
    // names C:\My, and "Logs\x" is a switch that the installer does not know.
    if (switches.quiet && !switches.unknown.empty()) {
        return kExitUnknownSwitch;
    }
    if (!switches.log.empty() && !runLog::open(switches.log, GetCommandLineA())) {
        if (!switches.quiet)
            (void)MessageBoxA(nullptr, switches.log.c_str(), kLogCaption, MB_OK | MB_ICONWARNING);
        return kExitLogUnusable;
    }
    if (switches.remove)
        return runLog::finish(runRemoval(switches.quiet));
    try {
        g_installer = new Installer();
    } catch (const std::bad_alloc &) {
        if (!switches.quiet)
            Installer::showFinalMessage(0, 0); // nothing has been touched yet
        return runLog::finish(switches.quiet ? kExitIncomplete : 0, !switches.quiet);
    }
    if (switches.quiet)
        return runLog::finish(g_installer->runQuiet(switches.searchDrives));

    HWND window = createMainWindow();
    if (window == nullptr || !PostMessageA(window, WM_INSTALLER_RUN, 0, 0)) {
        // Without a window to take the start message the run still happens: the wizard needs none.
        g_installer->run();
        return runLog::finish(0, true);
    }

    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return runLog::finish(0, true);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return runLog::finish(static_cast<int>(msg.wParam), true);
}
