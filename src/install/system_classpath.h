// The system-wide CLASSPATH of the NT family, which the installation extends and the removal takes back:
// where it is kept, and how running programs learn of a change.
#pragma once

#include <windows.h>

constexpr const char *kEnvironmentKey = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char *kClasspathValue = "CLASSPATH";
// The value as the closing messages and the log name it.
constexpr const char *kClasspathFullName =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager\\Environment\\CLASSPATH";

// Tells running programs that the system environment changed, so that programs they start see the new
// CLASSPATH; a program that does not answer within the time-out is passed over.
inline void announceEnvironmentChange() {
    constexpr UINT kBroadcastTimeoutMs = 5000;
    DWORD_PTR ignored = 0;
    (void)SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"),
                              SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &ignored);
}
