// What the installations changed on a machine, kept so that a removal can put it back: a text of one entry
// per line, its fields between tabs, free of Win32.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ascii_text.h"

struct InstallRecord {
    // A file that an installation placed or edited, and the name of its version from before the first
    // installation in the installer's folder; no name when there was no file.
    struct Change {
        enum Kind { File, AwtProperties, Autoexec } kind;
        std::string path, backup;
        // Of a file: the fileChecksum of each version that installations placed there (several when
        // installations of different payloads did); none in a record written before they were noted.
        std::vector<std::string> checksums = {}; // none when made as {kind, path, backup}
    };

    std::vector<std::string> vms;     // binDir of each VM given the bridge
    std::vector<std::string> homes;   // the home of each VM whose files it notes, noted before them
    std::vector<Change> changes;      // in the order made
    std::vector<std::string> targets; // the 1.1 folders whose jars CLASSPATH or autoexec.bat got, in turn
    bool classpathKept = false;       // the registry CLASSPATH from before the first installation is kept:
    std::optional<std::string> classpath; // its text, nothing when there was none
    std::vector<std::string> countedDlls; // DLLs whose SharedDLLs count an installation raised
    // DLLs whose count an installation is raising, with the count it found: cut short in between, the next
    // run tells by the count whether it was raised.
    std::vector<std::pair<std::string, unsigned long>> raising;
    // DLLs whose count a removal is lowering, with the count it found: a removal cut short and run again
    // lowers each once.
    std::vector<std::pair<std::string, unsigned long>> releasing;

    const Change *find(const std::string &path) const;

    // Why a removal may not trust the record, naming its first entry that is wrong; nothing when it may be
    // used. Every path must be absolute ("X:\..."), of plain names, and lie where an installation writes:
    // the bridge's files in a VM's folder (one of `homes`, or the home of one of `vms`), its DLLs directly
    // in systemDir, autoexec.bat at autoexecPath; every kept version is a name "<digits>.bak".
    std::optional<std::string> problem(const std::string &systemDir, const std::string &autoexecPath,
                                       LeadBytePredicate isLeadByte) const;

    std::string text() const;
    // Nothing when the text is no record (a line of an unknown kind, or cut short).
    static std::optional<InstallRecord> parse(const std::string &text);
};
