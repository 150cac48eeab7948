#include "remove/recorder.h"

#include <windows.h>

#include <algorithm>

#include "log/run_log.h"
#include "shell/ascii_text.h"
#include "shell/handles.h"

namespace {
template <typename T> bool add(std::vector<T> &list, const T &item) {
    if (std::find(list.begin(), list.end(), item) != list.end())
        return false;
    list.push_back(item);
    return true;
}
} // namespace

Recorder::Recorder() : usable_(store_.load(record_) != ReadResult::Failed), failed_(store_.recordPath()) {}

bool Recorder::save() {
    failed_ = store_.recordPath();
    return store_.save(record_);
}

bool Recorder::willChange(InstallRecord::Change::Kind kind, const std::vector<std::string> &paths,
                          const std::string &vm) {
    if (!usable_)
        return false;
    bool changed = !vm.empty() && add(record_.vms, vm);
    for (const std::string &path : paths) {
        if (record_.find(path))
            continue;                             // kept by an earlier installation
        failed_ = path;                           // a file that cannot be kept cannot be replaced either
        if (!recoverInterruptedReplacement(path)) // a file that a replacement cut short left aside is the one
            return false;
        std::string backup;
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
            (backup = store_.keep(path, record_.changes.size())).empty())
            return false;
        record_.changes.push_back({kind, path, backup});
        changed = true;
    }
    return !changed || save();
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
    return usable_ && (!noteTarget(target) || save()) && willChange(InstallRecord::Change::Autoexec, {path});
}

bool Recorder::countDll(const std::string &path) {
    if (!usable_)
        return false;
    if (std::find(record_.countedDlls.begin(), record_.countedDlls.end(), path) != record_.countedDlls.end())
        return true;
    UniqueKey key;
    char noClass[] = "";
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    DWORD count = sharedDllCount(key.get(), path);
    if (count == 0) {
        // Not counted yet: a DLL that was there before, of some other program, had one user already.
        const InstallRecord::Change *placed = record_.find(path);
        count = placed && !placed->backup.empty() ? 1 : 0;
    }
    ++count;
    // Counted before it is noted: cut short in between, the DLL stays for good rather than going too soon.
    if (RegSetValueExA(key.get(), path.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&count),
                       sizeof count) != ERROR_SUCCESS)
        return false;
    record_.countedDlls.push_back(path);
    runLog::line({"SharedDLLs count of ", path, ": ", DecimalText(count)});
    return save();
}
