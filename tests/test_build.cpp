// In installer_test.exe: the probe limit is OSTREL_PROBE_LIMIT_MS; allocation number OSTREL_FAIL_ALLOCATION
// fails as when memory runs out, and the file OSTREL_ALLOCATIONS receives "<allocations> <the one failed>";
// the process ends at once, as at a power loss, just before its change to the machine numbered
// OSTREL_CUT_CHANGE, and the file OSTREL_CHANGES receives the number of changes of a run that was not cut.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "verify/probe_limit.h"

namespace {
std::atomic<long> g_allocations{0}, g_failed{0}, g_changes{0};
const long g_failing = atol(getenv("OSTREL_FAIL_ALLOCATION") ? getenv("OSTREL_FAIL_ALLOCATION") : "0"),
           g_cutAt = atol(getenv("OSTREL_CUT_CHANGE") ? getenv("OSTREL_CUT_CHANGE") : "0");

void writeCount(const char *variable, const char *format, long a, long b) {
    if (FILE *out = getenv(variable) && *getenv(variable) ? fopen(getenv(variable), "w") : nullptr) {
        fprintf(out, format, a, b);
        fclose(out);
    }
}

struct CountAtExit {
    ~CountAtExit() {
        writeCount("OSTREL_ALLOCATIONS", "%ld %ld", g_allocations.load(), g_failed.load());
        writeCount("OSTREL_CHANGES", "%ld", g_changes.load(), 0);
    }
} g_countAtExit;

// Each call below that changes the machine comes here first; the cut ends the process with no clean-up, and
// the exit code 0xC07 tells the runner that it was cut.
void change() {
    if (++g_changes == g_cutAt)
        TerminateProcess(GetCurrentProcess(), 0xC07);
}

// What the program's own calls of each function reach instead: change(), then the function.
#define CUT_BEFORE(name, returns, parameters, arguments)                                                     \
    decltype(&name) real##name;                                                                              \
    returns WINAPI cut##name parameters {                                                                    \
        change();                                                                                            \
        return real##name arguments;                                                                         \
    }
CUT_BEFORE(WriteFile, BOOL, (HANDLE f, LPCVOID b, DWORD n, LPDWORD w, LPOVERLAPPED o), (f, b, n, w, o))
CUT_BEFORE(FlushFileBuffers, BOOL, (HANDLE f), (f))
CUT_BEFORE(MoveFileA, BOOL, (LPCSTR a, LPCSTR b), (a, b))
CUT_BEFORE(MoveFileExA, BOOL, (LPCSTR a, LPCSTR b, DWORD f), (a, b, f))
CUT_BEFORE(CopyFileA, BOOL, (LPCSTR a, LPCSTR b, BOOL f), (a, b, f))
CUT_BEFORE(DeleteFileA, BOOL, (LPCSTR a), (a))
CUT_BEFORE(SetFileAttributesA, BOOL, (LPCSTR a, DWORD f), (a, f))
CUT_BEFORE(CreateDirectoryA, BOOL, (LPCSTR a, LPSECURITY_ATTRIBUTES s), (a, s))
CUT_BEFORE(RemoveDirectoryA, BOOL, (LPCSTR a), (a))
CUT_BEFORE(WritePrivateProfileStringA, BOOL, (LPCSTR s, LPCSTR k, LPCSTR v, LPCSTR f), (s, k, v, f))
CUT_BEFORE(WritePrivateProfileSectionA, BOOL, (LPCSTR s, LPCSTR v, LPCSTR f), (s, v, f))
CUT_BEFORE(RegSetValueExA, LONG, (HKEY k, LPCSTR n, DWORD r, DWORD t, const BYTE *d, DWORD s),
           (k, n, r, t, d, s))
CUT_BEFORE(RegDeleteValueA, LONG, (HKEY k, LPCSTR n), (k, n))
CUT_BEFORE(RegDeleteKeyA, LONG, (HKEY k, LPCSTR n), (k, n))
CUT_BEFORE(RegCreateKeyExA, LONG,
           (HKEY k, LPCSTR n, DWORD r, LPSTR c, DWORD o, REGSAM a, LPSECURITY_ATTRIBUTES s, PHKEY h,
            LPDWORD d),
           (k, n, r, c, o, a, s, h, d))
#undef CUT_BEFORE

// A file opened to be read is no change; one opened to be written, or created, is.
decltype(&CreateFileA) realCreateFileA;
HANDLE WINAPI cutCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE from) {
    if ((access & (GENERIC_WRITE | GENERIC_ALL)) || disposition != OPEN_EXISTING)
        change();
    return realCreateFileA(name, access, share, security, disposition, flags, from);
}

#define REPLACE(name)                                                                                        \
    { #name, reinterpret_cast < void *>(cut##name), reinterpret_cast < void **>(&real##name) }
const struct {
    const char *name;
    void *replacement, **real;
} kReplacements[] = {REPLACE(CreateFileA),
                     REPLACE(WriteFile),
                     REPLACE(FlushFileBuffers),
                     REPLACE(MoveFileA),
                     REPLACE(MoveFileExA),
                     REPLACE(CopyFileA),
                     REPLACE(DeleteFileA),
                     REPLACE(SetFileAttributesA),
                     REPLACE(CreateDirectoryA),
                     REPLACE(RemoveDirectoryA),
                     REPLACE(WritePrivateProfileStringA),
                     REPLACE(WritePrivateProfileSectionA),
                     REPLACE(RegSetValueExA),
                     REPLACE(RegDeleteValueA),
                     REPLACE(RegDeleteKeyA),
                     REPLACE(RegCreateKeyExA)};
#undef REPLACE

// Points the program's import slots of these functions at their replacements, before main runs.
struct ReplaceImports {
    ReplaceImports() {
        auto *base = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
        const auto *nt =
            reinterpret_cast<IMAGE_NT_HEADERS *>(base + reinterpret_cast<IMAGE_DOS_HEADER *>(base)->e_lfanew);
        const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (auto *d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports); d->Name != 0; ++d) {
            auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->OriginalFirstThunk);
            auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots)
                for (const auto &r : kReplacements)
                    if (!IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) &&
                        !strcmp(
                            reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData)->Name,
                            r.name)) {
                        DWORD was = 0;
                        VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &was);
                        *r.real = reinterpret_cast<void *>(slots->u1.Function);
                        slots->u1.Function = reinterpret_cast<ULONG_PTR>(r.replacement);
                        VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, was, &was);
                    }
        }
    }
} g_replaceImports;
} // namespace

unsigned long probeLimitMs() {
    return getenv("OSTREL_PROBE_LIMIT_MS") ? strtoul(getenv("OSTREL_PROBE_LIMIT_MS"), nullptr, 10) : 60000;
}

void *operator new(std::size_t size) {
    const long number = ++g_allocations;
    if (number == g_failing) {
        g_failed = number;
        throw std::bad_alloc();
    }
    void *p = std::malloc(size ? size : 1);
    return p ? p : throw std::bad_alloc();
}

void operator delete(void *p) noexcept {
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
