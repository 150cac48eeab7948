#include "shared/vm_entry.h"

#include <new>
#include <utility>

namespace {
// Unlinks the rest of a list one entry at a time, so that a long list is freed without deep recursion.
template <typename Entry> void releaseChain(std::unique_ptr<Entry> &next) {
    std::unique_ptr<Entry> rest = std::move(next);
    while (rest)
        rest = std::move(rest->next);
}

template <typename Entry> bool pushEntry(std::unique_ptr<Entry> &head, const char *dir) {
    if (dir == nullptr)
        return false;
    try {
        std::string copy(dir);
        head.reset(new Entry(std::move(head), std::move(copy)));
        return true;
    } catch (const std::bad_alloc &) {
        return false; // head is untouched: the move into the new entry only happens once it exists
    }
}
} // namespace

PathEntry::PathEntry(std::unique_ptr<PathEntry> n, std::string d) : next(std::move(n)), dir(std::move(d)) {}
PathEntry::~PathEntry() {
    releaseChain(next);
}

VmEntry::VmEntry(std::unique_ptr<VmEntry> n, std::string d) : next(std::move(n)), binDir(std::move(d)) {}
VmEntry::~VmEntry() {
    releaseChain(next);
}

bool pushPathEntry(std::unique_ptr<PathEntry> &head, const char *dir) {
    return pushEntry(head, dir);
}
bool pushVmEntry(std::unique_ptr<VmEntry> &head, const char *dir) {
    return pushEntry(head, dir);
}
