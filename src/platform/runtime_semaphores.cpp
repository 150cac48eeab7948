// MinGW-w64 builds only. The C++ runtime of the win32 thread model makes the semaphore of each of its
// mutexes with CreateSemaphoreW, which Windows 95, 98 and ME export but do not implement: there every such
// mutex would fail the moment two threads contend for it (two exceptions thrown at once, say, as when
// memory runs out). The runtime calls the function through its import address; this program gives that
// address to the narrow form, which every system implements, so the wide one is not imported at all.
#include <windows.h>

namespace {
HANDLE WINAPI createSemaphoreNarrow(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum,
                                    LPCWSTR name) {
    if (name != nullptr) { // the runtime's semaphores have no name, and no other caller is linked in
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    return CreateSemaphoreA(attributes, initial, maximum, nullptr);
}
} // namespace

extern "C" {
extern decltype(&createSemaphoreNarrow) const createSemaphoreImport __asm__("__imp__CreateSemaphoreW@16");
decltype(&createSemaphoreNarrow) const createSemaphoreImport = createSemaphoreNarrow;
}
