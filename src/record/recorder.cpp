#include "record/recorder.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "platform/ascii_text.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/restart_queue.h"

namespace {
constexpr const char *kNotKept = "it could not be kept for the removal";

template <typename T> bool add(std::vector<T> &list, const T &item) {
    if (std::find(list.begin(), list.end(), item) != list.end())
        return false;
    list.push_back(item);
    return true;
}

// The number after the highest of the record's kept versions ("<n>.bak"): a number that a change the record
// has forgotten (a DLL that a removal settled) had may be taken again, since nothing names its file now.
unsigned long nextBackupNumber(const InstallRecord &record) {
    unsigned long highest = 0;
    for (const InstallRecord::Change &c : record.changes) {
        unsigned long n = 0;
        for (std::size_t i = 0; i < c.backup.size() && c.backup[i] >= '0' && c.backup[i] <= '9'; ++i)
            n = n * 10 + static_cast<unsigned long>(c.backup[i] - '0');
        highest = std::max(highest, n);
    }
    return highest + 1;
}
} // namespace

Recorder::Recorder(bool *machineChanged)
    : store_(machineChanged), usable_(store_.load(record_) != ReadResult::Failed),
      failed_(store_.recordPath()) {
    if (!usable_)
        why_ = "the record of earlier installations cannot be read";
}

bool Recorder::save() {
    failed_ = store_.recordPath();
    why_ = "the record of the installation cannot be written";
    return store_.save(record_);
}

bool Recorder::note(InstallRecord::Change::Kind kind, const std::string &path, const std::string &checksum,
                    bool &changed) {
    const auto known = std::find_if(record_.changes.begin(), record_.changes.end(),
                                    [&](const InstallRecord::Change &c) { return c.path == path; });
    if (known !=
        record_.changes.end()) { // kept by an earlier installation; this one may place another version
        changed = (!checksum.empty() && add(known->checksums, checksum)) || changed;
        return true;
    }
    failed_ = path; // a file that cannot be kept cannot be replaced either
    why_ = kNotKept;
    if (!recoverInterruptedReplacement(path)) // a file that a replacement cut short left aside is the one
        return false;
    std::string backup;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
        (backup = store_.keep(path, nextBackupNumber(record_))).empty())
        return false;
    record_.changes.push_back({kind, path, backup, {}});
    if (!checksum.empty())
        record_.changes.back().checksums.push_back(checksum);
    changed = true;
    return true;
}

bool Recorder::willPlace(const std::vector<Placement> &files, const std::string &home) {
    if (!usable_)
        return false;
    std::vector<std::string> paths;
    for (const Placement &file : files)
        paths.push_back(file.path);
    if (!unqueue(paths)) {
        failed_ = paths.front();
        why_ = "its deletion at the next start could not be taken back";
        return false;
    }
    bool changed = !home.empty() && add(record_.homes, home);
    for (const Placement &file : files)
        if (!note(InstallRecord::Change::File, file.path, file.checksum, changed))
            return false;
    return !changed || save();
}

bool Recorder::willEditAwt(const std::string &path, const std::string &home) {
    if (!usable_)
        return false;
    bool changed = add(record_.homes, home);
    return note(InstallRecord::Change::AwtProperties, path, std::string(), changed) && (!changed || save());
}

bool Recorder::noteTarget(const std::string &target) {
    return add(record_.targets, target);
}

bool Recorder::willExtendClasspath(const std::optional<std::string> &original, const std::string &target) {
    if (!usable_)
        return false;
    bool changed = noteTarget(target);
    if (!record_.classpathKept) {
        record_.classpathKept = true;
        record_.classpath = original;
        changed = true;
    }
    return !changed || save();
}

bool Recorder::willEditAutoexec(const std::string &path, const std::string &target) {
    bool changed = usable_ && noteTarget(target);
    return usable_ && note(InstallRecord::Change::Autoexec, path, std::string(), changed) &&
           (!changed || save());
}

bool Recorder::gave(const std::string &vm) {
    if (vm.empty())
        return true; // files of no VM of their own: the DLLs, the 1.1 jars before CLASSPATH names them
    try {
        return usable_ && (!add(record_.vms, vm) || save());
    } catch (const std::bad_alloc &) {
        return false; // the VM has the bridge all the same: only the removal's question leaves it out
    }
}

bool Recorder::countDll(const std::string &path, unsigned long &countNow) {
    countNow = 0;
    if (!usable_)
        return false;
    if (std::find(record_.countedDlls.begin(), record_.countedDlls.end(), path) != record_.countedDlls.end())
        return true;
    failed_ = std::string("HKEY_LOCAL_MACHINE\\") + kSharedDllsKey + "\\" + path;
    why_ = "the count of its users cannot be read or written";
    UniqueKey key;
    unsigned long count = 0;
    if (!createMachineKey(kSharedDllsKey, KEY_QUERY_VALUE | KEY_SET_VALUE, key))
        return false;
    const LONG read = readSharedDllCount(key.get(), path, count);
    if (read == ERROR_FILE_NOT_FOUND) {
        // Not counted yet: a DLL that was there before, of some other program, had one user already.
        const InstallRecord::Change *placed = record_.find(path);
        count = placed && !placed->backup.empty() ? 1 : 0;
    } else if (read != ERROR_SUCCESS) {
        return false; // a count that is no number is not ours to overwrite
    }
    // The count found is noted before it is raised: a run cut short in between left it noted, and the count
    // tells whether that run raised it (above the noted one) or not.
    auto noted =
        std::find_if(record_.raising.begin(), record_.raising.end(),
                     [&](const std::pair<std::string, unsigned long> &r) { return r.first == path; });
    const bool raisedBefore = noted != record_.raising.end() && count > noted->second;
    if (noted == record_.raising.end()) {
        record_.raising.emplace_back(path, count);
        if (!save())
            return false;
        noted = record_.raising.end() - 1;
    }
    const DWORD raised = static_cast<DWORD>(raisedBefore ? count : count + 1);
    if (!raisedBefore &&
        RegSetValueExA(key.get(), path.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&raised),
                       sizeof raised) != ERROR_SUCCESS)
        return false;
    record_.raising.erase(noted);
    record_.countedDlls.push_back(path);
    countNow = raised;
    return save();
}
