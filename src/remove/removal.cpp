// The removal: every file that the installations placed goes or gets its old version back, the lines they
// wrote are taken out, and the shared DLLs are released; then the record and the registration go.
#include "remove/removal.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "install/classpath_text.h"
#include "install/system_classpath.h"
#include "log/run_log.h"
#include "remove/record_store.h"
#include "shell/ascii_text.h"
#include "remove/undo_text.h"
#include "shell/handles.h"
#include "shell/system_text.h"

namespace {
constexpr const char *kConfirmCaption = "Remove the Java Ostrel";
constexpr const char *kConfirmText = "Remove the Java Ostrel from these Java VMs and from this system?";
constexpr const char *kRemovedCaption = "Removal Completed";
constexpr const char *kRemovedRestartCaption = "Removal Completed.  You must reboot your system.";
constexpr const char *kRemovedText = "The Java Ostrel was removed.";
constexpr const char *kNotRemovedCaption = "Removal Incomplete";
constexpr const char *kNotRemovedRestartCaption = "Removal Incomplete.  You must reboot your system.";
constexpr const char *kNotRemovedText = "The Java Ostrel was not removed completely.";
constexpr const char *kNotInstalledCaption = "Nothing to Remove";
constexpr const char *kCancelledCaption = "Removal Canceled";
constexpr const char *kNotInstalledText = "The Java Ostrel is not installed.";
constexpr const char *kCancelledText = "Removal of the Java Ostrel was canceled.";

bool contains(const std::vector<std::string> &list, const std::string &item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// The folder of a path is gone (a VM deleted since): there is nothing to put back there.
bool folderGone(const std::string &path) {
    return GetFileAttributesA(path.substr(0, path.find_last_of('\\')).c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool isConfiguration(const InstallRecord::Change &c) {
    const std::string name = "\\accessibility.properties";
    return c.kind == InstallRecord::Change::AwtProperties ||
           (c.path.size() >= name.size() &&
            c.path.compare(c.path.size() - name.size(), name.size(), name) == 0);
}

struct Removal {
    Removal(RecordStore &s, InstallRecord &r) : store(s), record(r) {}
    RecordStore &store;
    InstallRecord &record;
    PlatformFamily family = runningFamily();
    std::vector<std::string> failed;  // what could not be put back
    std::vector<std::string> changed; // lines the user changed, which stay
    bool restart = false;             // autoexec.bat changed

    bool fail(const std::string &what) {
        runLog::line({"not put back: ", what, " (", runLog::systemError(GetLastError()), ")"});
        failed.push_back(what);
        return false;
    }

    // A file that an installation placed: its old version back whole, or gone when there was none.
    void putBack(const InstallRecord::Change &c) {
        if (folderGone(c.path))
            return runLog::line({"passed over: ", c.path, " (its folder is gone)"});
        if (c.backup.empty()) {
            if (!removeFileIfThere(c.path))
                fail(c.path);
            else
                runLog::line({"deleted ", c.path});
            return;
        }
        FileSet file(family);
        if (!file.copy(store.backupPath(c.backup), c.path) || !file.place())
            fail(c.path);
        else
            runLog::line({"put back ", c.path, " as it was"});
    }

    // awt.properties or autoexec.bat: what the installations wrote is taken out of the file as it is now.
    void undoEdit(const InstallRecord::Change &c) {
        std::string now, was;
        const ReadResult read = readFileBytes(c.path, now);
        if (read == ReadResult::Missing)
            return; // gone with its VM, or deleted since
        if (read == ReadResult::Failed ||
            (!c.backup.empty() && readFileBytes(store.backupPath(c.backup), was) != ReadResult::Read)) {
            fail(c.path);
            return;
        }
        ChangedLines lines;
        const std::optional<std::string> after =
            c.kind == InstallRecord::Change::AwtProperties
                ? awtPropertiesAfterRemoval(was, now, lines)
                : autoexecAfterRemoval(c.backup.empty() ? std::nullopt : std::optional<std::string>(was),
                                       record.targets, now, ansiLeadByte, lines);
        for (const std::string &line : lines)
            changed.push_back(c.path + ": " + line);
        for (const std::string &line : lines)
            runLog::line({"changed since, so left as it is: ", c.path, ": ", line});
        if (after == now)
            return;
        runLog::line(
            {c.path, after ? ": the installation's lines taken out" : ": deleted, the installation made it"});
        FileSet file(family);
        const bool done = after ? file.write(c.path, *after) && file.place() : removeFileIfThere(c.path);
        if (!done)
            fail(c.path);
        else if (c.kind == InstallRecord::Change::Autoexec)
            restart = true;
    }

    // The registry CLASSPATH without the installations' entries, its type kept; running programs are told.
    void undoClasspath() {
        UniqueKey key;
        DWORD type = REG_SZ;
        std::string data;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_ALL_ACCESS, key.put()) !=
            ERROR_SUCCESS) {
            fail(kClasspathFullName);
            return;
        }
        const LONG rc = readRegistryValue(key.get(), kClasspathValue, type, data);
        if (rc == ERROR_FILE_NOT_FOUND || (rc == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ))
            return; // deleted, or made something else, since: none of the installations' entries is in it
        if (rc != ERROR_SUCCESS) {
            fail(kClasspathFullName);
            return;
        }
        const std::string now = registryStringText(data);
        const std::optional<std::string> after =
            classpathAfterRemoval(record.classpath, record.targets, now, ansiLeadByte);
        if (after == now)
            return;
        runLog::line({"CLASSPATH before: ", now});
        runLog::line({"CLASSPATH after: ", after ? std::string_view(*after) : "(none)"});
        const LONG written = after ? RegSetValueExA(key.get(), kClasspathValue, 0, type,
                                                    reinterpret_cast<const BYTE *>(after->c_str()),
                                                    static_cast<DWORD>(after->size() + 1))
                                   : RegDeleteValueA(key.get(), kClasspathValue);
        if (written != ERROR_SUCCESS) {
            fail(kClasspathFullName);
            return;
        }
        announceEnvironmentChange();
    }

    // The shared DLLs of the record: each one use less, the count it had noted first, so that a removal cut
    // short and run again lowers it once. A DLL goes, or gets its old version back, with its last user; its
    // old version comes back in any case.
    void releaseDlls() {
        UniqueKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
            key.reset();
        for (const std::string &dll : record.countedDlls)
            record.releasing.emplace_back(dll, sharedDllCount(key.get(), dll));
        record.countedDlls.clear();
        if (!record.releasing.empty() && !store.save(record)) {
            fail(store.recordPath());
            return;
        }
        while (!record.releasing.empty()) {
            const auto [dll, was] = record.releasing.front();
            const unsigned long left = was > 1 ? was - 1 : 0;
            LONG done = ERROR_SUCCESS;
            if (key && sharedDllCount(key.get(), dll) == was) // else lowered by a removal cut short
                done = left == 0 ? RegDeleteValueA(key.get(), dll.c_str())
                                 : RegSetValueExA(key.get(), dll.c_str(), 0, REG_DWORD,
                                                  reinterpret_cast<const BYTE *>(&left), sizeof left);
            if (done != ERROR_SUCCESS && done != ERROR_FILE_NOT_FOUND)
                fail(dll);
            else
                runLog::line({"SharedDLLs count of ", dll, ": ", DecimalText(static_cast<long long>(left))});
            const InstallRecord::Change *c = record.find(dll);
            if (c && (left == 0 || !c->backup.empty()))
                putBack(*c);
            record.releasing.erase(record.releasing.begin());
            if (!store.save(record))
                fail(store.recordPath());
        }
    }

    void run() {
        for (const InstallRecord::Change &c : record.changes) // what names the bridge first
            if (isConfiguration(c))
                c.kind == InstallRecord::Change::File ? putBack(c) : undoEdit(c);
        if (record.classpathKept)
            undoClasspath();
        for (const InstallRecord::Change &c : record.changes)
            if (c.kind == InstallRecord::Change::Autoexec)
                undoEdit(c);
        std::vector<std::string> dlls = record.countedDlls;
        for (const auto &dll : record.releasing)
            dlls.push_back(dll.first);
        for (const InstallRecord::Change &c : record.changes)
            if (c.kind == InstallRecord::Change::File && !isConfiguration(c) && !contains(dlls, c.path))
                putBack(c);
        releaseDlls();
        if (failed.empty() && !store.removeAll())
            fail(store.folder());
        else if (failed.empty())
            runLog::line({"the record, the registration and ", store.folder(), " removed"});
    }
};

int tell(bool quiet, const std::string &text, const char *caption, UINT icon, int code) {
    if (!quiet)
        (void)MessageBoxA(nullptr, text.c_str(), caption, MB_OK | icon);
    return code;
}

// The closing message: what could not be put back, then the lines left as the user changed them.
int finish(bool quiet, const Removal &removal) {
    std::string text = removal.failed.empty() ? kRemovedText : kNotRemovedText;
    try {
        if (!removal.failed.empty())
            text += listedItems(" These could not be put back:", removal.failed);
        text += listedItems("\nThese lines were changed since the installation and stay as they are:",
                            removal.changed);
    } catch (const std::bad_alloc &) {
    }
    if (!removal.failed.empty())
        return tell(quiet, text, removal.restart ? kNotRemovedRestartCaption : kNotRemovedCaption,
                    MB_ICONWARNING, kExitIncomplete);
    return tell(quiet, text, removal.restart ? kRemovedRestartCaption : kRemovedCaption, 0,
                removal.restart ? kExitRestartNeeded : kExitDone);
}

std::string vmList(const InstallRecord &record) {
    std::string text = kConfirmText;
    for (const std::string &vm : record.vms)
        text += "\n" + vm;
    return text;
}
} // namespace

int runRemoval(bool quiet) {
    try {
        RecordStore store;
        InstallRecord record;
        const ReadResult read = store.load(record);
        if (read == ReadResult::Missing) { // a removal cut short after the record went finishes here
            (void)store.removeAll();
            return tell(quiet, kNotInstalledText, kNotInstalledCaption, 0, kExitNotInstalled);
        }
        if (read == ReadResult::Failed)
            return tell(quiet,
                        std::string(kNotRemovedText) + " This could not be read:\n" + store.recordPath(),
                        kNotRemovedCaption, MB_ICONWARNING, kExitIncomplete);
        if (!quiet && MessageBoxA(nullptr, vmList(record).c_str(), kConfirmCaption,
                                  MB_YESNO | MB_ICONQUESTION) != IDYES)
            return tell(quiet, kCancelledText, kCancelledCaption, 0, kExitCancelled);
        Removal removal(store, record);
        try {
            removal.run();
        } catch (const std::bad_alloc &) {
            removal.failed.clear(); // no memory to list them; a second removal finishes what this one began
            removal.failed.shrink_to_fit();
            return tell(quiet, kNotRemovedText,
                        removal.restart ? kNotRemovedRestartCaption : kNotRemovedCaption, MB_ICONWARNING,
                        kExitIncomplete);
        }
        return finish(quiet, removal);
    } catch (const std::bad_alloc &) {
        return tell(quiet, kNotRemovedText, kNotRemovedCaption, MB_ICONWARNING, kExitIncomplete);
    }
}
