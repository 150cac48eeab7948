// What an installation tells the record before it changes anything, so that a removal can put the machine
// back as it was before the first installation.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "record/record_store.h"

class Recorder {
  public:
    // With the record of earlier installations; each write that changed the machine sets *machineChanged.
    explicit Recorder(bool *machineChanged = nullptr);

    // A file about to be placed, and the checksum of the version placed there.
    struct Placement {
        std::string path, checksum;
    };

    // Before files change: the version of each from before the first installation is kept, the change
    // noted (the files of a VM under its home folder; no home for the system directory), and any deletion
    // of them that a removal queued for the next start taken out. False when that could not be done: then
    // nothing may change, since the removal could not undo it.
    bool willPlace(const std::vector<Placement> &files, const std::string &home);
    bool willEditAwt(const std::string &path, const std::string &home);
    // Before CLASSPATH (the registry's, or autoexec.bat's) gets the jars of target: the value from before the
    // first installation (nothing when there was none) and the target are noted.
    bool willExtendClasspath(const std::optional<std::string> &original, const std::string &target);
    bool willEditAutoexec(const std::string &path, const std::string &target);
    // Once a VM has the bridge (its binDir): the removal's question names it.
    bool gave(const std::string &vm);
    // Once the DLL is in place: counted as one more user of the shared file, once for all installations.
    // countNow: the count this call set, 0 when it set none.
    bool countDll(const std::string &path, unsigned long &countNow);

    // What the last call that failed could not keep or write (a file to keep, or the record), and why.
    const std::string &failed() const { return failed_; }
    const char *why() const { return why_; }

  private:
    bool note(InstallRecord::Change::Kind kind, const std::string &path, const std::string &checksum,
              bool &changed);
    bool noteTarget(const std::string &target);
    bool save();
    RecordStore store_;
    InstallRecord record_;
    bool usable_; // the record of earlier installations could be read
    std::string failed_;
    const char *why_ = "";
};
