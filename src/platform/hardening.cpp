#include "platform/hardening.h"

#include <windows.h>

#include "platform/kernel_function.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

bool restrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI *)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI *)(LPCSTR);

    if (auto setDefault = kernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories")) {
        if (setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
            return true;
    }
    // Where only the older call exists, at least take the current directory out of the search.
    if (auto setDir = kernelFunction<SetDllDirectoryFn>("SetDllDirectoryA"))
        return setDir("") != 0;
    return false;
}
