// Reading a text file whole, and replacing it by its new version so that, whatever fails, the file holds
// either its old content or the complete new one.
#pragma once

#include <string>

#include "install/line_rewrite.h"

// Where the new version of a file is made before it takes the file's place, and where the file itself is
// set aside meanwhile on the 9x family: beside it, under names that are the installer's own (a file left
// there by an interrupted run may be overwritten) and no longer than the shortest name it places
// (ostrel.jar), so that they fit wherever each file fits; short names (8.3) suit any file system.
std::string temporaryBeside(const std::string &path);
std::string setAsideBeside(const std::string &path);

enum class ReadResult { Read, Missing, Failed };

// The whole file, decoded as text (see decodeTextFile). Missing when neither the file nor its directory
// exists; Failed when it exists but cannot be read (then nothing may be written in its place).
ReadResult readTextFile(const std::string &path, TextFileContent &content, bool endsAtFirstCtrlZ);

enum class PlatformFamily { Nt, Win9x };

// The family of the running system, as GetVersionExA tells it.
PlatformFamily runningFamily();

// Writes `content` into temporaryBeside(path) (every write, the flush and the close checked) and then puts
// it in place of `path` in the way of the running family. False when anything failed: then `path` is as it
// was and nothing is left beside it.
bool replaceTextFile(const std::string &path, const TextFileContent &content);

// Copies `source` over `destination` the same way: the destination is replaced only by a complete copy,
// which is never read-only even when the source is (a CD). A read-only destination is left alone.
bool copyWhole(const std::string &source, const std::string &destination);

// Puts the complete file `newPath` in place of `path`, which may be absent. A read-only `path` is not
// replaced. On the NT family one rename replaces it. The 9x family has no rename that replaces a file, so
// `path` is moved aside to `oldPath`, `newPath` moved in, and the old file deleted; when the new file
// cannot be moved in, the old one is moved back. False when `path` was not replaced; `newPath` then stays.
bool replaceFile(const std::string &path, const std::string &newPath, const std::string &oldPath,
                 PlatformFamily family);
