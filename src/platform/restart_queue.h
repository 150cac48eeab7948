// Work that Windows does at its next start, before any program can hold a file: deleting or replacing a
// file that a running program holds now, and the installer's own program and folder after a removal. On the
// NT family the session manager does it (MoveFileExA), on the 9x family WININIT.INI's [rename] section.
#pragma once

#include <string>
#include <vector>

// Deletes the file (or the empty folder: NT family only, WININIT.INI deletes files only) at the next start.
bool deleteAtRestart(const std::string &path, bool folder = false);
// Replaces the file at `destination` at the next start by a copy of `source`, made beside it now.
bool replaceAtRestart(const std::string &source, const std::string &destination);
// Takes out of the queue every deletion or replacement that names one of these paths (the installer's
// program and folder, a file that an installation is about to place), and leaves everyone else's as they
// were. False when the queue held one and could not be written.
bool unqueue(const std::vector<std::string> &paths);
