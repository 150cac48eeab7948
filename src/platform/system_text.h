// Text that Windows reports, read whole; shared by discovery, verification and installation, beside
// platform/handles.h.
#pragma once

#include <windows.h>

#include <string>

#include "platform/long_names.h"

// True for a byte that begins a double-byte character of the machine's ANSI code page, in which paths and
// the text files are read.
inline bool ansiLeadByte(unsigned char c) {
    return IsDBCSLeadByte(c) != 0;
}

// The text that a call of the Get...A kind reports: get(buffer, size) returns the length written, or the
// size needed when the buffer is too small. Empty when it cannot be read. The first call has a real
// buffer: the oldest systems do not promise to take a null one.
template <typename Get> std::string readWhole(Get get) {
    for (DWORD size = MAX_PATH; size != 0;) {
        std::string text(size, '\0');
        const DWORD length = get(&text[0], size);
        if (length < size)
            return text.substr(0, length);
        size = length; // too small: again with the size now needed
    }
    return std::string();
}

// The version of the running system; dwPlatformId is 0 when it cannot be told.
inline OSVERSIONINFOA windowsVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996) // deprecated, yet the one call that tells the 9x family apart
#endif
    if (!GetVersionExA(&info))
        info.dwPlatformId = 0;
    return info;
}

inline std::string currentDirectory() {
    return readWhole([](char *buffer, DWORD size) { return GetCurrentDirectoryA(size, buffer); });
}

// The full path of a path relative to the current directory (or to a drive's); empty when it has none.
inline std::string fullPath(const std::string &path) {
    return readWhole(
        [&](char *buffer, DWORD size) { return GetFullPathNameA(path.c_str(), size, buffer, nullptr); });
}

inline std::string windowsDirectory() {
    return readWhole(
        [](char *buffer, DWORD size) { return static_cast<DWORD>(GetWindowsDirectoryA(buffer, size)); });
}

inline std::string systemDirectory() {
    return readWhole(
        [](char *buffer, DWORD size) { return static_cast<DWORD>(GetSystemDirectoryA(buffer, size)); });
}

// The name of a path's last component as the file system keeps it: long (as listed), or its 8.3 alias.
inline std::optional<std::string> componentName(const std::string &path, bool shortAlias) {
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return std::nullopt;
    (void)FindClose(find);
    return std::string(shortAlias && found.cAlternateFileName[0] ? found.cAlternateFileName
                                                                 : found.cFileName);
}

// A full path with each component in its long form: one folder has one name, whichever a user typed.
inline std::string longPathName(const std::string &path) {
    return longForm(path, ansiLeadByte, [](const std::string &p) { return componentName(p, false); });
}

// The same with 8.3 names, as WININIT.INI needs them on the 9x family (GetShortPathNameA is not on every
// system the program runs on, FindFirstFileA is).
inline std::string shortPathName(const std::string &path) {
    return longForm(path, ansiLeadByte, [](const std::string &p) { return componentName(p, true); });
}

// The autoexec.bat of the 9x family, at the root of the system drive.
inline std::string autoexecPath() {
    return systemDirectory().substr(0, 3) + "autoexec.bat";
}
