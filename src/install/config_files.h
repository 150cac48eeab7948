// The editors of awt.properties and autoexec.bat. Each writes the new text (CR LF line ends) into
// a file of its own beside the file and replaces the file only once that is complete on disk, so the file
// always holds either its old content or the whole new one.
#pragma once

// Names the bridge's event queue and assistive technology in directory + fileName (the directory without
// a trailing backslash, the name with a leading one). 1 when the file now names them: rewritten, or left
// untouched since it did already (*changed tells which); 0 when it is missing or could not be read,
// written or replaced, and then it is unchanged and nothing is left beside it.
int patchAwtProperties(const char *directory, const char *fileName, bool *changed = nullptr);

// Adds the bridge's jars in `target` (no trailing backslash) to CLASSPATH in root + fileName (the root of
// the system drive with its backslash), creating the file when there is none. 1 when the file now holds
// them: rewritten, created, or left untouched since it held them already (*changed tells which); 0
// otherwise, and then it is unchanged and nothing is left beside it.
int patchAutoexec(const char *root, const char *fileName, const char *target, bool *changed = nullptr);
