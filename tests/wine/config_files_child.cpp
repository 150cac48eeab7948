// Runs one editor in a process of its own, so that the Windows version that Wine reports to it can be
// another than the test's: Wine fixes a process's version when it starts. The exit code is the result.
//   config_files_child platform                        -> the platform id that GetVersionExA reports
//   config_files_child awt <directory> <fileName>      -> patchAwtProperties
//   config_files_child autoexec <root> <fileName> <target> -> patchAutoexec
#include <windows.h>

#include <cstring>

#include "install/config_files.h"

int main(int argc, char **argv) {
    if (argc == 2 && std::strcmp(argv[1], "platform") == 0) {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
        return GetVersionExA(&info) ? static_cast<int>(info.dwPlatformId) : 100;
    }
    if (argc == 4 && std::strcmp(argv[1], "awt") == 0)
        return patchAwtProperties(argv[2], argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "autoexec") == 0)
        return patchAutoexec(argv[2], argv[3], argv[4]);
    return 101;
}
