// The removal: every file that the installations placed goes or gets its old version back, the lines they
// wrote are taken out, and the shared DLLs are released; then the record and the registration go.
#include "remove/removal.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "install/classpath_text.h"
#include "install/system_classpath.h"
#include "log/run_log.h"
#include "platform/ascii_text.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/restart_queue.h"
#include "platform/system_error.h"
#include "platform/system_text.h"
#include "record/checksum.h"
#include "record/record_store.h"
#include "remove/undo_text.h"
#include "shared/payload.h"

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
constexpr const char *kChangedHeading =
    "\nThese files and lines were changed since the installation and stay as they are:";

bool contains(const std::vector<std::string> &list, const std::string &item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// The folder of a path is gone (a VM deleted since): there is nothing to put back there.
bool folderGone(const std::string &path) {
    return GetFileAttributesA(path.substr(0, path.find_last_of('\\')).c_str()) == INVALID_FILE_ATTRIBUTES;
}

// Another program holds the file (a running Java program loaded the bridge's DLL, or opened its jar):
// Windows lets go of it at its next start, and the file is dealt with then.
bool heldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

bool isConfiguration(const InstallRecord::Change &c) {
    const std::string name = kAccessibilityProperties;
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
    std::vector<std::string> changed; // files and lines that someone changed since, which stay
    bool restart = false;             // autoexec.bat changed, or a file goes at the next start

    bool fail(const std::string &what, unsigned long error) {
        runLog::line({"not put back: ", what, " (", systemErrorText(error), ")"});
        failed.push_back(what);
        return false;
    }

    // Whether the system started with a CLASSPATH that names a jar of these targets: it gave it to this
    // program, and keeps it until the next start.
    static bool inEffect(const std::vector<std::string> &targets) {
        const char *inherited = getenv("CLASSPATH");
        for (const std::string &target : targets)
            if (inherited && missingJars(inherited, target, ansiLeadByte).size() < bridgeJars(target).size())
                return true;
        return false;
    }

    bool later(const char *what, const std::string &path) {
        runLog::line({what, " at the next start: ", path, " (another program holds it)"});
        restart = true;
        return true;
    }

    // A file that an installation placed: its old version back whole, or gone when there was none; a file
    // that is not what an installation placed there stays. True when that is settled (perhaps for the next
    // start).
    bool putBack(const InstallRecord::Change &c) {
        if (folderGone(c.path)) {
            runLog::line({"passed over: ", c.path, " (its folder is gone)"});
            return true;
        }
        (void)recoverInterruptedReplacement(c.path); // as in undoEdit
        std::string now, was;
        const ReadResult read = readFileBytes(c.path, now);
        if (read == ReadResult::Failed)
            return fail(c.path, GetLastError());
        if (read == ReadResult::Missing && c.backup.empty())
            return true; // gone already
        // A record written before checksums were kept knows no version: what stands there is taken as placed.
        if (read == ReadResult::Read && !c.checksums.empty() && !contains(c.checksums, fileChecksum(now))) {
            if (!c.backup.empty() && readFileBytes(store.backupPath(c.backup), was) == ReadResult::Read &&
                was == now)
                return true; // as it was before the installation: put back by a removal cut short
            runLog::line({"changed since, so left as it is: ", c.path});
            changed.push_back(c.path);
            return true;
        }
        if (c.backup.empty()) {
            if (removeFileIfThere(c.path)) {
                runLog::line({"deleted ", c.path});
                return true;
            }
            const DWORD error = GetLastError();
            return (heldByAnother(error) && deleteAtRestart(c.path) && later("deleted", c.path)) ||
                   fail(c.path, error);
        }
        FileSet file(family);
        if (file.copy(store.backupPath(c.backup), c.path) && file.place()) {
            runLog::line({"put back ", c.path, " as it was"});
            return true;
        }
        return (heldByAnother(file.error()) && replaceAtRestart(store.backupPath(c.backup), c.path) &&
                later("put back as it was", c.path)) ||
               fail(c.path, file.error());
    }

    // awt.properties or autoexec.bat: what the installations wrote is taken out of the file as it is now.
    void undoEdit(const InstallRecord::Change &c) {
        // A replacement that a run cut short left aside: the file comes back under its name, or, in place,
        // the version that it replaced goes.
        (void)recoverInterruptedReplacement(c.path);
        std::string now, was;
        const ReadResult read = readFileBytes(c.path, now);
        if (read == ReadResult::Missing)
            return; // gone with its VM, or deleted since
        if (read == ReadResult::Failed) {
            fail(c.path, GetLastError());
            return;
        }
        if (!c.backup.empty() && readFileBytes(store.backupPath(c.backup), was) != ReadResult::Read) {
            fail(c.path, GetLastError());
            return;
        }
        ChangedLines lines;
        const std::optional<std::string> after =
            c.kind == InstallRecord::Change::AwtProperties
                ? awtPropertiesAfterRemoval(was, now, lines)
                : autoexecAfterRemoval(c.backup.empty() ? std::nullopt : std::optional<std::string>(was),
                                       record.targets, now, ansiLeadByte, lines);
        for (const std::string &line : lines) {
            changed.push_back(c.path + ": " + line);
            runLog::line({"changed since, so left as it is: ", c.path, ": ", line});
        }
        if (after == now)
            return;
        FileSet file(family);
        if (after ? !(file.write(c.path, *after) && file.place()) : !removeFileIfThere(c.path)) {
            fail(c.path, after ? file.error() : GetLastError());
            return;
        }
        runLog::line(
            {c.path, after ? ": the installation's lines taken out" : ": deleted, the installation made it"});
        if (c.kind == InstallRecord::Change::Autoexec)
            restart = true;
    }

    // The registry CLASSPATH without the installations' entries, its type kept; running programs are told.
    void undoClasspath() {
        UniqueKey key;
        DWORD type = REG_SZ;
        std::string data;
        const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_ALL_ACCESS, key.put());
        if (opened != ERROR_SUCCESS) {
            fail(kClasspathFullName, opened);
            return;
        }
        const LONG rc = readRegistryValue(key.get(), kClasspathValue, type, data);
        if (rc == ERROR_FILE_NOT_FOUND || (rc == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ))
            return; // deleted, or made something else, since: none of the installations' entries is in it
        if (rc != ERROR_SUCCESS) {
            fail(kClasspathFullName, rc);
            return;
        }
        const std::string now = registryStringText(data);
        const std::optional<std::string> after =
            classpathAfterRemoval(record.classpath, record.targets, now, ansiLeadByte);
        if (after == now)
            return;
        runLog::line({"CLASSPATH before: ", now});
        const LONG written = after ? RegSetValueExA(key.get(), kClasspathValue, 0, type,
                                                    reinterpret_cast<const BYTE *>(after->c_str()),
                                                    static_cast<DWORD>(after->size() + 1))
                                   : RegDeleteValueA(key.get(), kClasspathValue);
        if (written != ERROR_SUCCESS) {
            fail(kClasspathFullName, written);
            return;
        }
        runLog::line({"CLASSPATH after: ", after ? std::string_view(*after) : "(none)"});
        announceEnvironmentChange();
    }

    // One use less of a shared DLL, whose count was `was` when this removal (or one cut short) began: lowered
    // once. The DLL goes only when this removal lowered its count to 0; its old version comes back in any
    // case. True when the DLL is settled.
    bool releaseDll(HKEY key, const std::string &dll, unsigned long was) {
        unsigned long now = 0;
        const LONG read = key ? readSharedDllCount(key, dll, now) : ERROR_FILE_NOT_FOUND;
        if (read != ERROR_SUCCESS && read != ERROR_FILE_NOT_FOUND)
            return fail(dll, read);
        const unsigned long left = was > 1 ? was - 1 : 0;
        if (was > 0 && now == was) { // else lowered already by a removal cut short
            const DWORD value = left;
            const LONG done = left == 0
                                  ? RegDeleteValueA(key, dll.c_str())
                                  : RegSetValueExA(key, dll.c_str(), 0, REG_DWORD,
                                                   reinterpret_cast<const BYTE *>(&value), sizeof value);
            if (done != ERROR_SUCCESS)
                return fail(dll, done);
        }
        if (was > 0)
            runLog::line({"SharedDLLs count of ", dll, ": ", DecimalText(static_cast<long long>(left))});
        else
            runLog::line({"SharedDLLs counts no user of ", dll, ", so it stays"});
        const InstallRecord::Change *c = record.find(dll);
        return !c || !((was > 0 && left == 0) || !c->backup.empty()) || putBack(*c);
    }

    // The shared DLLs of the record, each counted once less (the counts found are noted first, so that a
    // removal cut short and run again lowers each once). A DLL that is settled leaves the record, so that no
    // later removal takes it while another program counts it; a count that cannot be read leaves its DLL.
    void releaseDlls() {
        if (record.countedDlls.empty() && record.releasing.empty() && record.raising.empty())
            return;
        UniqueKey key;
        const LONG opened =
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put());
        std::vector<std::string> unread;
        // An installation cut short while it raised a count: raised (above the count it noted), it counts as
        // any other; not raised, it is released as if raised and lowered already.
        std::vector<std::pair<std::string, unsigned long>> undecided;
        for (const auto &[dll, noted] : record.raising) {
            unsigned long count = 0;
            const LONG read = opened == ERROR_SUCCESS ? readSharedDllCount(key.get(), dll, count) : opened;
            if (read != ERROR_SUCCESS && read != ERROR_FILE_NOT_FOUND) { // it stays, still undecided
                undecided.emplace_back(dll, noted);
                fail(dll, read);
            } else if (count > noted) {
                record.countedDlls.push_back(dll);
            } else {
                record.releasing.emplace_back(dll, noted + 1);
            }
        }
        record.raising = undecided;
        for (const std::string &dll : record.countedDlls) {
            unsigned long count = 0;
            const LONG read = opened == ERROR_SUCCESS ? readSharedDllCount(key.get(), dll, count) : opened;
            if (read == ERROR_SUCCESS || read == ERROR_FILE_NOT_FOUND) {
                record.releasing.emplace_back(dll, count);
            } else { // it stays, and the record keeps it for a later removal
                unread.push_back(dll);
                fail(dll, read);
            }
        }
        if (opened != ERROR_SUCCESS && opened != ERROR_FILE_NOT_FOUND) {
            for (const auto &dll : record.releasing)
                fail(dll.first, opened);
            return;
        }
        record.countedDlls = unread;
        if (!store.save(record)) {
            fail(store.recordPath(), GetLastError());
            return;
        }
        for (std::size_t i = 0; i < record.releasing.size();) {
            const auto [dll, was] = record.releasing[i];
            if (!releaseDll(key.get(), dll, was)) {
                ++i;
                continue;
            }
            record.releasing.erase(record.releasing.begin() + static_cast<std::ptrdiff_t>(i));
            record.changes.erase(
                std::remove_if(record.changes.begin(), record.changes.end(),
                               [&](const InstallRecord::Change &c) { return c.path == dll; }),
                record.changes.end());
            if (!store.save(record))
                fail(store.recordPath(), GetLastError());
        }
    }

    void run() {
        for (const InstallRecord::Change &c : record.changes) // what names the bridge first
            if (isConfiguration(c) && c.kind == InstallRecord::Change::File)
                (void)putBack(c);
            else if (isConfiguration(c))
                undoEdit(c);
        if (record.classpathKept)
            undoClasspath();
        for (const InstallRecord::Change &c : record.changes)
            if (c.kind == InstallRecord::Change::Autoexec) {
                undoEdit(c);
                restart = restart || inEffect(record.targets); // taken out by a removal cut short
            }
        std::vector<std::string> dlls = record.countedDlls;
        for (const auto &dll : record.releasing)
            dlls.push_back(dll.first);
        for (const auto &dll : record.raising)
            dlls.push_back(dll.first);
        for (const InstallRecord::Change &c : record.changes)
            if (c.kind == InstallRecord::Change::File && !isConfiguration(c) && !contains(dlls, c.path))
                (void)putBack(c);
        releaseDlls();
        if (failed.empty() && !store.removeAll())
            fail(store.folder(), GetLastError());
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
        text += listedItems(kChangedHeading, removal.changed);
    } catch (const std::bad_alloc &) {
        // No memory for the lists: the sentence alone still says whether all was put back.
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
        std::string why;
        const ReadResult read = store.load(record, &why);
        if (read == ReadResult::Missing) { // a removal cut short after the record went finishes here
            (void)store.removeAll();
            return tell(quiet, kNotInstalledText, kNotInstalledCaption, 0, kExitNotInstalled);
        }
        // Nothing is touched on the word of a record that cannot be read, or that names what no installation
        // writes (edited by hand, or damaged so that it still reads).
        if (read == ReadResult::Read) {
            if (const std::optional<std::string> problem =
                    record.problem(systemDirectory(), autoexecPath(), ansiLeadByte))
                why = *problem;
        }
        if (read == ReadResult::Failed || !why.empty()) {
            runLog::line({"the record cannot be used: ", store.recordPath(), ": ", why});
            return tell(quiet,
                        std::string(kNotRemovedText) + " This record cannot be used:\n" + store.recordPath(),
                        kNotRemovedCaption, MB_ICONWARNING, kExitIncomplete);
        }
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
