#include "shell/hardening.h"

#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {
// The 9x family and old NT systems lack these calls, so they are looked up rather than imported.
template <typename Fn> Fn kernelFunction(const char *name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)));
}
} // namespace

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
