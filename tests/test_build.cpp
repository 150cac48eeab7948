// Linked into the test build of the installer (installer_test.exe) in place of its probe limit: the limit
// is OSTREL_PROBE_LIMIT_MS, the allocation numbered OSTREL_FAIL_ALLOCATION fails as when memory runs out,
// and the file named by OSTREL_ALLOCATIONS receives the number of allocations when the program ends.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "verify/probe_limit.h"

namespace {
std::atomic<long> g_allocations{0};

long fromEnvironment(const char *name) {
    const char *value = getenv(name);
    return value ? atol(value) : 0;
}

struct CountAtExit {
    ~CountAtExit() {
        FILE *out = getenv("OSTREL_ALLOCATIONS") ? fopen(getenv("OSTREL_ALLOCATIONS"), "w") : nullptr;
        if (out)
            fprintf(out, "%ld", g_allocations.load()), fclose(out);
    }
} g_countAtExit;
} // namespace

unsigned long probeLimitMs() {
    const long limit = fromEnvironment("OSTREL_PROBE_LIMIT_MS");
    return limit > 0 ? static_cast<unsigned long>(limit) : 60000;
}

void *operator new(std::size_t size) {
    static const long failing = fromEnvironment("OSTREL_FAIL_ALLOCATION");
    if (++g_allocations == failing)
        throw std::bad_alloc();
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept {
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
