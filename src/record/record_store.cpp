#include "record/record_store.h"

#include <windows.h>

#include "platform/ascii_text.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/restart_queue.h"
#include "platform/system_error.h"
#include "platform/system_text.h"

namespace {
constexpr const char *kDisplayName = "Java Ostrel";

// The running program's path; the call reports no size needed, so the buffer grows until the path fits.
std::string programFile() {
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::string path(size, '\0');
        const DWORD length = GetModuleFileNameA(nullptr, &path[0], size);
        if (length == 0)
            return std::string();
        if (length < size)
            return path.substr(0, length);
    }
}

// The installer's folder, created when it is not there; should no file be placed in it, it goes again
// (empty), also when memory runs out on the way.
class FolderForFiles {
  public:
    explicit FolderForFiles(const std::string &path)
        : path_(path), created_(CreateDirectoryA(path.c_str(), nullptr) != FALSE) {}
    ~FolderForFiles() {
        if (created_ && !placed_)
            (void)RemoveDirectoryA(path_.c_str());
    }
    FolderForFiles(const FolderForFiles &) = delete;
    FolderForFiles &operator=(const FolderForFiles &) = delete;
    bool keep(bool placed) { return placed_ = placed; }

  private:
    const std::string &path_;
    bool created_, placed_ = false;
};

bool setString(HKEY key, const char *name, const std::string &text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool setNumber(HKEY key, const char *name, DWORD number) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number) ==
           ERROR_SUCCESS;
}
} // namespace

LONG readSharedDllCount(HKEY key, const std::string &dll, unsigned long &count) {
    DWORD value = 0, type = 0, size = sizeof value;
    count = 0;
    const LONG rc =
        RegQueryValueExA(key, dll.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    if (rc != ERROR_SUCCESS)
        return rc == ERROR_MORE_DATA ? ERROR_INVALID_DATA : rc;
    if (type != REG_DWORD || size != sizeof value)
        return ERROR_INVALID_DATA;
    count = value;
    return ERROR_SUCCESS;
}

RecordStore::RecordStore(bool *changed) : folder_(windowsDirectory() + "\\Ostrel"), changed_(changed) {}

bool RecordStore::changed(bool done) const {
    if (done && changed_)
        *changed_ = true;
    return done;
}

ReadResult RecordStore::load(InstallRecord &record, std::string *why) const {
    // On the 9x family a save cut short may have left the record only under its set-aside name.
    (void)recoverInterruptedReplacement(recordPath());
    std::string text;
    const ReadResult read = readFileBytes(recordPath(), text);
    if (read == ReadResult::Failed && why)
        *why = systemErrorText(GetLastError());
    if (read != ReadResult::Read)
        return read;
    const std::optional<InstallRecord> parsed = InstallRecord::parse(text);
    if (!parsed) {
        if (why)
            *why = "it is cut short, or holds a line that the installer does not write";
        return ReadResult::Failed;
    }
    record = *parsed;
    return ReadResult::Read;
}

bool RecordStore::save(const InstallRecord &record) {
    // A removal whose restart is still to come queued this folder's deletion: this installation's record and
    // registration must outlive that restart.
    if (!unqueued_ && !(unqueued_ = unqueue({programPath(), folder_})))
        return false;
    FolderForFiles folder(folder_);
    FileSet file(runningFamily());
    if (!file.write(recordPath(), record.text()) || !changed(folder.keep(file.place())))
        return false;
    // The record comes first: with it, the next run, or a removal, finishes what this one began. Windows
    // lists the removal only once its program and record are in place.
    return registered_ || (registered_ = placeProgram() && registerRemoval());
}

std::string RecordStore::keep(const std::string &path, unsigned long number) const {
    const std::string name = decimal(static_cast<long long>(number)) + ".bak";
    FolderForFiles folder(folder_);
    FileSet file(runningFamily());
    return file.copy(path, backupPath(name)) && changed(folder.keep(file.place())) ? name : std::string();
}

bool RecordStore::placeProgram() const {
    const std::string self = programFile();
    if (self.empty())
        return false;
    if (sameIgnoringAsciiCase(self, programPath(), ansiLeadByte))
        return true;
    FileSet copy(runningFamily());
    return copy.copy(self, programPath()) && changed(copy.place());
}

bool RecordStore::registerRemoval() const {
    UniqueKey key;
    const std::string command = "\"" + programPath() + "\" /remove", quiet = command + " /quiet";
    bool created = false;
    if (!createMachineKey(kUninstallKey, KEY_ALL_ACCESS, key, &created))
        return false;
    (void)changed(created);
    return setString(key.get(), "DisplayName", kDisplayName) &&
           setString(key.get(), "UninstallString", command) &&
           setString(key.get(), "QuietUninstallString", quiet) && setNumber(key.get(), "NoModify", 1) &&
           setNumber(key.get(), "NoRepair", 1) && RegFlushKey(key.get()) == ERROR_SUCCESS;
}

bool RecordStore::removeAll() const {
    // The registration goes first, so that Windows never lists a removal whose record is gone; then the
    // record: a removal cut short after it has nothing left to put back, only this folder to clear, which is
    // the installer's own.
    const LONG gone = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    if (gone != ERROR_SUCCESS && gone != ERROR_FILE_NOT_FOUND)
        return false;
    if (!removeFileIfThere(recordPath()))
        return false;
    const bool running = sameIgnoringAsciiCase(programFile(), programPath(), ansiLeadByte);
    bool removed = true;
    WIN32_FIND_DATAA entry;
    UniqueFind find(FindFirstFileA((folder_ + "\\*").c_str(), &entry));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.get(), &entry) != FALSE) {
        const std::string path = folder_ + "\\" + entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            !(running && sameIgnoringAsciiCase(path, programPath(), ansiLeadByte)))
            removed = removeFileIfThere(path) && removed;
    }
    find.reset();
    if (!removed)
        return false;
    if (running) // what the running program is goes at the next start of the system
        return deleteAtRestart(programPath(), false) && deleteAtRestart(folder_, true);
    return RemoveDirectoryA(folder_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
           GetLastError() == ERROR_PATH_NOT_FOUND;
}
