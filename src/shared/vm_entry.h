// The records that carry what discovery finds to every later step, and their singly linked lists.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// One directory that may hold a VM launcher, from PATH or from a JavaHome registry value.
struct PathEntry {
    std::unique_ptr<PathEntry> next;
    std::string dir;    // exactly as taken from PATH or built from the registry
    std::string origin; // where it was taken from, for the log: "PATH" or the registry key

    PathEntry(std::unique_ptr<PathEntry> next, std::string dir);
    ~PathEntry();
};

// One candidate Java VM, identified by the directory in which its launcher was found.
struct VmEntry {
    std::unique_ptr<VmEntry> next;
    std::string binDir;  // the VM's identity; lower-cased when its layout is resolved
    std::string homeDir; // empty until derived
    std::string libDir;  // relative to homeDir, with a leading backslash; empty while unset
    std::string extDir;  // relative to homeDir, with a leading backslash; empty while unset
    std::int32_t compatible = 0;
    std::int32_t layoutResolved = 0;
    std::int32_t isJava11 = 0;
    std::int32_t isJava14 = 0;
    std::int32_t selected = 0;
    bool logged = false;  // offered in the log already
    std::string launcher; // the launcher that answered the tester: "javaw.exe" or "jrew.exe"

    VmEntry(std::unique_ptr<VmEntry> next, std::string binDir);
    ~VmEntry();

    // Runs the tester inside this VM and records its verdict; returns compatible (std::bad_alloc when memory
    // runs out: a VM left untried must not pass for one that failed). A VM still running when
    // cancelToken (a Win32 event, or null) is set is ended at once.
    int probe(void *cancelToken = nullptr);
    // After the installation: whether this VM now sees the bridge, asked by the launcher that answered the
    // tester, with the CLASSPATH that programs started afterwards get and the tester's folder. A VM that has
    // not answered within the probe's limit is ended. The answer is an exit code of the tester's proof, or
    // 0xFFFFFFFF for none.
    unsigned long prove(const std::string &classpath, const std::string &testerDir) const;
    // Derives homeDir, libDir and extDir from binDir; returns 1 when resolved.
    int resolveLayout();
};

// Puts a new entry holding a copy of dir at the head of a list. When memory runs out the list is left
// as it was and the result is false.
bool pushPathEntry(std::unique_ptr<PathEntry> &head, const char *dir);
bool pushVmEntry(std::unique_ptr<VmEntry> &head, const char *dir);
