// A function of kernel32.dll that the oldest systems lack, looked up rather than imported, so that the
// program still starts there: null where the system has no such function.
#pragma once

#include <windows.h>

template <typename Fn> Fn kernelFunction(const char *name) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)));
}
