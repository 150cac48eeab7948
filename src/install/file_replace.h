// Reading a text file whole, and replacing it by its new version so that, whatever fails, the file holds
// either its old content or the complete new one.
#pragma once

#include <string>

#include "install/line_rewrite.h"

// The fixed names that the editors use beside the file they change.
constexpr const char *kTempFileName = "___OstrelTempFile___";
constexpr const char *kOldFileName = "___OstrelOldFile___"; // the original, moved aside on the 9x family

enum class ReadResult { Read, Missing, Failed };

// The whole file, decoded as text. Missing when neither the file nor its directory exists; Failed when it
// exists but cannot be read (then nothing may be written in its place).
ReadResult readTextFile(const std::string &path, TextFileContent &content);

enum class PlatformFamily { Nt, Win9x };

// The family of the running system, as GetVersionExA tells it.
PlatformFamily runningFamily();

// Writes `content` into `tempPath` (created or emptied; every write, the flush and the close checked) and
// then puts it in place of `path` in the way of the running family. False when anything failed: then
// `path` is as it was and neither `tempPath` nor `oldPath` is left behind.
bool replaceTextFile(const std::string &path, const TextFileContent &content, const std::string &tempPath,
                     const std::string &oldPath);

// Puts the complete file `newPath` in place of `path`, which may be absent. A read-only `path` is not
// replaced. On the NT family one rename replaces it. The 9x family has no rename that replaces a file, so
// `path` is moved aside to `oldPath`, `newPath` moved in, and the old file deleted; when the new file
// cannot be moved in, the old one is moved back. False when `path` was not replaced; `newPath` then stays.
bool replaceFile(const std::string &path, const std::string &newPath, const std::string &oldPath,
                 PlatformFamily family);
