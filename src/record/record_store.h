// The installer's own folder on the machine, outside every VM: the copy of the program that the removal is
// registered with, the record of what the installations changed, and the versions of the files they replaced.
#pragma once

#include <windows.h>

#include <string>

#include "platform/file_replace.h"
#include "record/record.h"

// Where Windows lists the removal (Add/Remove Programs), under HKEY_LOCAL_MACHINE.
constexpr const char *kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\JavaOstrel";
// Counts of the users of shared files, under HKEY_LOCAL_MACHINE, one value per file path.
constexpr const char *kSharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
// A shared DLL's count of users in that key: ERROR_SUCCESS; ERROR_FILE_NOT_FOUND when it has none (count 0);
// another error when the count cannot be read (ERROR_INVALID_DATA: it is no number).
LONG readSharedDllCount(HKEY key, const std::string &dll, unsigned long &count);

class RecordStore {
  public:
    // The folder "Ostrel" of the Windows directory: short names, for WININIT.INI on the 9x family. Each write
    // that changed the machine sets *changed, when given: a run that ends at once must still say so.
    explicit RecordStore(bool *changed = nullptr);

    const std::string &folder() const { return folder_; }
    std::string recordPath() const { return folder_ + "\\record.txt"; }
    std::string programPath() const { return folder_ + "\\remove.exe"; }

    // Missing when no installation is recorded; Failed when the record cannot be read whole (why, in words).
    ReadResult load(InstallRecord &record, std::string *why = nullptr) const;
    // Replaces the record whole. The first time in a run it also keeps a copy of the program and registers
    // the removal, so that whatever an installation changes can be removed.
    bool save(const InstallRecord &record);
    // Keeps a copy of the file at `path` under the name "<number>.bak"; the name, empty on failure.
    std::string keep(const std::string &path, unsigned long number) const;
    std::string backupPath(const std::string &name) const { return folder_ + "\\" + name; }

    // The record, the registration and the folder with all in it go, but the running program, which goes at
    // the next start of the system. False when something could not go.
    bool removeAll() const;

  private:
    bool placeProgram() const; // the removal's program, remove.exe, in the folder
    bool registerRemoval() const;
    bool changed(bool done) const; // done, noted in *changed_
    std::string folder_;
    bool unqueued_ = false, registered_ = false;
    bool *changed_;
};
