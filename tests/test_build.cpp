// In installer_test.exe: the probe limit is OSTREL_PROBE_LIMIT_MS; allocation number OSTREL_FAIL_ALLOCATION
// fails as when memory runs out; the file OSTREL_ALLOCATIONS names receives the number of allocations.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "verify/probe_limit.h"

namespace {
std::atomic<long> g_allocations{0};
const long g_failing = getenv("OSTREL_FAIL_ALLOCATION") ? atol(getenv("OSTREL_FAIL_ALLOCATION")) : 0;

struct CountAtExit {
    ~CountAtExit() {
        if (FILE *out = getenv("OSTREL_ALLOCATIONS") ? fopen(getenv("OSTREL_ALLOCATIONS"), "w") : nullptr)
            fprintf(out, "%ld", g_allocations.load()), fclose(out);
    }
} g_countAtExit;
} // namespace

unsigned long probeLimitMs() {
    return getenv("OSTREL_PROBE_LIMIT_MS") ? strtoul(getenv("OSTREL_PROBE_LIMIT_MS"), nullptr, 10) : 60000;
}

void *operator new(std::size_t size) {
    void *p = ++g_allocations == g_failing ? nullptr : std::malloc(size ? size : 1);
    return p ? p : throw std::bad_alloc();
}

void operator delete(void *p) noexcept {
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
