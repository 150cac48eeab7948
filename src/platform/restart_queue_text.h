// Win32-free text of the queues of deletions and replacements that Windows carries out at its next start:
// on the NT family the value PendingFileRenameOperations (REG_MULTI_SZ) that MoveFileExA fills, on the 9x
// family the [rename] section of WININIT.INI. An installation that runs before that start takes its own
// entries out, and leaves everyone else's as they were.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ascii_text.h"

// One queued operation, its paths as stored. NT family: "\??\C:\dir\file", a destination that replaces an
// existing file written "!\??\C:\dir\dest", an empty destination for a deletion. 9x family: short names,
// destination "NUL" for a deletion; a line of the section that is no operation is kept whole in
// destination, with an empty source.
struct QueuedOperation {
    std::string source, destination;
};

// The pairs of PendingFileRenameOperations from the value's bytes. The list ends at an empty string where a
// source is expected, or with the data (its final NULs may be missing); a last source without destination
// is kept, with an empty one.
std::vector<QueuedOperation> pendingOperations(const std::string &multiSz);
// The value's bytes: each string followed by NUL, then one more; empty for no operations (the caller
// deletes the value then).
std::string pendingOperationsValue(const std::vector<QueuedOperation> &ops);

// The path as the session manager, a native program, must be given it: a 32-bit program on 64-bit Windows
// sees the folder wow64Dir (SysWOW64) under the name of its systemDir, which the session manager does not
// redirect. With an empty wow64Dir (no such Windows), or outside systemDir, the path as it is.
std::string pathForSessionManager(const std::string &path, const std::string &systemDir,
                                  const std::string &wow64Dir, LeadBytePredicate isLeadByte);

// The DOS path of a stored path: without a leading "!" and "\??\".
std::string plainPath(const std::string &stored);

// The lines of the [rename] section as GetPrivateProfileSectionA returns them ("dest=source\0...\0\0"),
// each as {source, destination}.
std::vector<QueuedOperation> renameSection(const std::string &section);
// The section as WritePrivateProfileSectionA takes it, each line as it was read; empty for no lines.
std::string renameSectionText(const std::vector<QueuedOperation> &ops);

// The operations, in order, whose source and destination (after plainPath) are none of ours. "NUL" and an
// empty destination name no file.
std::vector<QueuedOperation>
withoutOperationsOn(const std::vector<QueuedOperation> &ops,
                    const std::function<bool(const std::string &dosPath)> &isOurs);
