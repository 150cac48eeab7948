// What an installation tells the record before it changes anything, so that a removal can put the machine
// back as it was before the first installation.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "remove/record_store.h"

class Recorder {
  public:
    Recorder(); // with the record of earlier installations

    // Before files change: the version of each from before the first installation is kept, and the change
    // noted, with the VM that gets the bridge by it (if any). False when that could not be done: then nothing
    // may change, since the removal could not undo it.
    bool willChange(InstallRecord::Change::Kind kind, const std::vector<std::string> &paths,
                    const std::string &vm = std::string());
    // Before CLASSPATH (the registry's, or autoexec.bat's) gets the jars of target: the value from before the
    // first installation (nothing when there was none) and the target are noted.
    bool willExtendClasspath(const std::optional<std::string> &original, const std::string &target);
    bool willEditAutoexec(const std::string &path, const std::string &target);
    // Once the DLL is in place: counted as one more user of the shared file, once for all installations.
    bool countDll(const std::string &path);

    // What the last call that failed could not keep or write: a file to keep, or the record.
    const std::string &failed() const { return failed_; }

  private:
    bool noteTarget(const std::string &target);
    bool save();
    RecordStore store_;
    InstallRecord record_;
    bool usable_; // the record of earlier installations could be read
    std::string failed_;
};
